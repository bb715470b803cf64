#pragma once

#include <QDialog>
#include <QListWidget>
#include <QTimer>

#include "common/queues.h"
#include "common/string_queue.h"

namespace vel {

// The diagnostic window "로그": every log line of the program, in arrival
// order, the newest in view. It owns the log queue and binds it from its
// construction to its destruction, so lines logged while it is hidden (or
// before it is first shown) are there when it is shown. Its timer moves
// them into the list ten times a second, hidden or not.
class CLogDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kResourceId = 133;
  static constexpr int kListId = 1000;
  static constexpr int kDrainMs = 100;

  explicit CLogDlg(QWidget* parent = nullptr);

  // Appends the lines queued so far and scrolls the newest into view; the
  // timer calls it.
  void DrainLog();

 private:
  StringQueue queue_;
  QueueBinding binding_;
  QListWidget* list_;
  QTimer drainTimer_;
};

}  // namespace vel
