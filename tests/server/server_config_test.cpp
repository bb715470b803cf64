#include "server/server_config.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "server/packet_cipher.h"
#include "server/sealed_file.h"
#include "support/read_file.h"
#include "support/scratch_folder.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using web::json::value;

class ServerConfigTest : public ::testing::Test {
 protected:
  fs::path File() const { return dir_ / kConfigFileName; }

  test::ScratchFolder dir_;
};

TEST_F(ServerConfigTest, BuiltInValuesAndTheirFileForm) {
  const ServerConfig config = ServerConfig::BuiltIn(Endpoints{});
  EXPECT_EQ(config.MainUrl(), "http://127.0.0.1:3000");
  EXPECT_EQ(config.PatchUrl(), "http://127.0.0.1:1337");
  EXPECT_EQ(config.ExeFile(), "vel");
  EXPECT_EQ(config.ExeFile().find('_'), std::string::npos);  // "_" marks a staged copy
  EXPECT_EQ(config.FacebookFile(), "VEL.f");

  ASSERT_TRUE(WriteDefaultConfig(File(), Endpoints{}));
  const auto plain = PacketCipher().Decrypt(test::ReadFileBytes(File()));
  ASSERT_TRUE(plain);
  EXPECT_EQ(std::string(plain->begin(), plain->end()),
            R"({"file":{"exe":"vel","facebook":"VEL.f"},)"
            R"("url":{"main":"http://127.0.0.1:3000","patch":"http://127.0.0.1:1337"}})");
}

TEST_F(ServerConfigTest, EnvironmentOverridesTheEndpoints) {
  const std::map<std::string, std::string> env = {{"VEL_MAIN_URL", "http://studio:3000"},
                                                  {"VEL_PATCH_URL", ""},
                                                  {"VEL_FACEBOOK_GRAPH", "http://127.0.0.1:9"}};
  const Endpoints endpoints = ReadEndpoints([&env](const char* name) -> const char* {
    const auto it = env.find(name);
    return it == env.end() ? nullptr : it->second.c_str();
  });
  EXPECT_EQ(endpoints.mainUrl, "http://studio:3000");
  EXPECT_EQ(endpoints.patchUrl, "http://127.0.0.1:1337");  // empty counts as unset
  EXPECT_EQ(endpoints.facebookWeb, "https://www.facebook.com");
  EXPECT_EQ(endpoints.facebookGraph, "http://127.0.0.1:9");

  ASSERT_TRUE(WriteDefaultConfig(File(), endpoints));
  ServerConfig config;
  ASSERT_TRUE(LoadConfig(config, File()));
  EXPECT_EQ(config.MainUrl(), "http://studio:3000");
  EXPECT_EQ(config.PatchUrl(), "http://127.0.0.1:1337");
}

TEST_F(ServerConfigTest, AFileOfAnEarlierRunIsOverwrittenAtStart) {
  Endpoints old;
  old.mainUrl = "http://old-host:3000";
  ASSERT_TRUE(WriteDefaultConfig(File(), old));
  WriteDefaultConfig(File(), Endpoints{});
  ServerConfig config;
  ASSERT_TRUE(LoadConfig(config, File()));
  EXPECT_EQ(config.MainUrl(), "http://127.0.0.1:3000");
}

TEST_F(ServerConfigTest, AReadOnlyValidFileStillLoads) {
  Endpoints old;
  old.mainUrl = "http://old-host:3000";
  ASSERT_TRUE(WriteDefaultConfig(File(), old));
  fs::permissions(File(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const bool written = WriteDefaultConfig(File(), Endpoints{});
  ServerConfig config;
  ASSERT_TRUE(LoadConfig(config, File()));
  // root writes read-only files; anyone else keeps the old content.
  EXPECT_EQ(config.MainUrl(), written ? "http://127.0.0.1:3000" : "http://old-host:3000");
  if (::geteuid() != 0) {
    EXPECT_FALSE(written);
  }
}

TEST_F(ServerConfigTest, MissingAndUnwritableMeansNoConfig) {
  const fs::path nowhere = dir_ / "missing-folder" / kConfigFileName;
  EXPECT_FALSE(WriteDefaultConfig(nowhere, Endpoints{}));
  ServerConfig config = ServerConfig::BuiltIn(Endpoints{});
  EXPECT_FALSE(LoadConfig(config, nowhere));
  EXPECT_EQ(config.MainUrl(), "http://127.0.0.1:3000");  // untouched
  // A folder in the file's place: neither written nor read.
  fs::create_directory(File());
  EXPECT_FALSE(WriteDefaultConfig(File(), Endpoints{}));
  EXPECT_FALSE(LoadConfig(config, File()));
}

TEST_F(ServerConfigTest, ReadsUpTo1024BytesAndRefusesLongerFiles) {
  // Plaintexts of 1008 and 1024 bytes seal to 1024 and 1040 bytes.
  for (const std::size_t plain : {1008u, 1024u}) {
    value json = ServerConfig::BuiltIn(Endpoints{}).ToJson();
    json["pad"] = value::string("");
    json["pad"] = value::string(std::string(plain - json.serialize().size(), 'p'));
    ASSERT_TRUE(WriteSealedFile(File(), json, 4096));
    ASSERT_EQ(fs::file_size(File()), PacketCipher::CipherLength(plain));
    ServerConfig config;
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadConfig(config, File()), plain == 1008u) << plain;
    const std::string out = testing::internal::GetCapturedStdout();
    if (plain == 1024u) {
      EXPECT_THAT(out, ::testing::HasSubstr("has 1040 bytes, more than 1024"));
    }
  }
}

TEST_F(ServerConfigTest, RefusesFilesThatDoNotDecryptOrLackAKey) {
  ServerConfig config;
  { std::ofstream(File(), std::ios::binary) << std::string(32, 'z'); }
  testing::internal::CaptureStdout();
  EXPECT_FALSE(LoadConfig(config, File()));
  EXPECT_THAT(testing::internal::GetCapturedStdout(),
              ::testing::StartsWith("ERR: EVP_DecryptFinal() - "));
  EXPECT_EQ(ReadSealedFile(File()).status, SealedFileStatus::kNotDecrypted);

  value json = ServerConfig::BuiltIn(Endpoints{}).ToJson();
  json["url"]["patch"] = value::number(1337);
  ASSERT_TRUE(WriteSealedFile(File(), json));
  EXPECT_FALSE(LoadConfig(config, File()));
  ASSERT_TRUE(WriteSealedFile(File(), value::parse(R"(["url","file"])")));
  EXPECT_FALSE(LoadConfig(config, File()));
  {
    std::ofstream out(File(), std::ios::binary);
    const auto sealed = *PacketCipher().Encrypt(std::string_view(R"({"url":)"));
    out.write(reinterpret_cast<const char*>(sealed.data()),
              static_cast<std::streamsize>(sealed.size()));
  }
  EXPECT_EQ(ReadSealedFile(File()).status, SealedFileStatus::kNotJson);
  EXPECT_FALSE(LoadConfig(config, File()));
  EXPECT_TRUE(config.Empty());
}

}  // namespace
}  // namespace vel
