// vel-controls-view: shows the drawn controls of a rider panel and the log
// window, fed by a rider of the simulated room, or writes them to PNG.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "controls_showcase.h"
#include "tools/common/command_line.h"

namespace {

constexpr const char* kTool = "vel-controls-view";

constexpr const char* kUsage =
    "usage: vel-controls-view [--grab FOLDER]\n"
    "Shows a rider's graph, values, gears, a colour list and the log window as the rider\n"
    "rides on (one second of riding every 250 ms). --grab rides ten minutes at once,\n"
    "writes each control to FOLDER as PNG and ends (any Qt platform, offscreen too).";

constexpr int kGrabRideSeconds = 600;

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = vel::tools::Arguments(argc, argv);
  if (vel::tools::AnsweredHelp(args, kUsage)) return 0;
  std::string folder;
  if (args.size() == 2 && args[0] == "--grab") {
    folder = args[1];
  } else if (!args.empty()) {
    return vel::tools::Fail(kTool, "unknown arguments (see --help)");
  }

  QApplication app(argc, argv);
  vel::ControlsShowcase showcase;
  if (folder.empty()) {
    showcase.Ride(kGrabRideSeconds / 2);
    showcase.RideLive();
    return app.exec();
  }
  showcase.Ride(kGrabRideSeconds);
  QString error;
  if (!showcase.Grab(QString::fromStdString(folder), error)) {
    return vel::tools::Fail(kTool, error.toStdString());
  }
  std::printf("%s: wrote %s/*.png\n", kTool, folder.c_str());
  return 0;
}
