#include "ui/digit_edit.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleOptionFrame>

namespace vel {

DigitEdit::DigitEdit(int maxDigits, QWidget* parent) : QLineEdit(parent) {
  // "[0-9]", not "\d", which would take the digits of every script.
  setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
  setMaxLength(maxDigits);
}

QSize DigitEdit::sizeHint() const {
  const QSize usual = QLineEdit::sizeHint();
  // Room for one digit more than it takes, so the last one never scrolls.
  const QString widest(maxLength() + 1, QLatin1Char('0'));
  QStyleOptionFrame option;
  initStyleOption(&option);
  // The edit keeps two pixels free on either side of its text.
  constexpr int kInnerMargins = 2 * 2;
  const QMargins margins = textMargins();
  const QSize text(
      fontMetrics().horizontalAdvance(widest) + kInnerMargins + margins.left() + margins.right(),
      fontMetrics().height());
  const QSize framed = style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, this);
  return {framed.width(), usual.height()};
}

}  // namespace vel
