#include "common/json_fields.h"

#include <cmath>
#include <limits>

namespace vel {
namespace {

const web::json::value* Member(const web::json::value& object, const std::string& key) {
  if (!object.is_object()) return nullptr;
  const auto& fields = object.as_object();
  const auto found = fields.find(key);
  if (found == fields.end() || found->second.is_null()) return nullptr;
  return &found->second;
}

}  // namespace

bool HasNonNull(const web::json::value& object, const std::string& key) {
  return Member(object, key) != nullptr;
}

std::optional<std::uint64_t> ReadId(const web::json::value& object, const std::string& key) {
  const web::json::value* v = Member(object, key);
  if (v == nullptr || !v->is_number()) return std::nullopt;
  const web::json::number& n = v->as_number();
  if (n.is_uint64()) return n.to_uint64();
  if (n.is_integral()) return std::nullopt;  // negative
  const double d = n.to_double();
  if (!std::isfinite(d) || d < 0 || d >= 18446744073709551616.0) return std::nullopt;
  return static_cast<std::uint64_t>(d);
}

std::optional<std::int32_t> ReadInt(const web::json::value& object, const std::string& key) {
  const web::json::value* v = Member(object, key);
  if (v == nullptr || !v->is_number()) return std::nullopt;
  const web::json::number& n = v->as_number();
  if (n.is_int32()) return n.to_int32();
  if (n.is_integral()) return std::nullopt;  // out of range
  const double d = std::trunc(n.to_double());
  if (!std::isfinite(d) || d < std::numeric_limits<std::int32_t>::min() ||
      d > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(d);
}

std::optional<double> ReadNumber(const web::json::value& object, const std::string& key) {
  const web::json::value* v = Member(object, key);
  if (v == nullptr || !v->is_number()) return std::nullopt;
  return v->as_double();
}

std::optional<bool> ReadBool(const web::json::value& object, const std::string& key) {
  const web::json::value* v = Member(object, key);
  if (v == nullptr || !v->is_boolean()) return std::nullopt;
  return v->as_bool();
}

std::optional<std::string> ReadString(const web::json::value& object, const std::string& key) {
  const web::json::value* v = Member(object, key);
  if (v == nullptr || !v->is_string()) return std::nullopt;
  return v->as_string();
}

}  // namespace vel
