#include <cpprest/http_client.h>
#include <cpprest/uri_builder.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "server/request_executor.h"
#include "support/companion_server.h"
#include "support/read_file.h"
#include "support/recording_message_box.h"
#include "vel-server/patch_folder.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
constexpr std::uint64_t kAnySize = std::uint64_t{1} << 30;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using web::json::value;

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

class PatchServerTest : public ::testing::Test {
 protected:
  PatchServerTest() {
    const fs::path root = server_.PatchFolder();
    WriteFile(root / "2" / "b.zip", "two-b");
    WriteFile(root / "2" / "a.zip", "two-a");
    WriteFile(root / "10" / "VEL.zip", std::string("ten\0bytes", 9));
    WriteFile(root / "201902170" / "big.zip", "release");
    WriteFile(root / "1" / "old.zip", "one");
    WriteFile(root / "010" / "x.zip", "leading zero");
    WriteFile(root / "beta" / "x.zip", "not a number");
    WriteFile(root / "10" / ".hidden", "hidden");
    fs::create_directories(root / "10" / "sub");
    WriteFile(outside_ / "secret.txt", "secret");
  }
  ~PatchServerTest() override { fs::remove_all(outside_); }

  // The "files" of the update information for `version`, through the
  // program's executor.
  std::vector<std::string> Listed(const std::string& version) {
    web::uri_builder query;
    query.append_query("version", version);
    value reply;
    EXPECT_TRUE(executor_.FetchPatchInfo(query.to_string(), reply)) << version;
    std::vector<std::string> files;
    if (!reply.has_field("files")) return files;
    for (const value& file : reply.at("files").as_array()) files.push_back(file.as_string());
    return files;
  }

  int Status(const std::string& file) {
    web::http::client::http_client client(server_.PatchUrl());
    web::uri_builder path("/test");
    path.append_query("file", file);
    return client.request(web::http::methods::GET, path.to_string()).get().status_code();
  }

  test::RunningCompanionServer server_;
  test::RecordingMessageBox box_;
  RequestExecutor executor_{server_.Config(), box_};
  fs::path outside_ = server_.PatchFolder().parent_path() / "outside";
};

TEST_F(PatchServerTest, ListsEveryFileOfTheNewerVersionFoldersInNumericOrder) {
  EXPECT_THAT(Listed("0"),
              ElementsAre("1/old.zip", "2/a.zip", "2/b.zip", "10/VEL.zip", "201902170/big.zip"));
  EXPECT_THAT(Listed("2"), ElementsAre("10/VEL.zip", "201902170/big.zip"));
  EXPECT_THAT(Listed("9"), ElementsAre("10/VEL.zip", "201902170/big.zip"));
  EXPECT_THAT(Listed("000000010"), ElementsAre("201902170/big.zip"));
  EXPECT_THAT(Listed("201902170"), IsEmpty());
  EXPECT_THAT(Listed("18446744073709551615"), IsEmpty());
  EXPECT_THAT(box_.Texts(), IsEmpty());
}

TEST_F(PatchServerTest, AVersionThatIsNotADecimalNumberIsRefused) {
  for (const char* query : {"", "?version=", "?version=abc", "?version=-1", "?version=+5",
                            "?version=1.0", "?version=18446744073709551616", "?other=1"}) {
    value reply;
    EXPECT_FALSE(executor_.FetchPatchInfo(query, reply)) << query;
    EXPECT_FALSE(reply.at("result").as_bool()) << query;
  }
  EXPECT_THAT(box_.Texts(), IsEmpty());
}

TEST_F(PatchServerTest, ArchivesDownloadByteForByte) {
  const fs::path local = server_.PatchFolder().parent_path() / "download.zip";
  ASSERT_TRUE(executor_.DownloadPatchFile("10/VEL.zip", local, kAnySize));
  EXPECT_EQ(test::ReadFile(local), std::string("ten\0bytes", 9));
  EXPECT_FALSE(executor_.DownloadPatchFile("10/missing.zip", local, kAnySize));
  EXPECT_FALSE(executor_.DownloadPatchFile("10/sub", local, kAnySize));
  EXPECT_THAT(box_.Texts(), IsEmpty());

  web::http::client::http_client client(server_.PatchUrl());
  const auto response = client.request(web::http::methods::GET, "/test?file=2%2Fa.zip").get();
  EXPECT_EQ(response.headers().content_type(), "application/octet-stream");
  EXPECT_EQ(Status("nope/none.zip"), 404);
  EXPECT_EQ(client.request(web::http::methods::GET, "/test").get().status_code(), 404);
  EXPECT_EQ(client.request(web::http::methods::GET, "/elsewhere").get().status_code(), 404);
  EXPECT_EQ(client.request(web::http::methods::POST, "/?version=1").get().status_code(), 405);
}

TEST_F(PatchServerTest, PathsThatLeaveTheFolderAreRefused) {
  fs::create_symlink(outside_ / "secret.txt", server_.PatchFolder() / "10" / "link.zip");
  fs::create_directory_symlink(outside_, server_.PatchFolder() / "11");
  fs::create_symlink(server_.PatchFolder() / "2" / "a.zip",
                     server_.PatchFolder() / "10" / "inside.zip");

  for (const std::string file :
       {"../outside/secret.txt", "10/../../outside/secret.txt", "/etc/passwd", "10\\VEL.zip",
        "10/link.zip", "11/secret.txt", "./10/VEL.zip", "10//VEL.zip", "..", "11/missing"}) {
    EXPECT_EQ(Status(file), 403) << file;
  }
  EXPECT_EQ(Status(std::string("10/VEL.zip\0x", 12)), 403);
  // A link that stays inside is served; links that lead out are not listed.
  EXPECT_EQ(Status("10/inside.zip"), 200);
  EXPECT_THAT(Listed("10"), ElementsAre("201902170/big.zip"));
  EXPECT_THAT(Listed("9"), ElementsAre("10/VEL.zip", "10/inside.zip", "201902170/big.zip"));
}

}  // namespace
}  // namespace vel
