#include "server/request_executor.h"

#include <cpprest/asyncrt_utils.h>
#include <cpprest/containerstream.h>
#include <cpprest/uri_builder.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <thread>

#include "server/packet_cipher.h"
#include "server/packet_envelope.h"
#include "server/request_catalogue.h"
#include "support/loopback_server.h"
#include "support/read_file.h"
#include "support/recording_message_box.h"
#include "support/scratch_folder.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
constexpr std::uint64_t kAnySize = std::uint64_t{1} << 30;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using web::http::http_request;
using enum RequestHeader;
using web::http::status_codes;
using web::json::value;

std::string SealedBody(const std::string& replyJson) {
  return SealReply(value::parse(replyJson))->serialize();
}

std::string BodyOfCipher(const std::vector<unsigned char>& cipher) {
  return R"({"packet":")" + utility::conversions::to_base64(cipher) + "\"}";
}

// The plaintext sealed with some other key, as a server with a stale key would.
std::vector<unsigned char> SealedWithOtherKey(const std::string& plain) {
  const unsigned char key[16] = {'a', 'n', 'o', 't', 'h', 'e', 'r', ' ',
                                 'k', 'e', 'y', '!', '!', '!', '!', '!'};
  const unsigned char iv[17] = "7302958164027381";
  std::vector<unsigned char> out(plain.size() + 16);
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  int n = 0;
  int m = 0;
  EVP_EncryptInit(context, EVP_aes_128_cbc(), key, iv);
  EVP_EncryptUpdate(context, out.data(), &n, reinterpret_cast<const unsigned char*>(plain.data()),
                    static_cast<int>(plain.size()));
  EVP_EncryptFinal(context, out.data() + n, &m);
  EVP_CIPHER_CTX_free(context);
  out.resize(static_cast<std::size_t>(n + m));
  return out;
}

value Request(RequestHeader header) {
  value request = value::object();
  request["header"] = value::number(HeaderNumber(header));
  return request;
}

// Answers every request with one fixed status, body and content type.
class ExecutorTest : public ::testing::Test {
 protected:
  void Answer(web::http::status_code status, std::string body,
              std::string contentType = "application/json") {
    server_ = std::make_unique<test::LoopbackServer>(
        [status, body, contentType](http_request& request, const test::ReceivedRequest&) {
          test::Reply(request, status, body, contentType);
        });
    Endpoints endpoints;
    endpoints.mainUrl = server_->Url();
    endpoints.patchUrl = server_->Url();
    executor_ = std::make_unique<RequestExecutor>(ServerConfig::BuiltIn(endpoints), box_);
  }

  // An executor pointed at a port where nothing listens.
  void NothingListens() {
    Endpoints endpoints;
    endpoints.mainUrl = endpoints.patchUrl =
        "http://127.0.0.1:" + std::to_string(test::LoopbackServer::FreePort());
    executor_ = std::make_unique<RequestExecutor>(ServerConfig::BuiltIn(endpoints), box_);
  }

  test::RecordingMessageBox box_;
  std::unique_ptr<test::LoopbackServer> server_;
  std::unique_ptr<RequestExecutor> executor_;
};

TEST_F(ExecutorTest, PostsTheSealedFormAndOpensAResultTrue) {
  Answer(status_codes::OK, SealedBody(R"({"header":-1,"result":true,"appaccesstoken":"t"})"));
  value reply;
  ASSERT_TRUE(executor_->SendPacket(Request(kAppToken), reply));
  EXPECT_EQ(reply.at("appaccesstoken").as_string(), "t");
  EXPECT_THAT(box_.Texts(), IsEmpty());

  const auto received = server_->Received();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].method, "POST");
  EXPECT_EQ(received[0].pathAndQuery, "/");
  EXPECT_EQ(received[0].contentType, "application/x-www-form-urlencoded; charset=utf-8");
  EXPECT_EQ(received[0].body, *SealRequest(Request(kAppToken)));
}

TEST_F(ExecutorTest, ResultFalseKeepsTheReplyReadable) {
  Answer(status_codes::OK, SealedBody(R"({"header":10,"result":false,"errcode":1})"));
  value reply;
  EXPECT_FALSE(executor_->SendPacket(Request(kCheckTeamName), reply));
  EXPECT_EQ(reply.at("errcode").as_integer(), errcode::kTeamNameUnavailable);
  EXPECT_THAT(box_.Texts(), IsEmpty());
}

TEST_F(ExecutorTest, AMissingNullOrNonBooleanResultCountsAsNo) {
  for (const char* json :
       {R"({"header":1})", R"({"header":1,"result":null})", R"({"header":1,"result":"true"})",
        R"({"header":1,"result":1})", R"([true])"}) {
    Answer(status_codes::OK, SealedBody(json));
    value reply;
    EXPECT_FALSE(executor_->SendPacket(Request(kLoadMembers), reply)) << json;
    EXPECT_EQ(reply, value::parse(json));
  }
  EXPECT_THAT(box_.Texts(), IsEmpty());
}

TEST_F(ExecutorTest, OtherStatusesAreQuietAndNotOpened) {
  for (const auto status : {status_codes::NotFound, status_codes::InternalError}) {
    Answer(status, SealedBody(R"({"result":true})"));
    value reply = value::string("untouched");
    EXPECT_FALSE(executor_->SendPacket(Request(kLoadMembers), reply)) << status;
    EXPECT_EQ(reply.as_string(), "untouched");
  }
  EXPECT_THAT(box_.Texts(), IsEmpty());
}

TEST_F(ExecutorTest, ReplyOfAnotherKeyIsAQuietFailureWithTheCipherLine) {
  Answer(status_codes::OK, BodyOfCipher(SealedWithOtherKey(R"({"header":1,"result":true})")));
  value reply = value::string("untouched");
  testing::internal::CaptureStdout();
  EXPECT_FALSE(executor_->SendPacket(Request(kLoadMembers), reply));
  EXPECT_THAT(testing::internal::GetCapturedStdout(), StartsWith("ERR: EVP_DecryptFinal() - "));
  EXPECT_EQ(reply.as_string(), "untouched");
  EXPECT_THAT(box_.Texts(), IsEmpty());
}

TEST_F(ExecutorTest, PlaintextIsReadUpToAZeroByte) {
  const std::string plain("{\"header\":1,\"result\":true}\0trailing", 36);
  Answer(status_codes::OK, BodyOfCipher(*PacketCipher().Encrypt(plain)));
  value reply;
  EXPECT_TRUE(executor_->SendPacket(Request(kLoadMembers), reply));
  EXPECT_EQ(reply.serialize(), R"({"header":1,"result":true})");
}

TEST_F(ExecutorTest, RepliesTheProgramCannotReadShowTheMessageOnce) {
  const std::vector<std::pair<std::string, std::string>> replies = {
      {SealedBody(R"({"result":true})"), "text/plain"},  // right packet, wrong type
      {R"({"packet":"%%%%"})", "application/json"},      // bad Base64
      {"{\"packet\":", "application/json"},              // body not JSON
  };
  for (const auto& [body, type] : replies) {
    Answer(status_codes::OK, body, type);
    value reply = value::string("untouched");
    EXPECT_FALSE(executor_->SendPacket(Request(kLoadMembers), reply)) << body;
    EXPECT_EQ(reply.as_string(), "untouched");
  }
  EXPECT_EQ(box_.Texts(), std::vector<std::string>(replies.size(), kCheckConnectionMessage));
}

TEST_F(ExecutorTest, ARefusedConnectionShowsTheMessageOncePerCall) {
  NothingListens();
  value reply;
  EXPECT_FALSE(executor_->SendPacket(Request(kLoadMembers), reply));
  EXPECT_THAT(box_.Texts(), ElementsAre("인터넷 상태를 체크해 주세요."));
  EXPECT_FALSE(executor_->SendPacket(Request(kLoadMembers), reply));
  EXPECT_EQ(box_.Texts().size(), 2u);
  EXPECT_EQ(executor_->MainClientsMade(), 1);
}

TEST_F(ExecutorTest, RequestsUpTo4095BytesGoOutLongerOnesAreNot) {
  Answer(status_codes::OK, SealedBody(R"({"result":true})"));
  auto sized = [](std::size_t size) {
    value request = Request(kAddMember);
    request["name"] = value::string("");
    request["name"] = value::string(std::string(size - request.serialize().size(), 'n'));
    return request;
  };
  value reply;
  EXPECT_TRUE(executor_->SendPacket(sized(4095), reply));
  testing::internal::CaptureStdout();
  EXPECT_FALSE(executor_->SendPacket(sized(4096), reply));
  EXPECT_THAT(testing::internal::GetCapturedStdout(), HasSubstr("SealRequest() - request of 4096"));
  EXPECT_EQ(server_->Received().size(), 1u);
  EXPECT_THAT(box_.Texts(), IsEmpty());
}

TEST_F(ExecutorTest, ConcurrentFirstCallsShareOneClient) {
  // Each thread asks with its own header and must get its own answer.
  constexpr RequestHeader kHeaders[] = {kSignIn,       kLoadMembers, kAddMember,
                                        kDeleteMember, kAddDevice,   kDeleteDevice};
  constexpr int kThreads = static_cast<int>(std::size(kHeaders));
  std::map<std::string, std::string> answers;
  for (const RequestHeader header : kHeaders) {
    answers[*SealRequest(Request(header))] =
        SealedBody(R"({"result":true,"header":)" + std::to_string(HeaderNumber(header)) + "}");
  }
  server_ = std::make_unique<test::LoopbackServer>(
      [&answers](http_request& request, const test::ReceivedRequest& seen) {
        test::Reply(request, status_codes::OK, answers.at(seen.body));
      });
  Endpoints endpoints;
  endpoints.mainUrl = server_->Url();
  executor_ = std::make_unique<RequestExecutor>(ServerConfig::BuiltIn(endpoints), box_);

  std::atomic<int> answered{0};
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      while (!go.load()) std::this_thread::yield();
      value reply;
      const RequestHeader header = kHeaders[t];
      if (executor_->SendPacket(Request(header), reply) &&
          reply.at("header").as_integer() == HeaderNumber(header)) {
        ++answered;
      }
    });
  }
  go = true;
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(answered.load(), kThreads);
  EXPECT_EQ(executor_->MainClientsMade(), 1);
  EXPECT_EQ(server_->Received().size(), static_cast<std::size_t>(kThreads));
}

TEST_F(ExecutorTest, PatchInfoIsPlainJsonWithTheResultRule) {
  Answer(status_codes::OK, R"({"result":true,"files":["201902170/a.zip"]})");
  web::uri_builder query;
  query.append_query("version", "201902170");
  value reply;
  ASSERT_TRUE(executor_->FetchPatchInfo(query.to_string(), reply));
  EXPECT_EQ(reply.at("files").at(0).as_string(), "201902170/a.zip");
  EXPECT_EQ(server_->Received().at(0).method, "GET");
  EXPECT_EQ(server_->Received().at(0).pathAndQuery, "/?version=201902170");

  for (const char* json : {R"({"result":false})", R"({"files":[]})", R"({"result":"yes"})"}) {
    Answer(status_codes::OK, json);
    EXPECT_FALSE(executor_->FetchPatchInfo("/", reply)) << json;
    EXPECT_EQ(reply, value::parse(json));
  }
  Answer(status_codes::NotFound, R"({"result":true})");
  EXPECT_FALSE(executor_->FetchPatchInfo("/", reply));
  EXPECT_THAT(box_.Texts(), IsEmpty());

  Answer(status_codes::OK, R"({"result":true})", "text/plain");
  EXPECT_FALSE(executor_->FetchPatchInfo("/", reply));
  EXPECT_THAT(box_.Texts(), ElementsAre(kCheckConnectionMessage));
}

TEST_F(ExecutorTest, FetchJsonIgnoresResultButNeedsAJsonBody) {
  Answer(status_codes::OK, R"({"data":{"user_id":"42"},"result":false})");
  value reply;
  web::uri_builder path("/v2.8/debug_token");
  path.append_query("input_token", "a b&c");
  ASSERT_TRUE(executor_->FetchJson(server_->Url(), path.to_string(), reply));
  EXPECT_EQ(reply.at("data").at("user_id").as_string(), "42");
  EXPECT_EQ(server_->Received().at(0).pathAndQuery, "/v2.8/debug_token?input_token=a%20b%26c");

  Answer(status_codes::InternalError, R"({"data":{}})");
  EXPECT_FALSE(executor_->FetchJson(server_->Url(), "/", reply));
  Answer(status_codes::OK, "");  // nothing to read is not a JSON reply
  EXPECT_FALSE(executor_->FetchJson(server_->Url(), "/", reply));
  EXPECT_THAT(box_.Texts(), IsEmpty());

  Answer(status_codes::OK, R"({"data":{}})", "text/html");
  EXPECT_FALSE(executor_->FetchJson(server_->Url(), "/", reply));
  NothingListens();
  EXPECT_FALSE(executor_->FetchJson(
      "http://127.0.0.1:" + std::to_string(test::LoopbackServer::FreePort()), "/", reply));
  EXPECT_EQ(box_.Texts().size(), 2u);
}

class DownloadTest : public ExecutorTest {
 protected:
  // A patch server that answers every download with `archive`, announcing
  // its length or, `chunked`, sending it in chunks; the executor asks it.
  void ServeArchive(const std::string& archive, bool chunked = false) {
    server_ = std::make_unique<test::LoopbackServer>(
        [archive, chunked](http_request& request, const test::ReceivedRequest&) {
          web::http::http_response response(status_codes::OK);
          const std::vector<std::uint8_t> bytes(archive.begin(), archive.end());
          if (chunked) {
            // From bytes: a text stream is cast, which UBSan rejects inside
            // cpprestsdk.
            response.set_body(concurrency::streams::bytestream::open_istream(bytes));
          } else {
            response.set_body(bytes);
          }
          request.reply(response).wait();
        });
    Endpoints endpoints;
    endpoints.patchUrl = server_->Url();
    executor_ = std::make_unique<RequestExecutor>(ServerConfig::BuiltIn(endpoints), box_);
  }

  test::ScratchFolder dir_;
};

TEST_F(DownloadTest, WritesTheWholeBodyOfAStatus200) {
  std::string archive("PK\3\4", 4);
  for (int i = 0; i < 70000; ++i) archive.push_back(static_cast<char>(i * 31));
  ServeArchive(archive);

  const fs::path local = dir_ / "a.zip";
  ASSERT_TRUE(executor_->DownloadPatchFile("201902170/a b.zip", local, kAnySize));
  EXPECT_EQ(test::ReadFile(local), archive);
  const std::string asked = server_->Received().at(0).pathAndQuery;
  EXPECT_THAT(asked, StartsWith("/test?file="));
  EXPECT_EQ(web::uri::decode(web::uri::split_query(web::uri(asked).query()).at("file")),
            "201902170/a b.zip");

  // A folder that does not exist: nothing written, no message.
  EXPECT_FALSE(executor_->DownloadPatchFile("1/a.zip", dir_ / "none" / "a.zip", kAnySize));
  EXPECT_THAT(box_.Texts(), IsEmpty());
}

TEST_F(DownloadTest, ABodyOverTheLimitIsRefusedWhetherSizedOrInChunks) {
  const std::string archive(70000, 'z');
  for (const bool chunked : {false, true}) {
    ServeArchive(archive, chunked);
    const fs::path local = dir_ / "a.zip";
    EXPECT_FALSE(executor_->DownloadPatchFile("1/a.zip", local, archive.size() - 1)) << chunked;
    EXPECT_FALSE(fs::exists(local)) << chunked;
    EXPECT_TRUE(executor_->DownloadPatchFile("1/a.zip", local, archive.size())) << chunked;
    EXPECT_EQ(test::ReadFile(local), archive) << chunked;
  }
  EXPECT_THAT(box_.Texts(), IsEmpty()) << "the server's fault, not the connection's";
}

TEST_F(ExecutorTest, RepliesOverTheLimitAreRefusedBeforeTheyAreRead) {
  const std::string padding(RequestExecutor::kMaxReplyBytes, ' ');
  Answer(status_codes::OK, R"({"result":true})" + padding);
  value reply;
  EXPECT_FALSE(executor_->FetchPatchInfo("/?version=1", reply));
  EXPECT_TRUE(reply.is_null());
  Answer(status_codes::OK, SealedBody(R"({"header":9,"result":true})") +
                               std::string(RequestExecutor::kMaxPacketReplyBytes, ' '));
  EXPECT_FALSE(executor_->SendPacket(Request(kLoadRanking), reply));
  EXPECT_TRUE(reply.is_null());
  EXPECT_THAT(box_.Texts(), ElementsAre(kCheckConnectionMessage, kCheckConnectionMessage));
}

TEST_F(DownloadTest, OtherStatusesWriteNothingAndNoConnectionShowsTheMessage) {
  Answer(status_codes::NotFound, "no such file", "text/plain");
  const fs::path local = dir_ / "b.zip";
  EXPECT_FALSE(executor_->DownloadPatchFile("1/b.zip", local, kAnySize));
  EXPECT_FALSE(fs::exists(local));
  EXPECT_THAT(box_.Texts(), IsEmpty());
  NothingListens();
  EXPECT_FALSE(executor_->DownloadPatchFile("1/b.zip", local, kAnySize));
  EXPECT_THAT(box_.Texts(), ElementsAre(kCheckConnectionMessage));
}

}  // namespace
}  // namespace vel
