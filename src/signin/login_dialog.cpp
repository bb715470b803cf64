#include "signin/login_dialog.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/object_names.h"
#include "ui/team_name_dialog.h"

namespace vel {

namespace {
// The page's own script puts the focus in its field after it loads.
constexpr int kFocusSettleMs = 500;
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

void CLoginDlg::PressEnterInFirstPage() {
  auto once = std::make_shared<QMetaObject::Connection>();
  *once = connect(browser_, &QWebEngineView::loadFinished, this, [this, once](bool ok) {
    disconnect(*once);
    if (!ok) return;
    QTimer::singleShot(kFocusSettleMs, this, [this] {
      QWidget* page = browser_->focusProxy() != nullptr ? browser_->focusProxy() : browser_;
      for (auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QCoreApplication::sendEvent(page, &key);
      }
    });
  });
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

void CLoginDlg::ShowMessage(const std::string& text) { messages_.Show(text); }

bool CLoginDlg::RegisterTeamName() {
  CTeamNameDlg registration(server_, login_, nullptr, this);
  return registration.exec() == Accepted;
}

}  // namespace vel
