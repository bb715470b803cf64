#pragma once

namespace vel {

// The sign-in window as its own process runs it (vel-sign-in): reads
// VEL.json back, runs the sign-in window over the application server, and
// tells the program on `reportFd` what came of it (sign_in_report.h). The
// process's exit status: 0 signed in, 1 cancelled, 2 no configuration.
// Needs the application object; PrepareWebEngine before it.
int RunSignInWindow(int reportFd);

}  // namespace vel
