// Start-up and shut-down: each test runs the whole program once, from
// Main to its exit code.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "app/app.h"
#include "app/file_types.h"
#include "app/main_menu.h"
#include "app/main_window.h"
#include "app_fixture.h"
#include "framework/runtime.h"

namespace {

using shell::FileTypes1::pTextPlain;

// Runs inside the application object's constructor, before start-up goes on.
std::function<void()> onApplicationMade;

void CallOnApplicationMade() {
  if (onApplicationMade) onApplicationMade();
}

class AppLifecycle : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qAddPreRoutine(CallOnApplicationMade);
  }

  // Runs the program; whileRunning is called once from its event loop.
  int runProgram(std::function<void()> whileRunning) {
    onApplicationMade = [this, whileRunning] {
      madeBeforeApplication = pTextPlain != nullptr && App() == nullptr;
      QMetaObject::invokeMethod(
          QCoreApplication::instance(),
          [this, whileRunning] {
            recordStartedState();
            whileRunning();
          },
          Qt::QueuedConnection);
    };
    int argc = 1;
    char name[] = "iges-to-brindlemark";
    char* argv[] = {name, nullptr};
    const int exitCode = shell::Main(argc, argv);
    onApplicationMade = nullptr;
    return exitCode;
  }

  void recordStartedState() {
    started = true;
    ASSERT_NE(App(), nullptr);
    EXPECT_EQ(&fw::App(), static_cast<fw::AppState*>(App())) << "the core reads the application's counts";
    EXPECT_EQ(App()->menuBar(), &MainMenu());
    EXPECT_EQ(MainWindow().menuWidget(), &MainMenu());
    EXPECT_TRUE(MainWindow().isVisible());
    ASSERT_NE(pTextPlain, nullptr);
    EXPECT_EQ(pTextPlain->Name, "text/plain");
    EXPECT_EQ(pTextPlain->Extensions + pTextPlain->MacType + pTextPlain->MacCreator, "");
    QObject::connect(&MainWindow(), &QObject::destroyed, [this] { released << "window"; });
    QObject::connect(&MainMenu(), &QObject::destroyed,
                     [this] { released << (pTextPlain ? "menu before file type" : "menu after file type"); });
    QObject::connect(App(), &QObject::destroyed,
                     [this] { released << (pTextPlain ? "application before file type" : "application"); });
  }

  void expectOrderlyShutDown() {
    EXPECT_TRUE(madeBeforeApplication) << "the file type comes first, the registration after";
    EXPECT_TRUE(started);
    EXPECT_EQ(released, QStringList({"window", "menu before file type", "application"}));
    EXPECT_EQ(App(), nullptr);
    EXPECT_EQ(pTextPlain, nullptr);
  }

  bool madeBeforeApplication = false;
  bool started = false;
  QStringList released;
};

TEST_F(AppLifecycle, QuitShortcutEndsTheProgramWithExitCodeZero) {
  const int exitCode = runProgram([] {
    MainWindow().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&MainWindow()));
    QTest::keyClick(&MainWindow(), Qt::Key_Q, Qt::ControlModifier);
  });
  EXPECT_EQ(exitCode, 0);
  expectOrderlyShutDown();
}

TEST_F(AppLifecycle, ClosingTheWindowEndsTheProgramWithExitCodeZero) {
  const int exitCode = runProgram([] { MainWindow().close(); });
  EXPECT_EQ(exitCode, 0);
  expectOrderlyShutDown();
}

TEST_F(AppLifecycle, QuitDuringAnImportWaitsForTheScript) {
  QTemporaryDir dir;
  const QString input = dir.filePath("part.igs");
  ASSERT_TRUE(app_test::WriteAll(input, app_test::CurveFile()));
  bool asked = false;
  bool quitWhileReading = false;
  std::unique_ptr<app_test::StatusRecorder> recorder;
  const int exitCode = runProgram([&] {
    MainWindow().replaceOpenDialog([&](QWidget*, std::string_view) { return input; });
    recorder = std::make_unique<app_test::StatusRecorder>(MainWindow().findChild<QLabel*>("HelpT"));
    recorder->onDraw = [&](const QString& text) {
      if (text != "Reading..." || asked) return;
      asked = true;
      QCoreApplication::quit();
      quitWhileReading = MainWindow().isVisible();  // the window waits for the script
    };
    MainWindow().findChild<QPushButton*>("ImportButton")->click();
  });
  EXPECT_TRUE(quitWhileReading);
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(app_test::ReadAll(dir.filePath("part.txt")).endsWith("End Object\r\n\r"));
  expectOrderlyShutDown();
}

}  // namespace
