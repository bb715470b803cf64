#include <cpprest/http_client.h>
#include <cpprest/uri_builder.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "server/request_executor.h"
#include "support/companion_server.h"
#include "support/recording_message_box.h"
#include "vel-server/schema_migrations.h"
#include "vel-server/token_store.h"

namespace vel {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using web::json::value;

class SignInTest : public ::testing::Test {
 protected:
  web::http::http_response Get(const std::string& pathAndQuery) {
    web::http::client::http_client_config config;
    config.set_max_redirects(0);
    web::http::client::http_client client(server_.SignInUrl(), config);
    return client.request(web::http::methods::GET, pathAndQuery).get();
  }

  web::http::http_response PostForm(const std::string& body) {
    web::http::client::http_client_config config;
    config.set_max_redirects(0);
    web::http::client::http_client client(server_.SignInUrl(), config);
    web::http::http_request post(web::http::methods::POST);
    post.set_request_uri("/v2.8/dialog/oauth");
    post.set_body(std::vector<unsigned char>(body.begin(), body.end()));
    post.headers().set_content_type("application/x-www-form-urlencoded");
    return client.request(post).get();
  }

  std::string Redirect() const { return server_.SignInUrl() + "/connect/login_success.html"; }

  std::string AppToken() {
    value reply;
    EXPECT_TRUE(executor_.SendPacket(value::parse(R"({"header":-1})"), reply));
    return reply.at("appaccesstoken").as_string();
  }

  // FetchJson of the token check, as the program sends it.
  bool Check(const std::string& input, const std::string& access, value& reply) {
    web::uri_builder path("/v2.8/debug_token");
    path.append_query("input_token", input);
    path.append_query("access_token", access);
    return executor_.FetchJson(server_.SignInUrl(), path.to_string(), reply);
  }

  test::RunningCompanionServer server_;
  test::RecordingMessageBox box_;
  RequestExecutor executor_{server_.Config(), box_};
};

TEST_F(SignInTest, TheDialogServesAFormWhoseRedirectCarriesTheToken) {
  // The program puts the redirect address into the query as it is.
  const auto page = Get("/v2.8/dialog/oauth?client_id=1234567890123456&redirect_uri=" + Redirect() +
                        "&display=popup&response_type=token");
  EXPECT_EQ(page.status_code(), 200);
  EXPECT_THAT(page.headers().content_type(), StartsWith("text/html"));
  const std::string html = page.extract_utf8string(true).get();
  EXPECT_THAT(html, HasSubstr("<form method=\"post\">"));
  EXPECT_THAT(html, HasSubstr("value=\"" + Redirect() + "\""));

  // A browser posts the form with the name in form encoding.
  const auto redirected = PostForm(
      "client_id=1234567890123456&redirect_uri=" + web::uri::encode_data_string(Redirect()) +
      "&response_type=token&name=%EA%B9%80+%EC%B2%A0%EC%88%98");
  ASSERT_EQ(redirected.status_code(), 302);
  const std::string location = redirected.headers().find("Location")->second;
  EXPECT_THAT(location, StartsWith(Redirect() + "#access_token="));
  EXPECT_THAT(location, HasSubstr("&expires_in=5184000"));

  const auto landed = Get("/connect/login_success.html");
  EXPECT_EQ(landed.status_code(), 200);
}

TEST_F(SignInTest, TheTokenCheckNamesTheUserOfATokenIssuedHere) {
  const std::string token = test::SignInDialogToken(server_.SignInUrl(), "김철수");
  value reply;
  ASSERT_TRUE(Check(token, AppToken(), reply));
  const value data = reply.at("data");
  EXPECT_EQ(data.at("user_id").as_string(), companion::SignInUserId("김철수"));
  EXPECT_TRUE(data.at("is_valid").as_bool());
  EXPECT_EQ(data.at("app_id").as_string(), "1234567890123456");
  EXPECT_GT(data.at("expires_at").as_number().to_int64(), 0);

  // Tokens outlive the server process.
  server_.Restart();
  EXPECT_TRUE(Check(token, AppToken(), reply));

  // Unknown tokens, a wrong application token, or the two swapped: a Graph
  // API error with status 400, which the program's fetch reports as false.
  EXPECT_FALSE(Check("EAAVnothing", AppToken(), reply));
  EXPECT_FALSE(Check(token, "wrong", reply));
  EXPECT_FALSE(Check(AppToken(), token, reply));
  EXPECT_FALSE(Check(token, "", reply));
  const auto refused = Get("/v2.8/debug_token?input_token=x&access_token=" + AppToken());
  EXPECT_EQ(refused.status_code(), 400);
  const value error = refused.extract_json().get();
  EXPECT_EQ(error.at("error").at("code").as_integer(), 190);
  EXPECT_THAT(box_.Texts(), ::testing::IsEmpty());
}

TEST_F(SignInTest, UnusableRedirectsAndEmptyNamesGetNoToken) {
  for (const std::string& redirect :
       {std::string("http://evil.example/steal"), std::string("not a uri"), std::string(""),
        server_.SignInUrl() + "/connect/login_success.html#x"}) {
    EXPECT_EQ(Get("/v2.8/dialog/oauth?client_id=1&response_type=token&redirect_uri=" +
                  web::uri::encode_data_string(redirect))
                  .status_code(),
              400)
        << redirect;
    EXPECT_EQ(PostForm("client_id=1&response_type=token&name=kim&redirect_uri=" +
                       web::uri::encode_data_string(redirect))
                  .status_code(),
              400)
        << redirect;
  }
  EXPECT_EQ(Get("/v2.8/dialog/oauth?client_id=1&response_type=code&redirect_uri=" + Redirect())
                .status_code(),
            400);
  const auto empty = PostForm("client_id=1&response_type=token&name=+++&redirect_uri=" +
                              web::uri::encode_data_string(Redirect()));
  EXPECT_EQ(empty.status_code(), 400);
  EXPECT_EQ(empty.headers().find("Location"), empty.headers().end());
  EXPECT_EQ(Get("/v2.8/unknown").status_code(), 404);
}

}  // namespace
}  // namespace vel
