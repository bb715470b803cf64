#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vel::test {

// The whole content of a file; empty when it is missing or unreadable.
std::string ReadFile(const std::filesystem::path& path);

// The same as bytes, for recordings of what a stick sent.
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);

}  // namespace vel::test
