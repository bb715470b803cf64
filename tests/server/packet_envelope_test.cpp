#include "server/packet_envelope.h"

#include <cpprest/asyncrt_utils.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "server/packet_cipher.h"
#include "server/request_catalogue.h"

namespace vel {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using web::json::value;

// A request whose compact text is exactly `size` bytes long.
value RequestOfSize(std::size_t size) {
  value request = value::object();
  request["a"] = value::string(std::string(size - std::string(R"({"a":""})").size(), 'x'));
  return request;
}

std::string SealedText(std::string_view plain) {
  return utility::conversions::to_base64(*PacketCipher().Encrypt(plain));
}

value Body(const std::string& packet) {
  value body = value::object();
  body["packet"] = value::string(packet);
  return body;
}

TEST(SealRequestTest, BodyIsTheFieldAndBase64OfTheCompactText) {
  value request = value::object(true);
  request["header"] = value::number(HeaderNumber(RequestHeader::kReportScore));
  request["membername"] = value::string("홍길동");
  const auto body = SealRequest(request);
  ASSERT_TRUE(body);
  EXPECT_THAT(*body, StartsWith("packet="));
  EXPECT_EQ(body->substr(7), SealedText(R"({"header":8,"membername":"홍길동"})"));
  EXPECT_EQ(*SealRequest(request), *body);  // same request, same bytes

  value back;
  ASSERT_TRUE(OpenRequest(*body, back));
  EXPECT_EQ(back, request);
}

TEST(SealRequestTest, TakesUpTo4095BytesOfTextAndRefusesMore) {
  const auto largest = SealRequest(RequestOfSize(4095));
  ASSERT_TRUE(largest);
  EXPECT_EQ(utility::conversions::from_base64(largest->substr(7)).size(), 4096u);
  // Base64 goes into the form as it is: '+', '/' and '=' are not escaped.
  EXPECT_EQ(largest->find('%'), std::string::npos);
  EXPECT_NE(largest->find_first_of("+/"), std::string::npos);

  testing::internal::CaptureStdout();
  EXPECT_FALSE(SealRequest(RequestOfSize(4096)));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "ERR: SealRequest() - request of 4096 bytes is longer than 4095\n");
}

TEST(OpenReplyTest, OpensASealedReplyAndReplacesTheValue) {
  value reply = value::string("old");
  const auto body = SealReply(value::parse(R"({"header":10,"result":false,"errcode":1})"));
  ASSERT_TRUE(body);
  ASSERT_TRUE(OpenReply(*body, reply));
  EXPECT_EQ(reply.at("errcode").as_integer(), errcode::kTeamNameUnavailable);
  EXPECT_FALSE(reply.at("result").as_bool());
  // Members other than "packet" are ignored.
  value withMore = *body;
  withMore["other"] = value::number(1);
  EXPECT_TRUE(OpenReply(withMore, reply));
}

TEST(OpenReplyTest, ACiphertextAboveSixteenMebibytesIsRefusedUnopened) {
  value reply = value::string("untouched");
  const std::vector<unsigned char> huge(kMaxReplyCipher + 16, 0x41);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(OpenReply(Body(utility::conversions::to_base64(huge)), reply));
  EXPECT_THAT(testing::internal::GetCapturedStdout(),
              HasSubstr("OpenReply() - ciphertext of 16777232 bytes is longer than 16777216"));
  EXPECT_EQ(reply.as_string(), "untouched");
}

TEST(OpenReplyTest, MalformedEnvelopesThrow) {
  value reply = value::string("untouched");
  const std::vector<value> bodies = {
      value::parse("[1,2]"),                     // not an object
      value::null(),                             // no JSON body at all
      value::parse(R"({"pack":"AAAA"})"),        // no packet
      value::parse(R"({"packet":12})"),          // packet not a string
      Body("not base64!"),                       // bad Base64
      Body("uI4yS8oqmLOvxEGIY5AGT"),             // Base64 of the wrong length
      Body(SealedText("{\"a\":\"\xff\xfe\"}")),  // plaintext not UTF-8
      Body(SealedText(R"({"result":tru)")),      // plaintext not JSON
  };
  for (const value& body : bodies) {
    EXPECT_ANY_THROW(OpenReply(body, reply)) << body.serialize();
  }
  EXPECT_EQ(reply.as_string(), "untouched");
  EXPECT_THROW(OpenRequest("pocket=AAAA", reply), std::invalid_argument);
}

}  // namespace
}  // namespace vel
