// Start-up and shut-down: each run goes through the whole program, from Main
// to its exit code.
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

class AppLifecycle : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qAddPreRoutine([] {
      if (onApplicationMade) onApplicationMade();
    });
  }

  // Runs the program, calls whileRunning once from its event loop, and
  // checks the order of start-up and shut-down around it.
  void runProgram(const std::function<void()>& whileRunning) {
    bool madeBeforeApplication = false, started = false;
    QStringList released;
    onApplicationMade = [&] {
      madeBeforeApplication = pTextPlain != nullptr && App() == nullptr;
      QMetaObject::invokeMethod(
          QCoreApplication::instance(),
          [&] {
            started = true;
            checkStartedState(released);
            whileRunning();
          },
          Qt::QueuedConnection);
    };
    int argc = 1;
    char name[] = "iges-to-brindlemark";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(shell::Main(argc, argv), 0);
    onApplicationMade = nullptr;
    EXPECT_TRUE(madeBeforeApplication) << "the file type comes first, the registration after";
    EXPECT_TRUE(started);
    EXPECT_EQ(released, QStringList({"window", "menu before file type", "application"}));
    EXPECT_EQ(App(), nullptr);
    EXPECT_EQ(pTextPlain, nullptr);
  }

  static void checkStartedState(QStringList& released) {
    ASSERT_NE(App(), nullptr);
    EXPECT_EQ(&fw::App(), static_cast<fw::AppState*>(App())) << "the core reads the application's counts";
    EXPECT_EQ(App()->menuBar(), &MainMenu());
    EXPECT_EQ(MainWindow().menuWidget(), &MainMenu());
    EXPECT_TRUE(MainWindow().isVisible());
    ASSERT_NE(pTextPlain, nullptr);
    EXPECT_EQ(pTextPlain->Name + "|" + pTextPlain->Extensions + pTextPlain->MacType + pTextPlain->MacCreator,
              "text/plain|");
    QObject::connect(&MainWindow(), &QObject::destroyed, [&released] { released << "window"; });
    QObject::connect(&MainMenu(), &QObject::destroyed,
                     [&released] { released << (pTextPlain ? "menu before file type" : "menu after file type"); });
    QObject::connect(App(), &QObject::destroyed,
                     [&released] { released << (pTextPlain ? "application before file type" : "application"); });
  }
};

TEST_F(AppLifecycle, QuitShortcutOrClosingTheWindowEndsTheProgramInOrder) {
  runProgram([] {
    MainWindow().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&MainWindow()));
    QTest::keyClick(&MainWindow(), Qt::Key_Q, Qt::ControlModifier);
  });
  runProgram([] { MainWindow().close(); });
}

TEST_F(AppLifecycle, QuitDuringAnImportWaitsForTheScript) {
  QTemporaryDir dir;
  const QString input = dir.filePath("part.igs");
  ASSERT_TRUE(app_test::WriteAll(input, app_test::CurveFile()));
  bool asked = false, windowWaited = false;
  std::unique_ptr<app_test::StatusRecorder> recorder;
  runProgram([&] {
    MainWindow().replaceOpenDialog([&](QWidget*, std::string_view) { return input; });
    recorder = std::make_unique<app_test::StatusRecorder>(MainWindow().findChild<QLabel*>("HelpT"));
    recorder->onDraw = [&](const QString& text) {
      if (text != "Reading..." || asked) return;
      asked = true;
      QCoreApplication::quit();
      windowWaited = MainWindow().isVisible();
    };
    MainWindow().findChild<QPushButton*>("ImportButton")->click();
  });
  EXPECT_TRUE(windowWaited);
  EXPECT_TRUE(app_test::ReadAll(dir.filePath("part.txt")).endsWith("End Object\r\n\r"));
}

}  // namespace
