// Start-up and shut-down: each run goes through the whole program, from Main
// to its exit code, and leaves nothing behind that a second run would trip on.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <functional>

#include "app/app.h"
#include "app/file_types.h"
#include "app/main_menu.h"
#include "app/main_window.h"

namespace {

// Called once from the event loop of the program being run.
std::function<void()> whileRunning;

// Runs the program and calls act once its window is up; act must end it.
void RunProgram(const std::function<void()>& act) {
  whileRunning = [&] {
    EXPECT_TRUE(MainWindow().isVisible());
    EXPECT_EQ(MainWindow().menuWidget(), &MainMenu());
    act();
  };
  int argc = 1;
  char name[] = "iges-to-brindlemark";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(shell::Main(argc, argv), 0);
  EXPECT_EQ(App(), nullptr);
  EXPECT_EQ(shell::FileTypes1::pTextPlain, nullptr);
}

TEST(AppLifecycle, QuitShortcutOrClosingTheWindowEndsTheProgram) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Runs inside each application object's constructor.
  qAddPreRoutine([] { QMetaObject::invokeMethod(qApp, [] { whileRunning(); }, Qt::QueuedConnection); });
  RunProgram([] {
    MainWindow().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&MainWindow()));
    QTest::keyClick(&MainWindow(), Qt::Key_Q, Qt::ControlModifier);
  });
  RunProgram([] { MainWindow().close(); });
}

}  // namespace
