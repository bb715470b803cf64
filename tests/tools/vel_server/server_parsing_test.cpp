#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "server/request_catalogue.h"
#include "vel-server/form_fields.h"
#include "vel-server/reply_writer.h"
#include "vel-server/server_options.h"

namespace vel {
namespace {

using companion::FormValue;
using companion::PlusSign;
using web::json::value;

TEST(FormFieldsTest, TheFieldIsFoundAmongOthersAndDecodedAsAsked) {
  EXPECT_EQ(FormValue("packet=a+b/c==", "packet", PlusSign::kItself), "a+b/c==");
  EXPECT_EQ(FormValue("x=1&packet=a%2Bb&y", "packet", PlusSign::kItself), "a+b");
  EXPECT_EQ(FormValue("name=%EA%B9%80+%EC%B2%A0", "name", PlusSign::kSpace), "김 철");
  EXPECT_EQ(FormValue("packet", "packet", PlusSign::kItself), "");
  EXPECT_EQ(FormValue("packet=1&packet=2", "packet", PlusSign::kItself), "1");
  EXPECT_EQ(FormValue("pack%65t=1", "packet", PlusSign::kItself), "1");
  EXPECT_FALSE(FormValue("packets=1&xpacket=2", "packet", PlusSign::kItself));
  EXPECT_FALSE(FormValue("", "packet", PlusSign::kItself));
  for (const char* bad : {"packet=%", "packet=%4", "packet=%g0", "packet=abc%"}) {
    EXPECT_FALSE(FormValue(bad, "packet", PlusSign::kItself)) << bad;
  }
  const auto query = companion::ParseQuery("file=10%2FVEL.zip&version=1&version=2&=x&bad=%zz");
  EXPECT_EQ(query, (std::map<std::string, std::string>{{"file", "10/VEL.zip"}, {"version", "1"}}));
}

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

TEST(ServerOptionsTest, DefaultsAndEveryOption) {
  std::string error;
  const auto defaults = companion::ParseServerOptions({}, error);
  ASSERT_TRUE(defaults);
  EXPECT_EQ(defaults->appAddress, "127.0.0.1:3000");
  EXPECT_EQ(defaults->patchAddress, "127.0.0.1:1337");
  EXPECT_EQ(defaults->signInAddress, "127.0.0.1:3001");
  EXPECT_EQ(defaults->database, "vel-server.db");
  EXPECT_EQ(defaults->patches, "patches");
  EXPECT_FALSE(defaults->demo);

  const auto given = companion::ParseServerOptions(
      {"--app", "http://0.0.0.0:80", "--patch", "localhost:1", "--sign-in", "[::1]:3001", "--db",
       "x.db", "--patches", "p", "--demo"},
      error);
  ASSERT_TRUE(given) << error;
  EXPECT_EQ(companion::ListenUrl(given->appAddress), "http://0.0.0.0:80");
  EXPECT_EQ(companion::ListenUrl(given->signInAddress), "http://[::1]:3001");
  EXPECT_TRUE(given->demo);

  for (const std::vector<std::string>& bad :
       std::vector<std::vector<std::string>>{{"--port"}, {"--db"}, {"--app", "3000"},
                                             {"--app", "host:0"}, {"--app", "host:65536"},
                                             {"--app", "a/b:1"}, {"--patches", ""}}) {
    EXPECT_FALSE(companion::ParseServerOptions(bad, error)) << bad[0];
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace vel
