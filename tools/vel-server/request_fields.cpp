#include "request_fields.h"

#include <limits>

namespace vel::companion {
namespace {

BadMember Bad(const char* name, const char* what) {
  return BadMember(std::string("\"") + name + "\" " + what);
}

std::int32_t AsInt(const web::json::value& value, const char* name) {
  if (!value.is_integer()) throw Bad(name, "is not an integer");
  const web::json::number& number = value.as_number();
  if (!number.is_int32()) throw Bad(name, "is out of the 32-bit range");
  return number.to_int32();
}

double AsNumber(const web::json::value& value, const char* name) {
  if (!value.is_number()) throw Bad(name, "is not a number");
  return value.as_double();
}

}  // namespace

const web::json::value* RequestFields::Find(const char* name) const {
  const auto& object = request_.as_object();
  const auto found = object.find(name);
  return found == object.end() ? nullptr : &found->second;
}

const web::json::value& RequestFields::Member(const char* name) const {
  const web::json::value* value = Find(name);
  if (value == nullptr) throw Bad(name, "is missing");
  return *value;
}

std::uint64_t RequestFields::Id(const char* name) const {
  const web::json::value& value = Member(name);
  if (!value.is_integer() || !value.as_number().is_uint64()) {
    throw Bad(name, "is not an unsigned integer");
  }
  return value.as_number().to_uint64();
}

std::int32_t RequestFields::Int(const char* name) const { return AsInt(Member(name), name); }

double RequestFields::Number(const char* name) const { return AsNumber(Member(name), name); }

std::string RequestFields::Text(const char* name) const {
  const web::json::value& value = Member(name);
  if (!value.is_string()) throw Bad(name, "is not a string");
  return value.as_string();
}

std::optional<double> RequestFields::OptionalNumber(const char* name) const {
  const web::json::value* value = Find(name);
  if (value == nullptr || value->is_null()) return std::nullopt;
  return AsNumber(*value, name);
}

std::optional<std::int32_t> RequestFields::OptionalInt(const char* name) const {
  const web::json::value* value = Find(name);
  if (value == nullptr || value->is_null()) return std::nullopt;
  return AsInt(*value, name);
}

}  // namespace vel::companion
