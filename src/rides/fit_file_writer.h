#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vel {

// The FIT base types the program writes, as their type bytes.
enum class FitType : std::uint8_t {
  kEnum = 0x00,
  kUint8 = 0x02,
  kUint16 = 0x84,
  kUint32 = 0x86,
  kUint32z = 0x8C,
};

// One field of a message: its number in the message and its value, which
// must fit the type. A value that is the type's "invalid" is left out of
// the message, so it can never be read back as data.
struct FitValue {
  std::uint8_t field = 0;
  FitType type = FitType::kUint8;
  std::uint32_t value = 0;
  // An array field instead (times in zones): these values, each of the
  // type, none of them "invalid"; `value` is then unused.
  std::vector<std::uint32_t> elements;
};

// Lays out a FIT file (protocol 2.0, little-endian) message by message.
// Each message says only the fields it has; the writer defines a local
// message type for every layout it meets and reuses it while it is still
// defined, the least recently used giving way when all 16 are taken.
class FitFileWriter {
 public:
  void Write(std::uint16_t message, std::span<const FitValue> values);

  // The whole file: the 14-byte header with its CRC, the messages and the
  // file's CRC.
  std::vector<std::uint8_t> Finish() const;

 private:
  struct Field {
    std::uint8_t number;
    FitType type;
    std::size_t count;  // 1, or the array's length
    bool operator==(const Field&) const = default;
  };
  struct Layout {
    std::uint16_t message = 0;
    std::vector<Field> fields;
    bool operator==(const Layout&) const = default;
  };
  struct Slot {
    Layout layout;
    std::uint64_t lastUse = 0;  // 0: never defined
  };

  int LocalTypeFor(const Layout& layout);

  std::vector<std::uint8_t> records_;
  std::array<Slot, 16> slots_;
  std::uint64_t uses_ = 0;
};

}  // namespace vel
