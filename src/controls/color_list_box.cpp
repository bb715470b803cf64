#include "controls/color_list_box.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>
#include <optional>
#include <variant>

#include "app/colour_entry_look.h"
#include "controls/windows_colour.h"

namespace vel {
namespace {

QColor ToColor(const EntryColour& colour, const QPalette& palette) {
  if (const auto* value = std::get_if<std::uint32_t>(&colour)) return WindowsColour(*value);
  switch (std::get<SystemColour>(colour)) {
    case SystemColour::kWindow: return palette.color(QPalette::Active, QPalette::Base);
    case SystemColour::kWindowText: return palette.color(QPalette::Active, QPalette::Text);
    case SystemColour::kHighlight: return palette.color(QPalette::Active, QPalette::Highlight);
    case SystemColour::kHighlightText:
      return palette.color(QPalette::Active, QPalette::HighlightedText);
    case SystemColour::kGrayText: return palette.color(QPalette::Disabled, QPalette::Text);
  }
  return {};
}

// Paints every entry itself, in the colours its data asks for; an entry is
// as tall as the style's check mark.
class ColourEntryDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const QVariant data = index.data(CColorListBox::kColourRole);
    const std::optional<std::uint32_t> colour =
        data.isValid() ? std::optional(data.toUInt()) : std::nullopt;
    const EntryLook look = LookOfColourEntry(colour, option.state.testFlag(QStyle::State_Selected),
                                             !option.state.testFlag(QStyle::State_Enabled));
    painter->save();
    painter->fillRect(option.rect, ToColor(look.background, option.palette));
    if (option.state.testFlag(QStyle::State_HasFocus)) {
      QStyleOptionFocusRect focus;
      focus.QStyleOption::operator=(option);
      focus.backgroundColor = ToColor(look.background, option.palette);
      StyleOf(option)->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, option.widget);
    }
    painter->setFont(option.font);
    painter->setPen(ToColor(look.text, option.palette));
    painter->drawText(option.rect,
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextExpandTabs,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const int width = option.fontMetrics.horizontalAdvance(index.data(Qt::DisplayRole).toString());
    return {width,
            StyleOf(option)->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, option.widget)};
  }

 private:
  static QStyle* StyleOf(const QStyleOptionViewItem& option) {
    return option.widget ? option.widget->style() : QApplication::style();
  }
};

}  // namespace

CColorListBox::CColorListBox(Order order, QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new ColourEntryDelegate(this));
  setSortingEnabled(order == Order::kByText);
}

QListWidgetItem* CColorListBox::AddEntry(const QString& text, std::int32_t colour) {
  auto* item = new QListWidgetItem(text);
  item->setData(kColourRole, colour);
  addItem(item);
  return item;
}

}  // namespace vel
