#include "server/reply_serializer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "server/request_catalogue.h"

namespace vel {
namespace {

using web::json::value;

TEST(ReplyWriterTest, FloatingNumbersKeepTheirPointAndTheRestIsCompactJson) {
  value reply = value::object(true);
  reply["header"] = value::number(HeaderNumber(RequestHeader::kLoadRanking));
  reply["whole"] = value::number(45.0);
  reply["half"] = value::number(45.5);
  reply["big"] = value::number(1e20);
  reply["id"] = value::number(std::uint64_t{18446744073709551615ULL});
  reply["list"] = value::array({value::number(0.0), value::string("a\"b"), value::null()});
  const std::string text = SerializeReply(reply);
  EXPECT_EQ(text, R"({"header":9,"whole":45.0,"half":45.5,"big":1e+20,)"
                  R"("id":18446744073709551615,"list":[0.0,"a\"b",null]})");
  const value back = value::parse(text);
  EXPECT_TRUE(back.at("whole").is_double());
  EXPECT_TRUE(back.at("header").is_integer());
}

TEST(ReplyWriterTest, TextsAndWholeNumbersComeOutAsTheLibraryWritesThem) {
  const std::string texts[] = {"plain name",
                               "김철수",
                               "a/b",
                               "tab\there",
                               "line\n",
                               "\x01\x1f\x7f",
                               "quote\" and back\\slash",
                               ""};
  const std::int64_t numbers[] = {0, -1, 7, INT64_MIN, INT64_MAX};
  for (const std::string& text : texts) {
    value reply = value::object(true);
    reply[text] = value::string(text);
    EXPECT_EQ(SerializeReply(reply), reply.serialize()) << text;
  }
  for (const std::int64_t number : numbers) {
    const value reply = value::array({value::number(number)});
    EXPECT_EQ(SerializeReply(reply), reply.serialize()) << number;
  }
}

}  // namespace
}  // namespace vel
