#include <cpprest/asyncrt_utils.h>
#include <cpprest/containerstream.h>
#include <cpprest/http_client.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "server/packet_cipher.h"
#include "server/packet_envelope.h"
#include "server/request_catalogue.h"
#include "support/companion_server.h"
#include "vel-server/app_endpoint.h"

namespace vel {
namespace {

using web::json::value;

struct RawAnswer {
  int status = 0;
  std::string contentType;
  value reply;  // opened, when the body was a sealed reply
  bool opened = false;
};

class BadPacketTest : public ::testing::Test {
 protected:
  RawAnswer Post(const std::string& body, const std::string& path = "/") {
    web::http::client::http_client client(server_.AppUrl());
    web::http::http_request post(web::http::methods::POST);
    post.set_request_uri(path);
    post.set_body(std::vector<unsigned char>(body.begin(), body.end()));
    post.headers().set_content_type("application/x-www-form-urlencoded; charset=utf-8");
    const web::http::http_response response = client.request(post).get();
    RawAnswer answer;
    answer.status = response.status_code();
    answer.contentType = response.headers().content_type();
    const std::vector<unsigned char> bytes = response.extract_vector().get();
    if (answer.status == 200) {
      answer.opened =
          OpenReply(value::parse(std::string(bytes.begin(), bytes.end())), answer.reply);
    }
    return answer;
  }

  // The reply to a body that is not a usable request: sealed, "result"
  // false, the errcode.
  void ExpectRefused(const std::string& body, int code) {
    const RawAnswer answer = Post(body);
    EXPECT_EQ(answer.status, 200) << body;
    EXPECT_EQ(answer.contentType, "application/json") << body;
    ASSERT_TRUE(answer.opened) << body;
    EXPECT_FALSE(answer.reply.at("result").as_bool()) << body;
    EXPECT_EQ(answer.reply.at("errcode").as_integer(), code) << body;
  }

  static std::string Sealed(const std::string& plain) {
    return "packet=" + utility::conversions::to_base64(*PacketCipher().Encrypt(plain));
  }

  test::RunningCompanionServer server_;
};

TEST_F(BadPacketTest, BodiesThatCarryNoPacketAreAnsweredWithTheirErrcode) {
  ExpectRefused("", errcode::kBadForm);
  ExpectRefused("hello", errcode::kBadForm);
  ExpectRefused("a=1&b=2", errcode::kBadForm);
  ExpectRefused("packet=%zz", errcode::kBadForm);
  ExpectRefused(std::string(companion::AppEndpoint::kMaxBody + 1, 'p'), errcode::kBadForm);
  testing::internal::CaptureStdout();  // the cipher's lines
  ExpectRefused("packet=", errcode::kBadPacket);
  ExpectRefused("packet=@@@@", errcode::kBadPacket);
  ExpectRefused("packet=" + utility::conversions::to_base64(std::vector<unsigned char>(15, 7)),
                errcode::kBadPacket);  // not whole blocks
  testing::internal::GetCapturedStdout();
}

TEST_F(BadPacketTest, PacketsThatAreNotARequestObjectAreAnsweredWithTheirErrcode) {
  testing::internal::CaptureStdout();  // the cipher's line for the other key
  // Damaged in the block before the last: the padding no longer checks.
  std::vector<unsigned char> other = *PacketCipher().Encrypt(std::string(R"({"header":-1,"x":1})"));
  ASSERT_EQ(other.size(), 32u);
  other[15] ^= 0x55;
  ExpectRefused("packet=" + utility::conversions::to_base64(other), errcode::kBadPacket);
  testing::internal::GetCapturedStdout();

  ExpectRefused(Sealed("not json"), errcode::kNotJson);
  ExpectRefused(Sealed("{\"header\":"), errcode::kNotJson);
  ExpectRefused(Sealed("\xff\xfe{}"), errcode::kNotJson);
  ExpectRefused(Sealed("[1,2]"), errcode::kNotJson);
  ExpectRefused(Sealed("{}"), errcode::kUnknownHeader);
  ExpectRefused(Sealed(R"({"header":"1"})"), errcode::kUnknownHeader);
  ExpectRefused(Sealed(R"({"header":1.5})"), errcode::kUnknownHeader);
  ExpectRefused(Sealed(R"({"header":16})"), errcode::kUnknownHeader);
  ExpectRefused(Sealed(R"({"header":4294967296})"), errcode::kUnknownHeader);
  ExpectRefused(Sealed(R"({"header":1})"), errcode::kBadMember);
  ExpectRefused(Sealed(R"({"header":1,"accountid":"1"})"), errcode::kBadMember);
  ExpectRefused(Sealed(R"({"header":1,"accountid":1.0})"), errcode::kBadMember);
  ExpectRefused(Sealed(R"({"header":1,"accountid":-1})"), errcode::kBadMember);
  ExpectRefused(Sealed(R"({"header":4,"memberid":1,"devicenumber":1,"devicetype":null})"),
                errcode::kBadMember);
  ExpectRefused(Sealed(R"({"header":4,"memberid":1,"devicenumber":4294967296,"devicetype":120})"),
                errcode::kBadMember);
  ExpectRefused(Sealed(R"({"header":12,"accountid":1,"memberid":1,"height":"170"})"),
                errcode::kBadMember);
  ExpectRefused(Sealed(std::string(100, '[') + std::string(100, ']')), errcode::kNotJson);

  // The header of a request that has one comes back.
  const RawAnswer answer = Post(Sealed(R"({"header":3,"accountid":1})"));
  EXPECT_EQ(answer.reply.at("header").as_integer(), HeaderNumber(RequestHeader::kDeleteMember));
}

TEST_F(BadPacketTest, ThePacketIsReadLiterallyBesideOtherFields) {
  // A request whose Base64 has a "+" in it: a server reading the form the
  // usual way would see a space there.
  std::string body;
  for (int i = 0; body.find('+') == std::string::npos; ++i) {
    value request = value::object(true);
    request["header"] = value::number(HeaderNumber(RequestHeader::kCheckTeamName));
    request["teamname"] = value::string("team" + std::to_string(i));
    body = *SealRequest(request);
  }
  const RawAnswer plain = Post(body);
  ASSERT_TRUE(plain.opened);
  EXPECT_TRUE(plain.reply.at("result").as_bool()) << plain.reply.serialize();

  const RawAnswer among = Post("x=1&" + body + "&y=%20");
  EXPECT_TRUE(among.reply.at("result").as_bool());
  // A client that percent-encodes the field is understood as well.
  std::string encoded = "packet=" + web::uri::encode_data_string(body.substr(7));
  ASSERT_NE(encoded.find("%2B"), std::string::npos);
  EXPECT_TRUE(Post(encoded).reply.at("result").as_bool());
}

TEST_F(BadPacketTest, OtherMethodsPathsAndHugeBodiesGetPlainStatuses) {
  web::http::client::http_client client(server_.AppUrl());
  EXPECT_EQ(client.request(web::http::methods::GET, "/").get().status_code(), 405);
  EXPECT_EQ(Post("packet=AAAA", "/other").status, 404);
  EXPECT_EQ(Post(std::string(2 * 1024 * 1024, 'x')).status, 413);

  // A body in chunks, with no length announced, is cut off at the same
  // limit. The client may be told, or lose its connection while it sends.
  web::http::http_request chunked(web::http::methods::POST);
  // A byte stream: a text one is cast, which UBSan rejects inside cpprestsdk.
  chunked.set_body(concurrency::streams::bytestream::open_istream(
                       std::vector<std::uint8_t>(std::size_t{8} << 20, 'x')),
                   "application/x-www-form-urlencoded");
  try {
    EXPECT_EQ(client.request(chunked).get().status_code(), 413);
  } catch (const web::http::http_exception&) {
  }

  // The server goes on answering.
  const RawAnswer answer = Post(*SealRequest(value::parse(R"({"header":-1})")));
  ASSERT_TRUE(answer.opened);
  EXPECT_TRUE(answer.reply.at("result").as_bool());
  const auto log = server_.LogLines();
  EXPECT_THAT(log, testing::Contains("app GET / 405"));
  EXPECT_EQ(std::count(log.begin(), log.end(), "app POST / 413"), 2) << "both long bodies";
  EXPECT_THAT(log, testing::Contains("app POST header -1 result true"));
}

TEST(CompanionServerQueueTest, RequestsBeyondAFullQueueAreAnsweredBusy) {
  test::RunningCompanionServer::Setup setup;
  setup.queueLimit = 0;  // never room for another request
  test::RunningCompanionServer server(setup);
  web::http::client::http_client client(server.PatchUrl());
  EXPECT_EQ(client.request(web::http::methods::GET, "/?version=1").get().status_code(), 503);
  EXPECT_THAT(server.LogLines(), testing::Contains("patch GET / 503"));
}

}  // namespace
}  // namespace vel
