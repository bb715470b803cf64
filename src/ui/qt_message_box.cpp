#include "ui/qt_message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace vel {

void QtMessageBox::Show(const std::string& text) {
  QWidget* over = over_;
  if (over == nullptr) over = QApplication::activeModalWidget();
  if (over == nullptr) over = QApplication::activeWindow();
  QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(),
                  QString::fromStdString(text), QMessageBox::Ok, over);
  box.exec();
}

}  // namespace vel
