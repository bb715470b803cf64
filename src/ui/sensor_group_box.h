#pragma once

#include <QGroupBox>
#include <QPushButton>
#include <cstdint>

#include "controls/color_list_box.h"
#include "ui/digit_edit.h"

namespace vel {

// One sensor group of the team window: the member's sensors of one device
// type (the active one red), the number of a new one and the buttons
// "추가", "삭제" and "활성화".
class SensorGroupBox : public QGroupBox {
 public:
  // A group's device type, caption and resource ids.
  struct Setup {
    std::int32_t deviceType;
    const char* caption;
    int list;
    int number;
    int add;
    int remove;
    int activate;
  };

  explicit SensorGroupBox(const Setup& setup, QWidget* parent = nullptr);

  std::int32_t DeviceType() const { return deviceType_; }
  CColorListBox* List() const { return list_; }
  DigitEdit* Number() const { return number_; }
  QPushButton* Add() const { return add_; }
  QPushButton* Remove() const { return remove_; }
  QPushButton* Activate() const { return activate_; }

 private:
  std::int32_t deviceType_;
  CColorListBox* list_;
  DigitEdit* number_;
  QPushButton* add_;
  QPushButton* remove_;
  QPushButton* activate_;
};

}  // namespace vel
