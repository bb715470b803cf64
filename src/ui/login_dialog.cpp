#include "ui/login_dialog.h"

#include <QVBoxLayout>

#include "controls/object_names.h"
#include "ui/team_name_dialog.h"

namespace vel {

namespace {
// 440 x 259 dialog units with the browser at (7, 7), in pixels of a 9-point
// dialog font: 1.5 pixels across and 1.625 down per unit.
constexpr QSize kDialogSize(660, 421);
constexpr int kMargin = 11;
}  // namespace

CLoginDlg::CLoginDlg(PacketSender& server, JsonFetcher& graph, LoginValues& login,
                     LoginFlow::Settings settings, QWidget* parent)
    : QDialog(parent),
      server_(server),
      login_(login),
      browser_(new WebBrowser(this)),
      flow_(*this, *browser_, server, graph, login, std::move(settings)) {
  setObjectName(DialogObjectName(kResourceId));
  setWindowTitle(QStringLiteral("로그인"));
  browser_->setObjectName(ControlObjectName(kBrowserId));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  layout->addWidget(browser_);
  resize(kDialogSize);
  for (std::size_t id = 0; id < timers_.size(); ++id) {
    connect(&timers_[id], &QTimer::timeout, this, [this, id] { flow_.OnTimer(int(id)); });
  }
}

int CLoginDlg::exec() {
  flow_.Start();
  if (endedBeforeRunning_) return *endedBeforeRunning_;
  running_ = true;
  return QDialog::exec();
}

void CLoginDlg::done(int result) {
  // Closed by the user or by the sign-in: no step may run after the end.
  for (auto& timer : timers_) timer.stop();
  if (!running_) endedBeforeRunning_ = result;
  QDialog::done(result);
}

void CLoginDlg::StartTimer(int id, int periodMs) { timers_.at(std::size_t(id)).start(periodMs); }

void CLoginDlg::StopTimer(int id) { timers_.at(std::size_t(id)).stop(); }

void CLoginDlg::End(bool ok) { done(ok ? Accepted : Rejected); }

bool CLoginDlg::RegisterTeamName() {
  CTeamNameDlg registration(server_, login_, nullptr, this);
  return registration.exec() == Accepted;
}

}  // namespace vel
