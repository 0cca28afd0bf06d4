// Start-up and shut-down: each run goes through the whole program, from Main
// to its exit code, and leaves nothing behind that a second run would trip on.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <functional>
#include <string_view>
#include <utility>

#include "app/app.h"
#include "app/file_types.h"
#include "app/main_menu.h"
#include "app/main_window.h"
#include "framework/runtime.h"
#include "tests/support/iges_text.h"

namespace {

// Called once from the event loop of the program being run.
std::function<void()> whileRunning;

// Runs the program and calls act once its window is up; act must end it.
void RunProgram(const std::function<void()>& act) {
  // Once per process, however many tests run in it.
  [[maybe_unused]] static const bool hooked = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Runs inside each application object's constructor.
    qAddPreRoutine([] { QMetaObject::invokeMethod(qApp, [] { whileRunning(); }, Qt::QueuedConnection); });
    return true;
  }();
  QPointer<QMenuBar> bar;
  whileRunning = [&] {
    EXPECT_TRUE(MainWindow().isVisible());
    bar = &MainMenu();
    EXPECT_EQ(MainWindow().menuWidget(), bar);
    act();
  };
  int argc = 1;
  char name[] = "iges-to-brindlemark";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(shell::Main(argc, argv), 0);
  EXPECT_EQ(App(), nullptr);
  EXPECT_EQ(shell::FileTypes1::pTextPlain, nullptr);
  EXPECT_TRUE(bar.isNull()) << "the menu bar outlived the program";
}

TEST(AppLifecycle, QuitShortcutOrClosingTheWindowEndsTheProgram) {
  RunProgram([] {
    MainWindow().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&MainWindow()));
    QTest::keyClick(&MainWindow(), Qt::Key_Q, Qt::ControlModifier);
  });
  RunProgram([] { MainWindow().close(); });
}

// Closing the window, Ctrl+Q and File > Quit while an import runs end the
// program at once, with status 0: the import stops at its next yield and
// writes nothing.
TEST(AppLifecycle, ClosingOrQuittingDuringAnImportEndsTheProgramAtOnce) {
  QTemporaryDir dir;
  const QString input = dir.filePath("part.igs");
  {
    QFile file(input);
    const std::string text =
        igestext::IgesFile::Of({igestext::CurveText(2, {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}}, {1, 1, 1})}).Text();
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text.c_str()) > 0);
  }
  const std::function<void()> ways[] = {
      [] { MainWindow().close(); },
      [] { QTest::keyClick(&MainWindow(), Qt::Key_Q, Qt::ControlModifier); },
      [] { MainWindow().FileQuit()->trigger(); }};
  for (const auto& way : ways) {
    RunProgram([&] {
      MainWindow().activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(&MainWindow()));
      // Seconds of work, were it not stopped.
      MainWindow().AlongStepsF()->setText("2000000");
      MainWindow().replaceOpenDialog([&](QWidget*, std::string_view) { return input; });
      // It reaches the window through the yield that the import calls.
      QMetaObject::invokeMethod(qApp, way, Qt::QueuedConnection);
      MainWindow().ImportButton_Action();
      EXPECT_FALSE(MainWindow().isVisible());
    });
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"part.igs"}));
  }
}

// The yield that start-up hands the core serves events on its first call and
// then again each time kYieldIntervalMs (15 ms) have passed since it last
// did, however long the work runs.
TEST(AppLifecycle, YieldServesEventsOncePerIntervalThroughoutLongWork) {
  static qint64 fakeNowMs;
  static bool eventPending;
  RunProgram([] {
    eventPending = false;
    shell::InstallYieldClock([] { return fakeNowMs; });
    // (fake time in ms, whether that call serves the queued event)
    const std::pair<qint64, bool> calls[] = {
        {0, true},  {1, false},  {14, false}, {15, true},   {29, false},   {30, true},   {30, false},
        {44, false}, {45, true}, {1000, true}, {1014, false}, {1015, true}, {1016, false}};
    for (const auto& [nowMs, serves] : calls) {
      if (!eventPending) {
        eventPending = true;
        QMetaObject::invokeMethod(qApp, [] { eventPending = false; }, Qt::QueuedConnection);
      }
      fakeNowMs = nowMs;
      fw::RuntimeBackgroundTask();
      EXPECT_EQ(!eventPending, serves) << "at " << nowMs << " ms";
    }
    shell::InstallYieldClock(nullptr);
    MainWindow().close();
  });
}

// The yield's own clock counts the milliseconds of the monotonic clock that
// steady_clock reads too, lagging it by at most a timer tick.
TEST(AppLifecycle, YieldClockReadsMonotonicMilliseconds) {
  using namespace std::chrono;
  const auto steadyMs = [] { return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count(); };
  const qint64 before = steadyMs();
  const qint64 coarse = shell::CoarseClockMs();
  const qint64 after = steadyMs();
  EXPECT_TRUE(coarse > before - 1000 && coarse <= after) << before << " " << coarse << " " << after;
}

}  // namespace
