#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace vel {

// One timer for every drawn control that redraws on the same period. Each
// control with a timer of its own would be painted and put on the screen in
// a pass of its own; on one ticker the repaints of a tick fall in one pass
// of the event loop, and the window goes to the screen once.
//
// User-interface thread only. The ticker of a period lives with the
// application object and runs only while a control has joined it.
class RepaintTicker : public QObject {
  Q_OBJECT

 public:
  // The ticker of `periodMs`, made on first use.
  static RepaintTicker& Of(int periodMs);

  // Calls `tick` at every tick for as long as `control` lives.
  void Join(QObject* control, std::function<void()> tick);

 private:
  explicit RepaintTicker(int periodMs);
  void Leave();

  QTimer timer_;
  int members_ = 0;
};

}  // namespace vel
