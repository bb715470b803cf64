// The widgets' tests: Qt needs its application object before any widget.
// They draw on Qt's offscreen platform unless another one is asked for.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/web_browser.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  vel::PrepareWebEngine();
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
