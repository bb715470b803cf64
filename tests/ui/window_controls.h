#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTest>
#include <QWidget>

#include "controls/object_names.h"

namespace vel::test {

// A window's control by its resource id; fails the test when it has none
// of that kind.
template <typename Control>
Control* ControlOf(const QWidget& window, int id) {
  auto* control = window.findChild<Control*>(ControlObjectName(id));
  EXPECT_NE(control, nullptr) << "no control " << id;
  return control;
}

inline void Click(const QWidget& window, int id) {
  QTest::mouseClick(ControlOf<QAbstractButton>(window, id), Qt::LeftButton);
}

// Types a text a letter at a time, as a keyboard or an input method would
// hand it over (QTest::keyClicks takes ASCII only).
inline void Type(const QWidget& window, int id, const QString& text) {
  QWidget* control = ControlOf<QWidget>(window, id);
  for (const QChar letter : text) {
    QTest::sendKeyEvent(QTest::Click, control, Qt::Key_unknown, QString(letter), Qt::NoModifier);
  }
}

// Clicks the first entry of a list with that text; false when there is none.
inline bool ClickEntry(const QWidget& window, int id, const QString& text) {
  auto* list = ControlOf<QListWidget>(window, id);
  const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
  if (found.isEmpty()) return false;
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(found.first()).center());
  return true;
}

// The texts of a list's entries, "*" behind those drawn in a colour other
// than black (the active ones).
inline QStringList Entries(const QWidget& window, int id, int colourRole) {
  auto* list = ControlOf<QListWidget>(window, id);
  QStringList out;
  for (int row = 0; row < list->count(); ++row) {
    const QListWidgetItem* item = list->item(row);
    out << item->text() + (item->data(colourRole).toInt() != 0 ? QStringLiteral("*") : QString());
  }
  return out;
}

// The controls of a shown window that are narrower or lower than they need
// to be to show their text: labels, buttons, edits and drop-down lists
// (with their longest entry), and table columns beyond their table.
inline QStringList Squeezed(const QWidget& window) {
  QStringList out;
  for (QWidget* child : window.findChildren<QWidget*>()) {
    if (!child->isVisibleTo(&window)) continue;
    QSize need;
    if (qobject_cast<QComboBox*>(child) != nullptr) {
      need = child->sizeHint();
    } else if (qobject_cast<QLabel*>(child) || qobject_cast<QAbstractButton*>(child) ||
               qobject_cast<QLineEdit*>(child) || qobject_cast<QGroupBox*>(child)) {
      need = child->minimumSizeHint();
    } else if (auto* table = qobject_cast<QTableWidget*>(child)) {
      if (table->horizontalHeader()->length() > table->viewport()->width()) {
        out << child->objectName() + QStringLiteral(" columns");
      }
      continue;
    } else {
      continue;
    }
    if (child->width() < need.width() || child->height() < need.height()) {
      out << QStringLiteral("%1 %2 %3x%4 < %5x%6")
                 .arg(QString::fromUtf8(child->metaObject()->className()), child->objectName())
                 .arg(child->width())
                 .arg(child->height())
                 .arg(need.width())
                 .arg(need.height());
    }
  }
  return out;
}

inline void Shoot(QWidget& window, const QString& file) {
  window.show();
  EXPECT_EQ(Squeezed(window), QStringList()) << file.toStdString();
  const QString folder = QStringLiteral(VEL_WINDOW_SHOTS_DIR);
  ASSERT_TRUE(QDir().mkpath(folder));
  EXPECT_TRUE(window.grab().save(folder + QLatin1Char('/') + file)) << file.toStdString();
}

}  // namespace vel::test
