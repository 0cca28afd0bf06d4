// The Import action: what the status line shows, what is written and where,
// and every way an import can fail.
#include <unistd.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/app.h"
#include "app_fixture.h"
#include "framework/runtime.h"
#include "nurbs/import_file.h"

namespace {

using app_test::CurveFile;
using app_test::FilesIn;
using app_test::kIdleText;
using app_test::ReadAll;
using app_test::StatusRecorder;
using app_test::WindowTest;
using app_test::WriteAll;

int Count(const QByteArray& text, const char* what) {
  return static_cast<int>(text.count(what));
}

class AppImport : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ASSERT_TRUE(dir.isValid());
    recorder = std::make_unique<StatusRecorder>(status());
  }
  void TearDown() override {
    recorder.reset();
    WindowTest::TearDown();
  }

  QString path(const QString& relative) const { return dir.filePath(relative); }

  // Clicks Import with the dialog answering path; returns what the status line drew.
  QStringList importFile(const QString& chosen) {
    answerDialogWith(chosen);
    QCoreApplication::processEvents();  // paints still due from the set-up
    recorder->drawn.clear();
    QTest::mouseClick(importButton(), Qt::LeftButton);
    return recorder->drawn;
  }

  QTemporaryDir dir;
  std::unique_ptr<StatusRecorder> recorder;
};

TEST_F(AppImport, SuccessShowsEachStepAndWritesTheScriptBesideTheInput) {
  ASSERT_TRUE(WriteAll(path("part.igs"), CurveFile()));
  field("AlongStepsF")->setText("5");
  field("SideStepsF")->setText("7");

  const QStringList drawn = importFile(path("part.igs"));

  EXPECT_EQ(drawn, QStringList({"Reading...", "Saving...", "Done...", kIdleText}));
  EXPECT_EQ(askedFileType, "text/plain");
  EXPECT_EQ(App()->AlongStep, 5);
  EXPECT_EQ(App()->SideStep, 7);
  EXPECT_EQ(FilesIn(dir.path()), QStringList({"part.igs", "part.txt"}));
  const QByteArray script = ReadAll(path("part.txt"));
  EXPECT_TRUE(script.startsWith("Brindlemark(1.1)\r\nStart Object\r\nObjHorResC\t4\r\n")) << script.left(60).data();
  EXPECT_TRUE(script.endsWith("End Object\r\n\r"));
  EXPECT_EQ(Count(script, "\r\n0\t"), 5);  // one row per point along
  EXPECT_EQ(Count(script, ","), 0);
  EXPECT_TRUE(importButton()->isEnabled());
}

TEST_F(AppImport, CurveSwitchAndScaleAreTakenFromTheWindow) {
  ASSERT_TRUE(WriteAll(path("trim.igs"), CurveFile(/*subordinate=*/true)));
  importFile(path("trim.igs"));
  EXPECT_EQ(Count(ReadAll(path("trim.txt")), "Start Object"), 0);
  box()->setChecked(true);
  importFile(path("trim.igs"));
  EXPECT_EQ(Count(ReadAll(path("trim.txt")), "Start Object"), 1);

  // The last point row holds the curve's end point (2, 0, 0), scaled.
  const std::pair<const char*, const char*> scales[] = {{"1", "\t2\t0\t0\r\n"}, {"2.5", "\t5\t0\t0\r\n"}};
  for (const auto& [scale, lastRow] : scales) {
    field("ScaleF")->setText(scale);
    importFile(path("trim.igs"));
    EXPECT_TRUE(ReadAll(path("trim.txt")).contains(lastRow)) << scale;
  }
  // A scale that is not positive is put back to 1 by the import itself.
  field("ScaleF")->setText("0");
  importFile(path("trim.igs"));
  EXPECT_EQ(field("ScaleF")->text(), "1");
  EXPECT_TRUE(ReadAll(path("trim.txt")).contains("\t2\t0\t0\r\n"));
}

TEST_F(AppImport, StepCountOutsideOneTo10000StopsBeforeTheDialog) {
  const struct {
    const char* field;
    const char* label;
    const char* text;
  } cases[] = {
      {"AlongStepsF", "Ruler Steps", "0"},        {"AlongStepsF", "Ruler Steps", "-1"},
      {"AlongStepsF", "Ruler Steps", "abc"},      {"AlongStepsF", "Ruler Steps", "10001"},
      {"AlongStepsF", "Ruler Steps", ""},         {"AlongStepsF", "Ruler Steps", "1e12"},
      {"SideStepsF", "Cross Curve steps", "0"},   {"SideStepsF", "Cross Curve steps", "-1"},
      {"SideStepsF", "Cross Curve steps", "abc"}, {"SideStepsF", "Cross Curve steps", "10001"},
  };
  ASSERT_TRUE(WriteAll(path("part.igs"), CurveFile()));
  App()->AlongStep = 3;
  App()->SideStep = 3;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " = \"" + c.text + "\"");
    field("AlongStepsF")->setText("16");
    field("SideStepsF")->setText("16");
    field(c.field)->setText(c.text);
    dialogsShown = 0;
    const QStringList drawn = importFile(path("part.igs"));
    EXPECT_EQ(dialogsShown, 0);
    EXPECT_TRUE(status()->text().startsWith(c.label)) << status()->text().toStdString();
    EXPECT_TRUE(status()->text().contains("1 to 10000"));
    EXPECT_FALSE(drawn.contains("Reading..."));
    EXPECT_EQ(App()->AlongStep, 3);
    EXPECT_EQ(App()->SideStep, 3);
  }
  EXPECT_EQ(FilesIn(dir.path()), QStringList({"part.igs"}));

  // The bounds themselves, and a fraction cut to its whole part, are accepted.
  const std::pair<const char*, std::int32_t> accepted[] = {{"1", 1}, {"10000", 10000}, {"16.7", 16}};
  for (const auto& [text, count] : accepted) {
    field("AlongStepsF")->setText(text);
    field("SideStepsF")->setText(text);
    answerDialogWith(QString());  // cancelled
    dialogsShown = 0;
    QTest::mouseClick(importButton(), Qt::LeftButton);
    EXPECT_EQ(dialogsShown, 1) << text;
    EXPECT_EQ(App()->AlongStep, count);
    EXPECT_EQ(App()->SideStep, count);
  }
}

TEST_F(AppImport, CancelledDialogChangesOnlyTheCounts) {
  field("AlongStepsF")->setText("9");
  const QStringList drawn = importFile(QString());
  EXPECT_EQ(dialogsShown, 1);
  EXPECT_EQ(App()->AlongStep, 9);
  EXPECT_EQ(status()->text(), kIdleText);
  EXPECT_FALSE(drawn.contains("Reading..."));
  EXPECT_TRUE(FilesIn(dir.path()).isEmpty());
  EXPECT_TRUE(importButton()->isEnabled());
}

struct FailureCase {
  const char* what;
  const char* input;           // relative to the folder
  QByteArray content;          // empty: the input is not created
  const char* blockingFolder;  // a folder made where the output would go
  const char* messagePart;
};

TEST_F(AppImport, EveryFailureIsReportedWithItsFileAndWritesNothing) {
  const FailureCase cases[] = {
      {"missing input", "gone/part.igs", {}, nullptr, "part.igs"},
      {"directory claims lines the file lacks", "short.igs", CurveFile(false, 3), nullptr, "short.igs"},
      {"input named like its own output", "part.txt", CurveFile(), nullptr, "part.txt"},
      {"output name taken by a folder", "blocked.igs", CurveFile(), "blocked.txt", "blocked.txt"},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.what);
    QTemporaryDir folder;
    const QString input = folder.filePath(c.input);
    if (!c.content.isEmpty()) {
      ASSERT_TRUE(WriteAll(input, c.content));
    }
    if (c.blockingFolder) {
      ASSERT_TRUE(QDir(folder.path()).mkdir(c.blockingFolder));
    }
    const QStringList before = FilesIn(folder.path());

    answerDialogWith(input);
    QCoreApplication::processEvents();
    recorder->drawn.clear();
    QTest::mouseClick(importButton(), Qt::LeftButton);

    EXPECT_EQ(recorder->drawn.value(0), "Reading...");
    EXPECT_FALSE(recorder->drawn.contains("Done..."));
    EXPECT_TRUE(status()->text().contains(c.messagePart)) << status()->text().toStdString();
    EXPECT_EQ(FilesIn(folder.path()), before);
    if (!c.content.isEmpty()) {
      EXPECT_EQ(ReadAll(input), c.content);
    }
    EXPECT_TRUE(importButton()->isEnabled());
  }
}

TEST_F(AppImport, SampleWithBrokenDirectoryIsReportedNotConverted) {
  const QString sample = QStringLiteral(BM_SAMPLES_DIR "/real/bad_header.igs");
  if (!QFileInfo::exists(sample)) GTEST_SKIP() << "no sample files";
  ASSERT_TRUE(QFile::copy(sample, path("bad_header.igs")));
  const QStringList drawn = importFile(path("bad_header.igs"));
  EXPECT_FALSE(drawn.contains("Done..."));
  EXPECT_TRUE(status()->text().contains("bad_header.igs")) << status()->text().toStdString();
  EXPECT_EQ(FilesIn(dir.path()), QStringList({"bad_header.igs"}));
}

TEST_F(AppImport, UnwritableFolderIsReportedAndKeepsTheEarlierOutput) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  ASSERT_TRUE(WriteAll(path("ro/part.igs"), CurveFile()));
  ASSERT_TRUE(WriteAll(path("ro/part.txt"), "earlier"));
  QFile::setPermissions(path("ro"), QFile::ReadOwner | QFile::ExeOwner);
  const QStringList drawn = importFile(path("ro/part.igs"));
  QFile::setPermissions(path("ro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_FALSE(drawn.contains("Done..."));
  EXPECT_TRUE(status()->text().contains("part.txt")) << status()->text().toStdString();
  EXPECT_EQ(ReadAll(path("ro/part.txt")), "earlier");
  EXPECT_EQ(FilesIn(path("ro")), QStringList({"part.igs", "part.txt"}));
}

TEST_F(AppImport, EarlierOutputIsReplacedWhole) {
  ASSERT_TRUE(WriteAll(path("part.igs"), CurveFile()));
  ASSERT_TRUE(WriteAll(path("part.txt"), QByteArray(100000, 'x')));
  importFile(path("part.igs"));
  const QByteArray script = ReadAll(path("part.txt"));
  EXPECT_TRUE(script.startsWith("Brindlemark(1.1)\r\n"));
  EXPECT_FALSE(script.contains('x'));
}

TEST_F(AppImport, OutputStaysInTheInputsFolderCutAtTheNamesFirstDot) {
  const std::pair<const char*, const char*> cases[] = {
      {"run.1/part.old.igs", "run.1/part.txt"},
      {"a.b/noextension", "a.b/noextension.txt"},
  };
  for (const auto& [input, output] : cases) {
    SCOPED_TRACE(input);
    QTemporaryDir folder;
    ASSERT_TRUE(WriteAll(folder.filePath(input), CurveFile()));
    answerDialogWith(folder.filePath(input));
    QTest::mouseClick(importButton(), Qt::LeftButton);
    QStringList expected = {input, output};
    expected.sort();
    EXPECT_EQ(FilesIn(folder.path()), expected);
  }
}

TEST(AppOutputPath, CutsTheFileNameNotTheFolderAtTheFirstDot) {
  const std::pair<const char*, const char*> cases[] = {
      {"/data/part.igs", "/data/part.txt"},
      {"/data/part.old.igs", "/data/part.txt"},
      {"/data/run.1/part.igs", "/data/run.1/part.txt"},
      {"/home/a.b/part.igs", "/home/a.b/part.txt"},
      {"/data/part", "/data/part.txt"},
      {"/data/part.txt", "/data/part.txt"},
  };
  for (const auto& [input, output] : cases) EXPECT_EQ(OutputPathFor(input), output) << input;
}

TEST_F(AppImport, OneImportAtATime) {
  ASSERT_TRUE(WriteAll(path("part.igs"), CurveFile()));
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
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
  const QStringList drawn = importFile(path("part.igs"));
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(drawn.contains("Done..."));
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
  QMetaObject::invokeMethod(
      qApp, [&] { handled = true; }, Qt::QueuedConnection);
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
  // Far below the work of one pass of any loop that calls it.
  EXPECT_LT(cost.elapsed(), 500);
}

}  // namespace
