#include "ui/team_name_row.h"

#include <QHBoxLayout>

#include "controls/object_names.h"

namespace vel {

TeamNameRow::TeamNameRow(TeamNameForm& form, const Ids& ids, const QString& sendCaption,
                         QWidget* parent)
    : QWidget(parent),
      form_(form),
      edit_(new QLineEdit(this)),
      check_(new QPushButton(QStringLiteral("중복확인"), this)),
      editAgain_(new QPushButton(QStringLiteral("재입력"), this)),
      send_(new QPushButton(sendCaption, this)) {
  edit_->setObjectName(ControlObjectName(ids.edit));
  check_->setObjectName(ControlObjectName(ids.check));
  editAgain_->setObjectName(ControlObjectName(ids.editAgain));
  send_->setObjectName(ControlObjectName(ids.send));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(edit_, 1);
  for (QPushButton* button : {check_, editAgain_, send_}) {
    button->setAutoDefault(false);
    layout->addWidget(button);
  }
  connect(check_, &QPushButton::clicked, this, [this] {
    form_.Check(edit_->text().toStdString());
    ShowState();
  });
  connect(editAgain_, &QPushButton::clicked, this, [this] {
    form_.EditAgain();
    ShowState();
  });
  ShowState();
}

bool TeamNameRow::Send() {
  const bool taken = form_.Send(edit_->text().toStdString());
  ShowState();
  return taken;
}

void TeamNameRow::ShowState() {
  edit_->setEnabled(form_.EditEnabled());
  check_->setEnabled(form_.EditEnabled());
  editAgain_->setEnabled(form_.SendEnabled());
  send_->setEnabled(form_.SendEnabled());
}

}  // namespace vel
