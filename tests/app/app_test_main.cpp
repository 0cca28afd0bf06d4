// The window tests run inside the program as it starts up: the file type,
// the application object with its menu bar, and the main window.
#include <gtest/gtest.h>

#include <QtGlobal>

#include "app/app.h"

int main(int argc, char** argv) {
  // Headless unless a display is asked for explicitly.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  shell::Startup(argc, argv);
  const int result = RUN_ALL_TESTS();
  shell::Shutdown();
  return result;
}
