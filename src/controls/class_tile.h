#pragma once

#include <QWidget>

#include "app/panel_tile.h"

namespace vel {

// One rider on the class screen: the name, the heart rate large in its
// zone's colour with its percent of the maximum, the power with its
// percent of FTP, cadence, speed, distance, calories and riding time, and
// the sensors' news; a bar along the top in the heart-rate zone's colour.
class CClassTile : public QWidget {
 public:
  explicit CClassTile(QWidget* parent = nullptr);
  void Show(const PanelTile& tile);
  const PanelTile& Shown() const { return tile_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PanelTile tile_;
};

}  // namespace vel
