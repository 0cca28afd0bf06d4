// The Import action: what the status line shows, what is written and where,
// and every way an import can fail.
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <chrono>
#include <thread>

#include "app/app.h"
#include "app_fixture.h"
#include "framework/runtime.h"

namespace {

using app_test::CurveFile;
using app_test::Entries;
using app_test::kIdleText;
using app_test::ReadAll;
using app_test::WriteAll;

class AppImport : public app_test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ASSERT_TRUE(dir.isValid());
    recorder = std::make_unique<app_test::StatusRecorder>(status());
  }
  void TearDown() override {
    recorder.reset();
    WindowTest::TearDown();
  }

  QString path(const QString& name) const { return dir.filePath(name); }

  // Clicks Import with the dialog answering chosen; returns what the status line drew.
  QStringList importFile(const QString& chosen) {
    answerDialogWith(chosen);
    QCoreApplication::processEvents();  // paints still due from the set-up
    recorder->drawn.clear();
    QTest::mouseClick(importButton(), Qt::LeftButton);
    return recorder->drawn;
  }

  QTemporaryDir dir;
  std::unique_ptr<app_test::StatusRecorder> recorder;
};

TEST_F(AppImport, SuccessShowsEachStepAndWritesTheScriptBesideTheInput) {
  ASSERT_TRUE(WriteAll(path("part.igs"), CurveFile()));
  field("AlongStepsF")->setText("5");
  field("SideStepsF")->setText("7");
  EXPECT_EQ(importFile(path("part.igs")), QStringList({"Reading...", "Saving...", "Done...", kIdleText}));
  EXPECT_EQ(askedFileType, "text/plain");
  EXPECT_EQ(App()->AlongStep * 100 + App()->SideStep, 507);
  EXPECT_EQ(Entries(dir.path()), QStringList({"part.igs", "part.txt"}));
  const QByteArray script = ReadAll(path("part.txt"));
  EXPECT_TRUE(script.startsWith("Brindlemark(1.1)\r\nStart Object\r\nObjHorResC\t4\r\n")) << script.left(60).data();
  EXPECT_TRUE(script.endsWith("End Object\r\n\r"));
  EXPECT_EQ(script.count("\r\n0\t"), 5);  // one row per point along
  EXPECT_TRUE(importButton()->isEnabled());
}

TEST_F(AppImport, CurveSwitchAndScaleAreTakenFromTheWindow) {
  ASSERT_TRUE(WriteAll(path("trim.igs"), CurveFile(/*subordinate=*/true)));
  importFile(path("trim.igs"));
  EXPECT_EQ(ReadAll(path("trim.txt")).count("Start Object"), 0);
  box()->setChecked(true);
  // The last point row holds the curve's end point (2, 0, 0), scaled; a scale
  // that is not positive is put back to 1 by the import itself.
  const std::pair<const char*, const char*> scales[] = {
      {"1", "\t2\t0\t0\r\n"}, {"2.5", "\t5\t0\t0\r\n"}, {"0", "\t2\t0\t0\r\n"}};
  for (const auto& [scale, lastRow] : scales) {
    field("ScaleF")->setText(scale);
    importFile(path("trim.igs"));
    EXPECT_EQ(ReadAll(path("trim.txt")).count("Start Object"), 1);
    EXPECT_TRUE(ReadAll(path("trim.txt")).contains(lastRow)) << scale;
  }
  EXPECT_EQ(field("ScaleF")->text(), "1");
}

// A count outside 1 to 10000 stops the import before the dialog, naming its
// field; the bounds and a fraction cut to its whole part are accepted. A
// cancelled dialog changes nothing but the counts.
TEST_F(AppImport, StepCountsAreCheckedBeforeTheDialog) {
  const struct {
    const char *name, *text;
    int count;  // 0: rejected
  } cases[] = {{"AlongStepsF", "0", 0},   {"AlongStepsF", "-1", 0},   {"AlongStepsF", "abc", 0},
               {"AlongStepsF", "", 0},    {"AlongStepsF", "1e12", 0}, {"AlongStepsF", "10001", 0},
               {"SideStepsF", "0", 0},    {"SideStepsF", "-1", 0},    {"SideStepsF", "abc", 0},
               {"SideStepsF", "10001", 0}, {"AlongStepsF", "1", 1},   {"AlongStepsF", "10000", 10000},
               {"SideStepsF", "16.7", 16}, {"SideStepsF", "1", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " = \"" + c.text + "\"");
    field("AlongStepsF")->setText("16");
    field("SideStepsF")->setText("16");
    field(c.name)->setText(c.text);
    App()->AlongStep = App()->SideStep = 3;
    status()->setText(kIdleText);
    dialogsShown = 0;
    EXPECT_FALSE(importFile(QString()).contains("Reading..."));
    EXPECT_EQ(dialogsShown, c.count ? 1 : 0);
    const bool along = c.name == std::string("AlongStepsF");
    if (c.count) {
      EXPECT_EQ(App()->AlongStep, along ? c.count : 16);
      EXPECT_EQ(App()->SideStep, along ? 16 : c.count);
      EXPECT_EQ(status()->text(), kIdleText);
    } else {
      EXPECT_EQ(App()->AlongStep * 100 + App()->SideStep, 303);
      EXPECT_TRUE(status()->text().startsWith(along ? "Ruler Steps" : "Cross Curve steps")) << status()->text();
      EXPECT_TRUE(status()->text().contains("1 to 10000")) << status()->text();
    }
    EXPECT_TRUE(importButton()->isEnabled());
  }
  EXPECT_TRUE(Entries(dir.path()).isEmpty());
}

TEST_F(AppImport, EveryFailureIsReportedWithItsFileAndWritesNothing) {
  ASSERT_TRUE(WriteAll(path("short.igs"), CurveFile(false, 3)));  // claims lines the file lacks
  ASSERT_TRUE(WriteAll(path("part.txt"), CurveFile()));           // named like its own output
  ASSERT_TRUE(WriteAll(path("blocked.igs"), CurveFile()) && QDir(dir.path()).mkdir("blocked.txt"));
  const QStringList before = Entries(dir.path());
  const std::pair<const char*, const char*> cases[] = {{"gone/part.igs", "part.igs"}, {"short.igs", "short.igs"},
                                                       {"part.txt", "part.txt"}, {"blocked.igs", "blocked.txt"}};
  for (const auto& [input, named] : cases) {
    const QStringList drawn = importFile(path(input));
    EXPECT_EQ(drawn.value(0), "Reading...") << input;
    EXPECT_FALSE(drawn.contains("Done...")) << input;
    EXPECT_TRUE(status()->text().contains(named)) << status()->text();
    EXPECT_TRUE(importButton()->isEnabled());
  }
  EXPECT_EQ(Entries(dir.path()), before);
  EXPECT_EQ(ReadAll(path("part.txt")), CurveFile());
  EXPECT_TRUE(QDir(path("blocked.txt")).isEmpty());
}

TEST_F(AppImport, OneImportAtATime) {
  ASSERT_TRUE(WriteAll(path("part.igs"), CurveFile()));
  activate();
  importButton()->setFocus(Qt::MouseFocusReason);
  bool checked = false;
  recorder->onDraw = [&](const QString& text) {
    if (text != "Reading..." || checked) return;
    checked = true;
    EXPECT_FALSE(importButton()->isEnabled());
    EXPECT_TRUE(field("ScaleF")->isReadOnly());
    QTest::mouseClick(importButton(), Qt::LeftButton);
    // The pointer passing over a field does not hide the progress.
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(field("AlongStepsF"), &enter);
    EXPECT_EQ(status()->text(), "Reading...");
  };
  importFile(path("part.igs"));
  EXPECT_TRUE(checked);
  EXPECT_EQ(dialogsShown, 1);
  EXPECT_TRUE(importButton()->isEnabled());
  EXPECT_FALSE(field("ScaleF")->isReadOnly());
  // Disabling the button did not move the keyboard into a field.
  EXPECT_EQ(QApplication::focusWidget(), importButton());
  EXPECT_FALSE(field("AlongStepsF")->hasSelectedText());
}

TEST_F(AppImport, ClosingDuringAnImportWaitsUntilTheScriptIsWritten) {
  ASSERT_TRUE(WriteAll(path("part.igs"), CurveFile()));
  bool stillOpen = false;
  recorder->onDraw = [&](const QString& text) {
    if (text != "Reading...") return;
    window->close();
    stillOpen = window->isVisible();
  };
  EXPECT_TRUE(importFile(path("part.igs")).contains("Done..."));
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(ReadAll(path("part.txt")).endsWith("End Object\r\n\r"));
  EXPECT_FALSE(window->isVisible());  // closed once the import returned
}

// The core calls the yield once per pass of its loops: it must hand control
// to the event loop regularly and cost next to nothing in between.
TEST(AppYield, HandlesEventsOnlyWhenTheirTimeHasCome) {
  fw::RuntimeBackgroundTask();  // a pass that handles events, starting the interval
  QElapsedTimer sincePass;
  sincePass.start();
  bool handled = false;
  QMetaObject::invokeMethod(qApp, [&] { handled = true; }, Qt::QueuedConnection);
  fw::RuntimeBackgroundTask();
  if (sincePass.elapsed() < 10) {
    EXPECT_FALSE(handled);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  fw::RuntimeBackgroundTask();
  EXPECT_TRUE(handled);
  QElapsedTimer cost;
  cost.start();
  for (int i = 0; i < 1000000; ++i) fw::RuntimeBackgroundTask();
  EXPECT_LT(cost.elapsed(), 500);  // far below the work of one pass of any loop that calls it
}

}  // namespace
