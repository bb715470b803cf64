#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "app/graph_geometry.h"
#include "app/graph_history.h"
#include "common/slot_table.h"
#include "controls/number_text.h"

namespace vel {

// A rider panel's graph: a scrolling strip chart of the rider's live
// values, one coloured line per series over a dark green grid, the latest
// value written at the end of each line. Redraws itself at most four times
// a second, when samples came or series changed; samples only enter the
// history.
//
// The picture is kept between repaints. When every series moved on by the
// same number of samples, the picture is moved left and only what moved in
// is drawn (PlanGraphUpdate): ten graphs four times a second would
// otherwise draw every column of every line each time.
class CGraph : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kRepaintMs = 250;

  explicit CGraph(QWidget* parent = nullptr);

  // A new series of this colour (0x00BBGGRR) in the lowest free slot; its
  // index, never negative, stays valid until it is removed.
  int AddSeries(std::uint32_t colour);
  // Frees the slot; unknown indexes are ignored.
  void RemoveSeries(int index);
  // Appends a sample (0..9999) to a series; unknown indexes are ignored.
  void PushSample(int series, int value);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Brings picture_ up to date with the series, moving it where it can.
  void UpdatePicture();
  // Draws what of `picture` falls in `area` of picture_.
  void DrawPicture(const GraphPicture& picture, const QRect& area);

  SlotTable<GraphHistory> series_;
  NumberText labels_;
  bool changed_ = false;  // since the picture was drawn
  // Series added or removed, or nothing drawn yet: no moving.
  bool drawWhole_ = true;
  std::vector<int> pushed_;  // per series, samples since the picture was drawn
  QImage picture_;
};

}  // namespace vel
