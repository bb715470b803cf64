#include "vel-server/reply_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
  const std::string text = companion::SerializeReply(reply);
  EXPECT_EQ(text, R"({"header":9,"whole":45.0,"half":45.5,"big":1e+20,)"
                  R"("id":18446744073709551615,"list":[0.0,"a\"b",null]})");
  const value back = value::parse(text);
  EXPECT_TRUE(back.at("whole").is_double());
  EXPECT_TRUE(back.at("header").is_integer());
}

}  // namespace
}  // namespace vel
