#include "support/read_file.h"

#include <fstream>
#include <iterator>

namespace vel::test {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  const std::string bytes = ReadFile(path);
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace vel::test
