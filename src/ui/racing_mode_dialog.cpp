#include "ui/racing_mode_dialog.h"

#include "controls/object_names.h"

namespace vel {

CRacingModeDlg::CRacingModeDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(DialogObjectName(kResourceId));
  setWindowTitle(QStringLiteral("레이싱 모드"));
  setModal(false);
}

}  // namespace vel
