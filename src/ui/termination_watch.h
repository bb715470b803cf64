#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <csignal>

namespace vel {

// Ends the program's windows as the user would when the system asks the
// program to stop (SIGTERM, SIGINT, SIGHUP: a shutdown, a logout, Ctrl-C):
// every modal window is closed, innermost first, so the main window ends
// as with Escape and every ride under way is kept. The handler only writes
// a byte to a pipe; the user-interface thread reads it and does the rest.
//
// One at a time, made and destroyed on the user-interface thread; it puts
// the signals' former handling back when it goes.
class TerminationWatch : public QObject {
  Q_OBJECT

 public:
  TerminationWatch();
  ~TerminationWatch() override;
  TerminationWatch(const TerminationWatch&) = delete;
  TerminationWatch& operator=(const TerminationWatch&) = delete;

  // The watch that runs now; nullptr when none does.
  static TerminationWatch* Current();

 Q_SIGNALS:
  // The system asked the program to stop, before its windows are closed:
  // what runs apart from them (the sign-in window's process) stops too.
  void StopAsked();

 private:
  void CloseWindows();

  QSocketNotifier* notifier_ = nullptr;
  struct sigaction former_[3] = {};
};

}  // namespace vel
