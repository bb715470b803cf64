#pragma once

#include <QPointer>
#include <QWidget>

#include "common/message_box.h"

namespace vel {

// The program's message box: modal, the text, an OK button and no icon,
// over the window that asked. Without a window of its own it goes over the
// window the user is working in (the active modal dialog, else the active
// window), which is the one that asked when the core shows a message while
// handling a click.
class QtMessageBox : public MessageBox {
 public:
  explicit QtMessageBox(QWidget* over = nullptr) : over_(over) {}

  void Show(const std::string& text) override;

 private:
  QPointer<QWidget> over_;
};

}  // namespace vel
