#pragma once

#include <cpprest/json.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace vel::test {

// What Garmin's FIT SDK decoder (the oracle, tests/fit/decode_fit.mjs run by
// Node) makes of `file`: one JSON object with "isFIT", "integrity",
// "errors", the file type, sport and sub-sport, counts of records, laps
// and sessions, the session's figures and the fields records carry. Fails
// when Node or the SDK is missing: scripts/setup.sh installs them.
::testing::AssertionResult DecodeFit(const std::filesystem::path& file, web::json::value& decoded);

}  // namespace vel::test
