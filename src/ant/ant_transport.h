#pragma once

#include <cstddef>
#include <cstdint>

namespace vel {

// What the framer needs of the link to a stick: one whole frame written in
// a single call. The serial transport implements it; tests and tools use
// fakes.
class AntTransport {
 public:
  virtual ~AntTransport() = default;
  virtual bool WriteBytes(const std::uint8_t* bytes, std::size_t count) = 0;
};

}  // namespace vel
