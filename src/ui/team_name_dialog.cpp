#include "ui/team_name_dialog.h"

#include <QVBoxLayout>

#include "controls/object_names.h"
#include "ui/dialog_font.h"

namespace vel {

CTeamNameDlg::CTeamNameDlg(PacketSender& server, LoginValues& login, MessageBox* messages,
                           QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ownMessages_(this),
      form_(server, messages != nullptr ? *messages : ownMessages_, login,
            TeamNameRequests::From::kRegistration),
      row_(new TeamNameRow(form_, {kNameId, kCheckId, kEditAgainId, kRegisterId},
                           QStringLiteral("등록"), this)) {
  setObjectName(DialogObjectName(kResourceId));
  setWindowTitle(QStringLiteral("vev/팀네임 등록"));
  setFont(DialogFont());
  row_->SendButton()->setDefault(true);
  connect(row_->SendButton(), &QPushButton::clicked, this, &CTeamNameDlg::Register);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(row_);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CTeamNameDlg::Register() {
  if (row_->Send()) accept();
}

}  // namespace vel
