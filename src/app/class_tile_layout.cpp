#include "app/class_tile_layout.h"

#include <algorithm>
#include <cmath>

#include "common/string_printf.h"
#include "rides/ride_time.h"

namespace vel {
namespace {

constexpr char kNone[] = "-";

// Of the tile's height: the rows from the top.
constexpr double kZoneBar = 0.03;
constexpr double kNameRow = 0.12;
constexpr double kHeartRateRow = 0.32;
constexpr double kZoneRow = 0.09;
constexpr double kPowerRow = 0.15;
constexpr double kFigureRow = 0.09;
constexpr double kBadgeRow = 0.09;
constexpr int kMargin = 8;
// A font's pixel size to the height of its row.
constexpr double kFontOfRow = 0.82;
// Digits are about 0.6 of a font's size wide; a row's text is held to it.
constexpr double kDigitWidth = 0.62;

// How many digits wide a text is: a Korean letter is about one and a half.
double DigitsWide(const std::string& text) {
  double wide = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      wide += 1;
    } else if (byte >= 0xC0) {
      wide += 1.6;  // the first byte of a letter beyond ASCII
    }
  }
  return wide;
}

}  // namespace

ClassTileLayout LayOutClassTile(int width, int height) {
  static const ClassTileTexts widest = WidestClassTileTexts();
  ClassTileLayout layout;
  const int inner = std::max(1, width - 2 * kMargin);
  int y = 0;
  const auto row = [&](double share, const std::string& text) {
    const double characters = std::max(4.0, DigitsWide(text) + 1);
    ClassTileLayout::Box box;
    box.x = kMargin;
    box.y = y;
    box.width = inner;
    box.height = static_cast<int>(std::lround(share * height));
    // As tall as the row allows, as narrow as the widest text needs.
    const double byHeight = box.height * kFontOfRow;
    const double byWidth = inner / (characters * kDigitWidth);
    box.fontPixels = std::max(6, static_cast<int>(std::min(byHeight, byWidth)));
    y += box.height;
    return box;
  };
  layout.zoneBar = static_cast<int>(std::lround(kZoneBar * height));
  y = layout.zoneBar;
  layout.name = row(kNameRow, widest.name + "  " + widest.time);
  layout.time = layout.name;
  layout.heartRate = row(kHeartRateRow, widest.heartRate);
  // The unit and the zone beside the number, at the row's foot.
  layout.heartRateUnit = layout.heartRate;
  layout.heartRateUnit.fontPixels = std::max(6, layout.heartRate.fontPixels / 4);
  layout.heartRateZone = row(kZoneRow, widest.heartRateZone);
  // The percent beside the power at half its size.
  layout.power =
      row(kPowerRow,
          widest.power +
              std::string(static_cast<std::size_t>(DigitsWide(widest.powerZone) / 2 + 1), '0'));
  layout.powerZone = layout.power;
  layout.powerZone.fontPixels = std::max(6, layout.power.fontPixels / 2);
  layout.figures1 = row(kFigureRow, widest.figures1);
  layout.figures2 = row(kFigureRow, widest.figures2);
  layout.badge = row(kBadgeRow, widest.badge);
  return layout;
}

ClassTileTexts ClassTileTextsOf(const PanelTile& tile) {
  ClassTileTexts texts;
  texts.name = tile.name;
  const auto boxName = [](int k) {
    switch (static_cast<SensorBox>(k)) {
      case SensorBox::kSpeed: return "속도";
      case SensorBox::kCadence: return "케이던스";
      case SensorBox::kHeartRate: return "심박";
      case SensorBox::kPower: return "파워";
    }
    return "";
  };
  // The worst news first: a battery to change, a sensor gone quiet, a low one.
  for (int k = 0; k < kSensorBoxCount && texts.badge.empty(); ++k) {
    if (tile.battery[static_cast<std::size_t>(k)] == BatteryLevel::kCritical) {
      texts.badge = std::string(boxName(k)) + " 배터리 교체";
    }
  }
  for (int k = 0; k < kSensorBoxCount && texts.badge.empty(); ++k) {
    if (tile.silent[static_cast<std::size_t>(k)])
      texts.badge = std::string(boxName(k)) + " 신호 없음";
  }
  for (int k = 0; k < kSensorBoxCount && texts.badge.empty(); ++k) {
    if (tile.battery[static_cast<std::size_t>(k)] == BatteryLevel::kLow) {
      texts.badge = std::string(boxName(k)) + " 배터리 부족";
    }
  }
  texts.heartRate = tile.heartRate ? std::to_string(*tile.heartRate) : kNone;
  texts.heartRateUnit = "bpm";
  if (tile.heartRateZone) {
    texts.heartRateZone =
        StringPrintf("%.0f%%%s  존 %d", tile.heartRateZone->percent,
                     tile.maxHeartRateEstimated ? "(추정)" : "", tile.heartRateZone->zone);
  }
  texts.power = tile.power ? std::to_string(*tile.power) + " W" : std::string(kNone) + " W";
  if (tile.powerZone) {
    texts.powerZone =
        StringPrintf("%.0f%% FTP  존 %d", tile.powerZone->percent, tile.powerZone->zone);
  }
  texts.figures1 = (tile.cadence ? std::to_string(*tile.cadence) : std::string(kNone)) + " rpm  " +
                   (tile.speed ? StringPrintf("%.1f", *tile.speed) : std::string(kNone)) + " km/h";
  texts.figures2 = StringPrintf("%.2f km  ", tile.distanceKm) +
                   (tile.kcal ? StringPrintf("%.0f", *tile.kcal) : std::string(kNone)) + " kcal";
  texts.time = ClockText(tile.ridingSeconds);
  return texts;
}

ClassTileTexts WidestClassTileTexts() {
  PanelTile tile;
  tile.name = "라이더10";
  tile.heartRate = 199;
  tile.heartRateZone = ZoneReading{5, 100};
  tile.maxHeartRateEstimated = true;
  tile.power = 1999;
  tile.powerZone = ZoneReading{7, 999};
  tile.cadence = 199;
  tile.speed = 99.9;
  tile.distanceKm = 99.99;
  tile.kcal = 9999;
  tile.ridingSeconds = 9 * 3600 + 59 * 60 + 59;
  tile.battery[0] = BatteryLevel::kCritical;
  return ClassTileTextsOf(tile);
}

}  // namespace vel
