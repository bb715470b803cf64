#pragma once

#include <QDialog>

namespace vel {

// "레이싱 모드": a window kept for a mode to come. The main window makes it,
// hidden, and never shows it (its menu item says the mode is not ready).
class CRacingModeDlg : public QDialog {
 public:
  static constexpr int kResourceId = 137;

  explicit CRacingModeDlg(QWidget* parent = nullptr);
};

}  // namespace vel
