#include "ui/sensor_group_box.h"

#include <QGridLayout>

#include "controls/object_names.h"
#include "ui/digit_edit.h"

namespace vel {

SensorGroupBox::SensorGroupBox(const Setup& setup, QWidget* parent)
    : QGroupBox(QString::fromUtf8(setup.caption), parent),
      deviceType_(setup.deviceType),
      list_(new CColorListBox(CColorListBox::Order::kAsAdded, this)),
      // ANT device numbers are 16-bit: five digits at most.
      number_(new DigitEdit(5, this)),
      add_(new QPushButton(QStringLiteral("추가"), this)),
      remove_(new QPushButton(QStringLiteral("삭제"), this)),
      activate_(new QPushButton(QStringLiteral("활성화"), this)) {
  list_->setObjectName(ControlObjectName(setup.list));
  number_->setObjectName(ControlObjectName(setup.number));
  add_->setObjectName(ControlObjectName(setup.add));
  remove_->setObjectName(ControlObjectName(setup.remove));
  activate_->setObjectName(ControlObjectName(setup.activate));
  auto* layout = new QGridLayout(this);
  layout->addWidget(list_, 0, 0, 1, 4);
  layout->addWidget(number_, 1, 0);
  int column = 1;
  for (QPushButton* button : {add_, remove_, activate_}) {
    button->setAutoDefault(false);
    layout->addWidget(button, 1, column++);
  }
  layout->setColumnStretch(0, 1);
}

}  // namespace vel
