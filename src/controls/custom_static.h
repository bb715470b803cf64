#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

#include "controls/number_text.h"

namespace vel {

// One line of large heavy red text on white, as tall as the control: the
// values and the caption of a rider panel.
class CCustomStatic : public QWidget {
  Q_OBJECT

 public:
  explicit CCustomStatic(QWidget* parent = nullptr);

  void SetText(const QString& text);
  const QString& Text() const { return text_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QString text_;
  NumberText textPainter_;  // values are numbers; captions go to drawText
};

}  // namespace vel
