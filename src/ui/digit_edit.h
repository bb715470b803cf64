#pragma once

#include <QLineEdit>
#include <QSize>

namespace vel {

// An edit that takes the digits 0 to 9 only, at most `maxDigits` of them,
// and is as wide as they need.
class DigitEdit : public QLineEdit {
 public:
  DigitEdit(int maxDigits, QWidget* parent = nullptr);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }
};

}  // namespace vel
