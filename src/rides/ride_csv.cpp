#include "rides/ride_csv.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "common/string_printf.h"
#include "rides/ride_time.h"

namespace vel {
namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr char kHeader[] =
    "경과(초),시각,심박(bpm),속도(km/h),케이던스(rpm),파워(W),거리(km),앞 기어,뒤 기어\n";

void AddCell(std::string& row, const std::optional<int>& value) {
  row += ',';
  if (value) row += std::to_string(*value);
}

// Fixed-point with `decimals` decimals; to_chars does not follow the
// locale, as printf would.
void AddCell(std::string& row, const std::optional<double>& value, int decimals) {
  row += ',';
  if (!value || !std::isfinite(*value)) return;
  char text[64];
  const auto [end, error] =
      std::to_chars(text, text + sizeof text, *value, std::chars_format::fixed, decimals);
  if (error != std::errc()) return;
  std::string_view cell(text, static_cast<std::size_t>(end - text));
  // A tiny negative value would show as "-0.0".
  if (cell.starts_with('-') && cell.find_first_not_of("-0.") == std::string_view::npos) {
    cell.remove_prefix(1);
  }
  row += cell;
}

std::string ClockText(std::int64_t utcMs) {
  const auto local = LocalTimeAt(utcMs);
  if (!local) return {};
  return StringPrintf("%04d-%02d-%02d %02d:%02d:%02d", local->tm_year + 1900, local->tm_mon + 1,
                      local->tm_mday, local->tm_hour, local->tm_min, local->tm_sec);
}

}  // namespace

std::string RideCsv(const Ride& ride) {
  std::string csv = kByteOrderMark;
  csv += kHeader;
  for (const RideSample& sample : ride.samples) {
    std::string row = std::to_string(WholeSeconds(sample.offsetMs));
    row += ',';
    row += ClockText(MsAfter(ride.startUtcMs, sample.offsetMs));
    AddCell(row, sample.heartRate);
    AddCell(row, sample.speed, 1);
    AddCell(row, sample.cadence);
    AddCell(row, sample.power);
    AddCell(row, sample.distance, 2);
    AddCell(row, sample.frontTeeth);
    AddCell(row, sample.rearTeeth);
    row += '\n';
    csv += row;
  }
  return csv;
}

}  // namespace vel
