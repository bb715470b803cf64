// The sign-in's timer chain against the companion server on loopback, with
// a browser that fills the sign-in form as a user would.
#include "app/login_flow.h"

#include <cpprest/http_client.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <optional>
#include <vector>

#include "server/login_rules.h"
#include "server/request_executor.h"
#include "server/sealed_file.h"
#include "support/companion_server.h"
#include "support/recording_message_box.h"
#include "support/scratch_folder.h"

namespace vel {
namespace {

using ::testing::IsEmpty;

constexpr char kThisMac[] = "0A-1B-2C-3D-4E-5F";

// Loads the sign-in page, then (a user typing a name and pressing Enter)
// posts its form; the address becomes the redirect the sign-in answers.
class FormFillingBrowser : public Browser {
 public:
  explicit FormFillingBrowser(std::string userName) : userName_(std::move(userName)) {}

  void Navigate(const std::string& address) override {
    ++navigations;
    address_ = address;
    busyPolls_ = 2;
    const web::uri page(address);
    const auto query = web::uri::split_query(web::uri::decode(page.query()));
    web::http::client::http_client_config config;
    config.set_max_redirects(0);
    web::http::client::http_client client(
        page.scheme() + "://" + page.host() + ":" + std::to_string(page.port()), config);
    web::http::http_request post(web::http::methods::POST);
    post.set_request_uri(page.path());
    const std::string form =
        "client_id=" + query.at("client_id") + "&response_type=token&redirect_uri=" +
        web::uri::encode_data_string(query.at("redirect_uri")) + "&name=" + userName_;
    // Bytes, as everywhere else: the text overload trips UBSan inside cpprestsdk.
    post.set_body(std::vector<unsigned char>(form.begin(), form.end()));
    post.headers().set_content_type("application/x-www-form-urlencoded");
    const auto response = client.request(post).get();
    const auto location = response.headers().find("Location");
    redirect_ = location == response.headers().end() ? address : location->second;
  }
  bool Busy() const override { return busyPolls_-- > 0; }
  std::string CurrentAddress() const override { return busyPolls_ > 0 ? address_ : redirect_; }

  int navigations = 0;

 private:
  std::string userName_;
  std::string address_;
  std::string redirect_;
  mutable int busyPolls_ = 0;
};

class LoginFlowTest : public ::testing::Test, protected LoginFlow::Window {
 protected:
  // Runs the window: the flow's start, then every running timer ticks in
  // turn until the window ends.
  std::optional<bool> Run(Browser& browser, const std::string& mainUrl = "") {
    ServerConfig config = server_.Config();
    RequestExecutor executor(mainUrl.empty() ? config
                                             : *ServerConfig::FromJson(web::json::value::parse(
                                                   R"({"url":{"main":")" + mainUrl +
                                                   R"(","patch":"x"},)"
                                                   R"("file":{"exe":"vel","facebook":"VEL.f"}})")),
                             messages_);
    LoginFlow::Settings settings{server_.SignInUrl(),
                                 server_.SignInUrl(),
                                 kSignInClientId,
                                 savedLogin_,
                                 [] { return std::string(kThisMac); },
                                 [this](const std::string& line) { logged_.push_back(line); }};
    LoginFlow flow(*this, browser, executor, executor, login_, settings);
    flow_ = &flow;
    ended_.reset();
    timers_.clear();
    flow.Start();
    for (int ticks = 0; !ended_ && ticks < 100; ++ticks) {
      if (timers_.empty()) {
        ADD_FAILURE() << "no timer runs and the window has not ended";
        return std::nullopt;
      }
      const auto [id, period] = *timers_.begin();
      lastPeriods_[id] = period;
      flow.OnTimer(id);
    }
    flow_ = nullptr;
    return ended_;
  }

  void StartTimer(int id, int periodMs) override { timers_[id] = periodMs; }
  void StopTimer(int id) override { timers_.erase(id); }
  void End(bool ok) override { ended_ = ok; }
  void ShowMessage(const std::string& text) override { messages_.Show(text); }
  bool RegisterTeamName() override {
    ++registrations_;
    flow_->OnTimer(LoginFlow::kSignIn);  // a tick let in by the modal window changes nothing
    if (!registerAs_.empty()) login_.teamName = registerAs_;
    return !registerAs_.empty();
  }

  test::RunningCompanionServer server_{{.demo = true, .patches = {}}};
  test::RecordingMessageBox messages_;
  test::ScratchFolder scratch_;
  std::filesystem::path savedLogin_ = scratch_ / "VEL.f";
  LoginValues login_;
  LoginFlow* flow_ = nullptr;
  std::optional<bool> ended_;
  std::map<int, int> timers_;
  std::map<int, int> lastPeriods_;
  int registrations_ = 0;
  std::string registerAs_;
  std::vector<std::string> logged_;
};

// Lands on a fixed address once the first page has loaded.
class LandingBrowser : public Browser {
 public:
  explicit LandingBrowser(std::string landing) : landing_(std::move(landing)) {}
  void Navigate(const std::string&) override {}
  bool Busy() const override { return false; }
  std::string CurrentAddress() const override { return landing_; }

 private:
  std::string landing_;
};

TEST_F(LoginFlowTest, SignsInThroughTheBrowserThenFromTheSavedLoginWithoutIt) {
  FormFillingBrowser browser("demo");
  EXPECT_EQ(Run(browser), true);
  EXPECT_EQ(browser.navigations, 1);
  EXPECT_NE(login_.accountId, 0u);
  EXPECT_EQ(login_.teamName, "데모팀");
  EXPECT_EQ(registrations_, 0);
  const SavedLogin saved = ReadSavedLogin(savedLogin_);
  ASSERT_TRUE(saved.TokenFor(kThisMac));

  const std::uint64_t account = login_.accountId;
  login_ = {};
  FormFillingBrowser unused("demo");
  EXPECT_EQ(Run(unused), true);
  EXPECT_EQ(unused.navigations, 0) << "the saved login skips the browser";
  EXPECT_EQ(login_.accountId, account);
  EXPECT_THAT(messages_.Texts(), IsEmpty());
}

TEST_F(LoginFlowTest, AnAccountWithoutATeamNameRegistersOneFirst) {
  FormFillingBrowser browser("kim");
  registerAs_ = "김팀";
  EXPECT_EQ(Run(browser), true);
  EXPECT_EQ(registrations_, 1) << "a tick during the registration started no second one";
  EXPECT_EQ(login_.teamName, "김팀");

  registerAs_.clear();  // the user cancels the registration
  std::filesystem::remove(savedLogin_);
  FormFillingBrowser again("lee");
  EXPECT_EQ(Run(again), false);
  EXPECT_EQ(lastPeriods_[LoginFlow::kFail], 1000) << "Cancel comes a second later";
}

TEST_F(LoginFlowTest, FailuresEndInCancelAfterOneSecond) {
  FormFillingBrowser browser("demo");
  EXPECT_EQ(Run(browser, "http://127.0.0.1:1"), false) << "no application server";
  EXPECT_EQ(lastPeriods_[LoginFlow::kFail], 1000);
  EXPECT_EQ(browser.navigations, 0);

  // The user refuses on the service's page, or the redirect has no token.
  for (const std::string landing : {"/connect/login_success.html?error=access_denied#_=_",
                                    "/connect/login_success.html#access_token=&expires_in=0"}) {
    messages_.Clear();
    LandingBrowser refused(server_.SignInUrl() + landing);
    EXPECT_EQ(Run(refused), false) << landing;
    EXPECT_THAT(messages_.Texts(), testing::ElementsAre(LoginFlow::kRedirectFailedMessage));
    EXPECT_EQ(lastPeriods_[LoginFlow::kFail], 1000);
  }
}

TEST_F(LoginFlowTest, ATornSavedLoginIsSetAsideAndTheBrowserSignsIn) {
  ASSERT_TRUE(WriteSavedLogin(savedLogin_, kThisMac, "token"));
  std::filesystem::resize_file(savedLogin_, 16);  // cut off mid-write by a crash
  std::ofstream(scratch_ / "VEL.f.bad") << "set aside by an earlier start";
  FormFillingBrowser browser("demo");
  EXPECT_EQ(Run(browser), true);
  EXPECT_EQ(browser.navigations, 1);
  EXPECT_EQ(std::filesystem::file_size(scratch_ / "VEL.f.bad"), 16u) << "replaces the older one";
  ASSERT_EQ(logged_.size(), 1u);
  EXPECT_THAT(logged_[0], testing::HasSubstr("VEL.f.bad"));
  EXPECT_TRUE(ReadSavedLogin(savedLogin_).TokenFor(kThisMac)) << "the new sign-in was saved";
  EXPECT_THAT(messages_.Texts(), IsEmpty());
}

TEST_F(LoginFlowTest, ASavedTokenTheServiceRefusesIsForgottenAndTheBrowserSignsIn) {
  ASSERT_TRUE(WriteSavedLogin(savedLogin_, kThisMac, "revoked-token"));
  FormFillingBrowser browser("demo");
  EXPECT_EQ(Run(browser), true);
  EXPECT_EQ(browser.navigations, 1);
  const auto saved = ReadSavedLogin(savedLogin_).TokenFor(kThisMac);
  ASSERT_TRUE(saved);
  EXPECT_NE(*saved, "revoked-token") << "the new token was saved in its place";
}

}  // namespace
}  // namespace vel
