#include "team/gear_lists.h"

#include <algorithm>
#include <sstream>

namespace vel {
namespace {

// "11단(12-25T) 12-13-...-25": the sprockets are the numbers after the
// blank, listed here largest first.
CassetteEntry Cassette(const std::string& text) {
  CassetteEntry entry{text, {}};
  std::istringstream numbers(text.substr(text.rfind(' ') + 1));
  for (std::string n; std::getline(numbers, n, '-');) entry.sprockets.push_back(std::stoi(n));
  std::reverse(entry.sprockets.begin(), entry.sprockets.end());
  return entry;
}

}  // namespace

const std::vector<std::string>& GenderList() {
  static const std::vector<std::string> list = {"", "남성", "여성"};
  return list;
}

const std::vector<ChainringEntry>& ChainringList() {
  static const std::vector<ChainringEntry> list = {
      {"", {}},
      {"50-34T(컴팩트)", {50, 34}},
      {"52-36T(미드컴팩트)", {52, 36}},
      {"53-39T(스탠다드)", {53, 39}},
  };
  return list;
}

const std::vector<CassetteEntry>& CassetteList() {
  static const std::vector<CassetteEntry> list = {
      {"", {}},
      Cassette("11단(12-25T) 12-13-14-15-16-17-18-19-21-23-25"),
      Cassette("11단(12-28T) 12-13-14-15-16-17-19-21-23-25-28"),
      Cassette("11단(11-28T) 11-12-13-14-15-16-17-19-22-25-28"),
      Cassette("11단(11-28T) 11-12-13-14-15-17-19-21-23-25-28"),
      Cassette("11단(11-25T) 11-12-13-14-15-16-17-19-21-23-25"),
      Cassette("10단(12-27T) 12-13-14-15-16-17-19-21-24-27"),
      Cassette("10단(12-25T) 12-13-14-15-16-17-19-21-23-25"),
      Cassette("10단(12-23T) 12-13-14-15-16-17-18-19-21-23"),
      Cassette("10단(11-28T) 11-12-13-14-15-17-19-21-24-28"),
      Cassette("10단(11-27T) 11-12-13-14-15-17-19-21-24-27"),
      Cassette("10단(11-25T) 11-12-13-14-15-17-19-21-23-25"),
      Cassette("10단(11-23T) 11-12-13-14-15-16-17-19-21-23"),
      Cassette("10단(11-21T) 11-12-13-14-15-16-17-18-19-21"),
  };
  return list;
}

const std::vector<TireEntry>& TireList() {
  static const std::vector<TireEntry> list = {{"", 0.0}, {"700-23C", kStandardWheelCircumferenceM}};
  return list;
}

}  // namespace vel
