// vel-sign-in: the program's sign-in window in a process of its own, which
// vel starts beside itself and waits for (SignInProcess). Qt WebEngine is
// loaded here only, so that its helper processes and its memory are gone
// before the class rides.
#include <unistd.h>

#include <QApplication>

#include "signin/sign_in_window.h"
#include "signin/web_browser.h"
#include "ui/termination_watch.h"

int main(int argc, char** argv) {
  // The lines for vel go on the standard output it gave; whatever else
  // would be written there (the browser's own messages) goes to the
  // standard error.
  const int report = dup(STDOUT_FILENO);
  dup2(STDERR_FILENO, STDOUT_FILENO);
  vel::PrepareWebEngine();
  QApplication application(argc, argv);
  // Asked to stop, the window ends as when the user closes it.
  const vel::TerminationWatch watch;
  return vel::RunSignInWindow(report);
}
