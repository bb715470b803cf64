#pragma once

#include <QListWidget>
#include <QString>
#include <cstdint>

namespace vel {

// A list whose entries carry their own colour: the team window's sensor
// and bicycle lists, where red marks the active entry. The first field of
// an entry's data, role kColourRole, is its Windows colour value
// (0x00BBGGRR); the roles from kUserRole on belong to the list's user. An
// entry without a colour is drawn like any list entry.
class CColorListBox : public QListWidget {
  Q_OBJECT

 public:
  static constexpr int kColourRole = Qt::UserRole;
  static constexpr int kUserRole = Qt::UserRole + 1;

  enum class Order { kAsAdded, kByText };

  // kByText keeps the entries sorted as text ("12" before "9").
  explicit CColorListBox(Order order = Order::kAsAdded, QWidget* parent = nullptr);

  // Adds an entry showing `text` in `colour`.
  QListWidgetItem* AddEntry(const QString& text, std::int32_t colour);
};

}  // namespace vel
