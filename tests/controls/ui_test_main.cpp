// The widgets' tests: Qt needs its application object before any widget.
// They draw on Qt's offscreen platform unless another one is asked for.
#include <gtest/gtest.h>

#include <QApplication>

#include "signin/web_browser.h"

#if defined(__SANITIZE_ADDRESS__)
// Chromium inside Qt WebEngine frees some objects with a size other than
// the one they were made with, which AddressSanitizer's sized delete check
// reports from within the library. The check stays on in every other test
// program.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
#endif

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  vel::PrepareWebEngine();
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
