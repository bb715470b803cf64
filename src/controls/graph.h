#pragma once

#include <QFont>
#include <QWidget>
#include <cstdint>

#include "app/graph_history.h"
#include "common/slot_table.h"

namespace vel {

// A rider panel's graph: a scrolling strip chart of the rider's live
// values, one coloured line per series over a dark green grid, the latest
// value written at the end of each line. Redraws itself at most four times
// a second, when samples came or series changed; samples only enter the
// history.
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
  SlotTable<GraphHistory> series_;
  QFont labelFont_;
  bool changed_ = false;  // since the last repaint tick
};

}  // namespace vel
