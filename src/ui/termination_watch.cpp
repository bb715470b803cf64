#include "ui/termination_watch.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QWidget>
#include <array>
#include <cerrno>

#include "common/verify.h"

namespace vel {
namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};

// The pipe the handler writes to: its two ends, -1 while no watch runs.
int g_pipe[2] = {-1, -1};
TerminationWatch* g_current = nullptr;

void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a request to stop.
  (void)!::write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

TerminationWatch::TerminationWatch() {
  VEL_VERIFY_OR_DEBUG_ASSERT(g_pipe[0] < 0) { return; }
  if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    g_pipe[0] = g_pipe[1] = -1;
    return;
  }
  notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    char bytes[16];
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    Q_EMIT StopAsked();
    CloseWindows();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &action, &former_[i]);
  g_current = this;
}

TerminationWatch* TerminationWatch::Current() { return g_current; }

TerminationWatch::~TerminationWatch() {
  if (notifier_ == nullptr) return;
  g_current = nullptr;
  for (std::size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &former_[i], nullptr);
  delete notifier_;
  ::close(g_pipe[0]);
  ::close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

void TerminationWatch::CloseWindows() {
  // Each window closed hands the turn to the one under it.
  while (QWidget* modal = QApplication::activeModalWidget()) {
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (dialog == nullptr || !dialog->isVisible()) break;
    dialog->done(QDialog::Rejected);
  }
  // A dialog shown before it ran (the main window, shown maximised) runs
  // modally without being the system's modal window.
  for (QWidget* window : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(window);
    if (dialog != nullptr && dialog->isVisible() && dialog->testAttribute(Qt::WA_ShowModal)) {
      dialog->done(QDialog::Rejected);
    }
  }
}

}  // namespace vel
