#pragma once

#include <string>

#include "app/panel_tile.h"

namespace vel {

// Where a class screen tile puts its texts, for a tile of `width` x
// `height` pixels: the rider's name, the heart rate large with its percent
// and zone, the power with its percent of FTP, two rows of figures, the
// riding time beside the name and the sensors' news (a battery, a sensor
// gone quiet).
// Font sizes are in pixels, made from the tile's height and held to its
// width, so that ten tiles read from across a studio at 1920 x 1080 and
// nothing is cut at 1280 x 720.
struct ClassTileLayout {
  struct Box {
    int x = 0, y = 0, width = 0, height = 0;
    int fontPixels = 0;
  };
  Box name, time, badge;
  Box heartRate, heartRateUnit, heartRateZone;
  Box power, powerZone;
  Box figures1, figures2;
  int zoneBar = 0;  // height of the zone colour bar along the top
};

ClassTileLayout LayOutClassTile(int width, int height);

// The texts of a tile, as drawn; "-" for a value not shown.
struct ClassTileTexts {
  std::string name, time, badge;
  std::string heartRate, heartRateUnit, heartRateZone;
  std::string power, powerZone;
  std::string figures1, figures2;
};
ClassTileTexts ClassTileTextsOf(const PanelTile& tile);
// The widest texts a tile may have to show, to check a layout with.
ClassTileTexts WidestClassTileTexts();

}  // namespace vel
