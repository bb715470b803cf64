#include "rides/fit_file_writer.h"

#include <algorithm>

namespace vel {
namespace {

// The profile the files are written to: 21.00, in the header's
// major * 100 + minor form. Every message and field the program writes is
// older than that.
constexpr std::uint16_t kProfileVersion = 2100;
constexpr std::uint8_t kProtocolVersion = 0x20;  // 2.0
constexpr std::uint8_t kHeaderSize = 14;
constexpr std::uint8_t kDefinitionHeader = 0x40;

int SizeOf(FitType type) {
  switch (type) {
    case FitType::kEnum:
    case FitType::kUint8: return 1;
    case FitType::kUint16: return 2;
    case FitType::kUint32:
    case FitType::kUint32z: return 4;
  }
  return 1;
}

std::uint32_t InvalidOf(FitType type) {
  switch (type) {
    case FitType::kEnum:
    case FitType::kUint8: return 0xFF;
    case FitType::kUint16: return 0xFFFF;
    case FitType::kUint32: return 0xFFFFFFFF;
    case FitType::kUint32z: return 0;
  }
  return 0;
}

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// FIT's CRC-16, four bits at a time as the FIT protocol gives it.
std::uint16_t FitCrc(std::span<const std::uint8_t> bytes) {
  static constexpr std::uint16_t kTable[16] = {0x0000, 0xCC01, 0xD801, 0x1400, 0xF001, 0x3C00,
                                               0x2800, 0xE401, 0xA001, 0x6C00, 0x7800, 0xB401,
                                               0x5000, 0x9C01, 0x8801, 0x4400};
  std::uint16_t crc = 0;
  for (const std::uint8_t byte : bytes) {
    for (const int nibble : {byte & 0x0F, byte >> 4}) {
      const std::uint16_t low = kTable[crc & 0x0F];
      crc = static_cast<std::uint16_t>(((crc >> 4) & 0x0FFF) ^ low ^ kTable[nibble]);
    }
  }
  return crc;
}

}  // namespace

void FitFileWriter::Write(std::uint16_t message, std::span<const FitValue> values) {
  Layout layout{message, {}};
  std::vector<const FitValue*> present;
  for (const FitValue& value : values) {
    const bool array = !value.elements.empty();
    if (!array && value.value == InvalidOf(value.type)) continue;
    layout.fields.push_back({value.field, value.type, array ? value.elements.size() : 1});
    present.push_back(&value);
  }
  const int local = LocalTypeFor(layout);
  records_.push_back(static_cast<std::uint8_t>(local));
  for (const FitValue* value : present) {
    if (value->elements.empty()) {
      PutLittleEndian(records_, value->value, SizeOf(value->type));
      continue;
    }
    for (const std::uint32_t element : value->elements) {
      PutLittleEndian(records_, element, SizeOf(value->type));
    }
  }
}

int FitFileWriter::LocalTypeFor(const Layout& layout) {
  ++uses_;
  const auto defined = std::find_if(slots_.begin(), slots_.end(), [&](const Slot& slot) {
    return slot.lastUse != 0 && slot.layout == layout;
  });
  if (defined != slots_.end()) {
    defined->lastUse = uses_;
    return static_cast<int>(defined - slots_.begin());
  }
  // A slot never used has lastUse 0, so it goes before any in use.
  const auto slot =
      std::min_element(slots_.begin(), slots_.end(),
                       [](const Slot& a, const Slot& b) { return a.lastUse < b.lastUse; });
  slot->layout = layout;
  slot->lastUse = uses_;
  const int local = static_cast<int>(slot - slots_.begin());

  records_.push_back(static_cast<std::uint8_t>(kDefinitionHeader | local));
  records_.push_back(0);  // reserved
  records_.push_back(0);  // little-endian
  PutLittleEndian(records_, layout.message, 2);
  records_.push_back(static_cast<std::uint8_t>(layout.fields.size()));
  for (const Field& field : layout.fields) {
    records_.push_back(field.number);
    // A field holds at most 255 bytes; the program's arrays are a few values.
    records_.push_back(static_cast<std::uint8_t>(SizeOf(field.type) * field.count));
    records_.push_back(static_cast<std::uint8_t>(field.type));
  }
  return local;
}

std::vector<std::uint8_t> FitFileWriter::Finish() const {
  std::vector<std::uint8_t> file;
  file.reserve(kHeaderSize + records_.size() + 2);
  file.push_back(kHeaderSize);
  file.push_back(kProtocolVersion);
  PutLittleEndian(file, kProfileVersion, 2);
  // A ride's messages come nowhere near 4 GiB: a day of samples is a few MB.
  PutLittleEndian(file, static_cast<std::uint32_t>(records_.size()), 4);
  for (const char c : {'.', 'F', 'I', 'T'}) file.push_back(static_cast<std::uint8_t>(c));
  PutLittleEndian(file, FitCrc(file), 2);
  file.insert(file.end(), records_.begin(), records_.end());
  PutLittleEndian(file, FitCrc(file), 2);
  return file;
}

}  // namespace vel
