#pragma once

#include <cpprest/json.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace vel::companion {

// A request member that is missing or holds another JSON type than the
// program sends.
class BadMember : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Typed reads of the members of one request object; each throws BadMember
// when the member is missing or of the wrong kind. Ids are unsigned 64-bit
// integers and small numbers signed 32-bit integers, as the program sends
// them; a floating number in their place counts as the wrong kind.
class RequestFields {
 public:
  explicit RequestFields(const web::json::value& request) : request_(request) {}

  std::uint64_t Id(const char* name) const;
  std::int32_t Int(const char* name) const;
  double Number(const char* name) const;
  std::string Text(const char* name) const;
  bool Has(const char* name) const { return Find(name) != nullptr; }
  // Missing or null gives no value.
  std::optional<double> OptionalNumber(const char* name) const;
  std::optional<std::int32_t> OptionalInt(const char* name) const;

 private:
  const web::json::value& Member(const char* name) const;
  const web::json::value* Find(const char* name) const;

  const web::json::value& request_;
};

}  // namespace vel::companion
