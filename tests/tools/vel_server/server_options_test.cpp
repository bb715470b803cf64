#include "vel-server/server_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vel {
namespace {

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
  EXPECT_FALSE(defaults->strict);

  const auto given = companion::ParseServerOptions(
      {"--app", "http://0.0.0.0:80", "--patch", "localhost:1", "--sign-in", "[::1]:3001", "--db",
       "x.db", "--patches", "p", "--demo"},
      error);
  ASSERT_TRUE(given) << error;
  EXPECT_EQ(companion::ListenUrl(given->appAddress), "http://0.0.0.0:80");
  EXPECT_EQ(companion::ListenUrl(given->signInAddress), "http://[::1]:3001");
  EXPECT_TRUE(given->demo);
  EXPECT_EQ(given->database, "sqlite:x.db");
  const auto shared = companion::ParseServerOptions(
      {"--database", "postgresql://vel@db:5432/vel", "--import", "sqlite:old.db", "--strict"},
      error);
  ASSERT_TRUE(shared) << error;
  EXPECT_EQ(shared->database, "postgresql://vel@db:5432/vel");
  EXPECT_EQ(shared->importFrom, "sqlite:old.db");
  EXPECT_TRUE(shared->strict);

  for (const std::vector<std::string>& bad :
       std::vector<std::vector<std::string>>{{"--port"},
                                             {"--db"},
                                             {"--app", "3000"},
                                             {"--app", "host:0"},
                                             {"--app", "host:65536"},
                                             {"--app", "a/b:1"},
                                             {"--patches", ""},
                                             {"--database", "mysql://x"},
                                             {"--import", "old.db"},
                                             {"--import", "sqlite:old.db"}}) {
    EXPECT_FALSE(companion::ParseServerOptions(bad, error)) << bad[0];
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace vel
