#include "ant/network_key.h"

#include <cstring>

#include "common/string_printf.h"

namespace vel {
namespace {

// The program's own network key.
constexpr std::array<std::uint8_t, 8> kOwnNetworkKey = {'V', 'E', 'L', '-', 'R', 'O', 'O', 'M'};
constexpr std::size_t kKeyDigits = 16;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Shown(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x20 && byte < 0x7F) return StringPrintf("'%c'", c);
  return StringPrintf("byte 0x%02X", byte);
}

NetworkKeySetting OwnKeyBecause(std::string problem) {
  NetworkKeySetting setting;
  setting.key = kOwnNetworkKey;
  setting.problem = "VEL_ANT_NETWORK_KEY " + problem +
                    ": the program's own network key is used and real ANT+ sensors stay silent";
  return setting;
}

}  // namespace

NetworkKeySetting ReadNetworkKey(const char* hexText) {
  if (hexText == nullptr) return NetworkKeySetting{kOwnNetworkKey, false, ""};
  const std::size_t length = std::strlen(hexText);
  if (length != kKeyDigits) {
    return OwnKeyBecause(StringPrintf("must be 16 hex digits but has %zu characters", length));
  }
  NetworkKeySetting setting;
  for (std::size_t i = 0; i < setting.key.size(); ++i) {
    for (std::size_t digit = 2 * i; digit < 2 * i + 2; ++digit) {
      if (HexValue(hexText[digit]) < 0) {
        return OwnKeyBecause(StringPrintf("has %s at position %zu, which is not a hex digit",
                                          Shown(hexText[digit]).c_str(), digit + 1));
      }
    }
    setting.key[i] =
        static_cast<std::uint8_t>(HexValue(hexText[2 * i]) * 16 + HexValue(hexText[2 * i + 1]));
  }
  setting.given = true;
  return setting;
}

std::string NetworkKeyAdvice() {
  return "ANT+ sensors are heard only with the ANT+ network key: set it as 16 hex digits in "
         "VEL_ANT_NETWORK_KEY (ANT+ adopters get it from thisisant.com)";
}

}  // namespace vel
