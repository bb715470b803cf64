#include "ui/about_box.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QMouseEvent>
#include <QUrl>

#include "controls/object_names.h"
#include "controls/windows_colour.h"
#include "server/version_number.h"
#include "ui/dialog_font.h"
#include "ui/vel_icon.h"

namespace vel {

namespace {
// Windows colour values 0x00BBGGRR: blue, and the colour of a visited link.
constexpr std::uint32_t kLinkColour = 0xFF0000;
constexpr std::uint32_t kVisitedColour = 0x6464FF;
constexpr int kIconSize = 32;
}  // namespace

AboutLink::AboutLink(const QString& address, QWidget* parent) : QLabel(address, parent) {
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
  setCursor(Qt::PointingHandCursor);
  Colour(kLinkColour);
}

void AboutLink::Colour(std::uint32_t windowsColour) {
  QPalette coloured = palette();
  coloured.setColor(QPalette::WindowText, WindowsColour(windowsColour));
  setPalette(coloured);
}

void AboutLink::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) {
    QLabel::mouseReleaseEvent(event);
    return;
  }
  visited_ = true;
  Colour(kVisitedColour);
  QDesktopServices::openUrl(QUrl(text()));
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(DialogObjectName(kResourceId));
  setWindowTitle(QStringLiteral("정보"));
  setFont(DialogFont());
  auto* icon = new QLabel(this);
  icon->setPixmap(VelIcon().pixmap(kIconSize, kIconSize));
  auto* name = new QLabel(QStringLiteral("VEL, 버전 %1")
                              .arg(QString::fromUtf8(std::string(CompiledFileVersion()).c_str())),
                          this);
  auto* line = new QLabel(QStringLiteral("실내 사이클 스튜디오: 열 명의 라이더를 한 화면에"), this);
  auto* link = new AboutLink(QString::fromUtf8(kHomePage), this);
  link->setObjectName(ControlObjectName(kLinkId));
  auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QGridLayout(this);
  layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
  layout->addWidget(name, 0, 1);
  layout->addWidget(line, 1, 1);
  layout->addWidget(link, 2, 1);
  layout->addWidget(ok, 0, 2, 3, 1, Qt::AlignTop);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace vel
