// The Import action as the user runs it: the steps the status line shows,
// the script beside the input, the checks before the dialog, a failure, and
// the window kept busy until the import returns.
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <cstdint>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "app/app.h"
#include "framework/runtime.h"
#include "app_fixture.h"
#include "tests/support/iges_text.h"

namespace {

using app_test::kIdleText;

// The success test's input: a hidden file, whose leading dot belongs to its
// name, so that its script is .part.txt and not .txt.
constexpr char kInput[] = ".part.igs";

// Each test imports in a folder of its own. The fixture records each text the
// status line draws: a text set and replaced before the next paint never
// reached the screen.
class AppImport : public QObject, public app_test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    status()->installEventFilter(this);
    window->replaceOpenDialog([this](QWidget*, std::string_view) {
      ++dialogsShown;
      return answer;
    });
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && (drawn.isEmpty() || drawn.back() != status()->text())) {
      drawn << status()->text();
      if (onDraw) onDraw(drawn.back());
    }
    return false;
  }

  QString path(const QString& name) const { return QDir(folder).filePath(name); }
  QStringList entries() const {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
  }
  QByteArray read(const QString& name) const {
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  // Writes a file with one quadratic curve through (0, 0, 0), (1, 1, 0),
  // (2, 0, 0). subordinate marks it a trim curve, imported only on request;
  // missingLines makes its directory entry claim lines the file does not hold.
  void writeCurve(const QString& name, bool subordinate, int missingLines = 0) {
    igestext::IgesFile iges;
    iges.Add(126, igestext::CurveText(2, {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}}, {1, 1, 1}),
             subordinate ? "00010000" : igestext::IgesFile::kIndependent, missingLines);
    write(name, iges.Text(missingLines == 0));
  }
  void write(const QString& name, const std::string& text) {
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text.c_str()) > 0) << name;
  }

  // Clicks Import with the dialog answering name (empty: cancelled); returns
  // what the status line drew.
  QStringList importFile(const QString& name) {
    answer = name.isEmpty() ? QString() : path(name);
    QCoreApplication::processEvents();  // paints still due from the set-up
    drawn.clear();
    QTest::mouseClick(importButton(), Qt::LeftButton);
    return drawn;
  }

  QTemporaryDir dir;
  QString folder = dir.path();
  QString answer;
  int dialogsShown = 0;
  QStringList drawn;
  std::function<void(const QString&)> onDraw;
};

// The counts, the scale and the curve switch are the window's.
TEST_F(AppImport, SuccessShowsEachStepAndWritesTheScriptBesideTheInput) {
  const QString output = QString(kInput).replace(".igs", ".txt");
  writeCurve(kInput, /*subordinate=*/true);
  field("AlongStepsF")->setText("5");
  field("SideStepsF")->setText("7");
  field("ScaleF")->setText("2.5");
  box()->setChecked(true);
  EXPECT_EQ(importFile(kInput), QStringList({"Reading...", "Saving...", "Done...", kIdleText}));
  EXPECT_EQ(App()->AlongStep * 100 + App()->SideStep, 507);
  EXPECT_EQ(entries(), QStringList({kInput, output}));
  const QByteArray script = read(output);
  EXPECT_TRUE(script.startsWith("Brindlemark(1.1)\r\n") && script.endsWith("End Object\r\n\r"));
  EXPECT_EQ(script.count("\r\n0\t"), 5);          // one row per point along
  EXPECT_TRUE(script.contains("\t5\t0\t0\r\n"));  // the end point (2, 0, 0), scaled
  box()->setChecked(false);
  importFile(kInput);
  EXPECT_EQ(read(output).count("Start Object"), 0);
}

// A count whose whole part is below 1 or beyond 32 bits, or no number at
// all, stops the import before the dialog, naming its field; a fraction is
// cut to its whole part. Size is the importer's to judge. A cancelled dialog leaves the idle
// text and writes nothing.
TEST_F(AppImport, StepCountsAreCheckedBeforeTheDialog) {
  const QString along = "Ruler Steps must be a number from 1 to 2147483647.";
  const QString side = "Cross Curve steps must be a number from 1 to 2147483647.";
  const QString cancelled = QString(" ") + kIdleText;
  const struct {
    const char *along, *side;
    QString shown;  // the message, or the counts taken when the dialog opened
  } cases[] = {{"0", "16", along},
               {"0.9", "16", along},
               {"abc", "16", along},
               {"1e12", "16", along},
               {"2147483648", "16", along},
               {"16", "-1", side},
               {"16", "", side},
               {"1", "2147483647", "1 2147483647" + cancelled},
               {"10001", "16.7", "10001 16" + cancelled}};
  for (const auto& c : cases) {
    field("AlongStepsF")->setText(c.along);
    field("SideStepsF")->setText(c.side);
    status()->setText(kIdleText);
    dialogsShown = 0;
    importFile(QString());
    const QString counts = QString("%1 %2 %3").arg(App()->AlongStep).arg(App()->SideStep).arg(status()->text());
    EXPECT_EQ(dialogsShown == 1 ? counts : status()->text(), c.shown) << c.along << " " << c.side;
    if (dialogsShown == 0) {  // the refused field takes the keys, its text selected for retyping
      const QLineEdit* refused = field(c.shown == along ? "AlongStepsF" : "SideStepsF");
      EXPECT_TRUE(window->focusWidget() == refused && refused->selectedText() == refused->text()) << c.along;
    }
  }
  EXPECT_TRUE(entries().isEmpty());
}

// One window imports again and again; a curve takes as many points as asked.
TEST_F(AppImport, ImportsInARowEachWriteTheirScriptAndLeaveTheWindowReady) {
  const struct {
    const char *input, *along;
    qsizetype rows;
  } runs[] = {{"a.igs", "16", 16}, {"b.igs", "20000", 20000}};
  for (const auto& run : runs) {
    writeCurve(run.input, false);
    field("AlongStepsF")->setText(run.along);
    field("SideStepsF")->setText("1");
    EXPECT_EQ(importFile(run.input).value(3), kIdleText) << run.input;
    EXPECT_EQ(read(QString(run.input).replace(".igs", ".txt")).count("\r\n0\t"), run.rows);
    EXPECT_TRUE(window->isVisible() && importButton()->isEnabled());
  }
  EXPECT_EQ(entries(), QStringList({"a.igs", "a.txt", "b.igs", "b.txt"}));
}

TEST_F(AppImport, AFailureShowsItsMessageAndWritesNothing) {
  writeCurve("short.igs", false, /*missingLines=*/3);
  importFile("short.igs");
  EXPECT_EQ(drawn, QStringList({"Reading...", status()->text()}));
  const QString whole = status()->toolTip().isEmpty() ? status()->text() : status()->toolTip();
  EXPECT_TRUE(whole.contains(path("short.igs"))) << whole;
  EXPECT_EQ(entries(), QStringList({"short.igs"}));
  EXPECT_TRUE(importButton()->isEnabled());
}

// While an import runs the window still answers, but the button and the
// scale are locked and the pointer does not hide the progress. (Closing the
// window stops the import: the program's own tests show that.)
TEST_F(AppImport, OneImportAtATime) {
  writeCurve("part.igs", false);
  activate();
  importButton()->setFocus(Qt::MouseFocusReason);
  onDraw = [&](const QString& text) {
    if (text != "Reading...") return;
    EXPECT_FALSE(importButton()->isEnabled());
    EXPECT_TRUE(field("ScaleF")->isReadOnly());
    QTest::mouseClick(importButton(), Qt::LeftButton);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(field("AlongStepsF"), &enter);
    EXPECT_EQ(status()->text(), "Reading...");
  };
  EXPECT_TRUE(importFile("part.igs").contains("Done..."));
  EXPECT_EQ(dialogsShown, 1);
  EXPECT_TRUE(read("part.txt").endsWith("End Object\r\n\r"));
  EXPECT_TRUE(importButton()->isEnabled() && !field("ScaleF")->isReadOnly());
  // Disabling the button did not move the keyboard into a field.
  EXPECT_EQ(window->focusWidget(), importButton());
  EXPECT_FALSE(field("AlongStepsF")->hasSelectedText());
}

// Every kind of message stands whole in the status line, its reason
// included, for a file deep in a folder path of 200 characters: a path that
// does not fit is shown by the file's name, shortened as needed. The whole
// text stays readable as the line's tool tip and accessible description.
TEST_F(AppImport, EveryMessageStandsWholeInTheStatusLine) {
  const char* const kLongName = "cut short, a file named at length after the pump housing it holds.igs";
  folder = dir.filePath(QString(199 - dir.path().size(), 'f'));
  ASSERT_TRUE(QDir().mkpath(folder) && folder.size() == 200);
  writeCurve(kLongName, false, /*missingLines=*/3);
  writeCurve("x.txt", false);
  writeCurve("folder in the way.igs", false);
  ASSERT_TRUE(QDir(folder).mkdir("folder in the way.txt"));
  writeCurve("part.igs", false);
  std::vector<igestext::Point4> net;
  for (int i = 0; i < 9; ++i) net.push_back({i % 3 * 1.0, i / 3 * 1.0, 0, 1});
  write("large.igs", igestext::IgesFile::Of({igestext::SurfaceText(3, 3, net)}).Text());
  const auto outOfMemory = [] {
    fw::InstallScaleText([]() -> std::string { throw std::bad_alloc(); }, [](std::string_view) {});
  };
  const struct {
    const char *along, *input;
    std::function<void()> before;
    const char* reason;  // how the shown text ends
  } cases[] = {
      {"0", "", {}, "Ruler Steps must be a number from 1 to 2147483647."},
      {"16", kLongName, {}, ": the file ends before Parameter Data line P 4 (4 lines from P 1)"},
      {"16", "x.txt", {}, " would overwrite the input file itself"},
      {"2147483647", "large.igs", [] { fw::InstallMemorySize(std::uint64_t{16} << 30); },
       " GB, but this computer has 16 GB; lower Ruler Steps or Cross Curve steps."},
      {"16", "part.igs", outOfMemory, "part.igs"},
      {"16", "folder in the way.igs", {}, ": Filename refers to a directory"},
  };
  const QFontMetrics metrics = status()->fontMetrics();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    field("AlongStepsF")->setText(c.along);
    field("SideStepsF")->setText(c.along);
    if (c.before) c.before();
    importFile(c.input);
    window->replaceOpenDialog([this](QWidget*, std::string_view) { return answer; });
    fw::InstallMemorySize(0);
    fw::InstallScaleText([] { return MainWindow().scaleText(); },
                         [](std::string_view text) { MainWindow().setScaleText(text); });
    const QString shown = status()->text();
    const QString whole = status()->toolTip().isEmpty() ? shown : status()->toolTip();
    const QRect used = metrics.boundingRect(QRect(0, 0, 396, 1000), Qt::TextWordWrap, shown);
    EXPECT_TRUE(used.width() <= 396 && used.height() <= 33) << shown;
    EXPECT_TRUE(shown.endsWith(c.reason) && whole.endsWith(c.reason)) << shown;
    EXPECT_EQ(status()->accessibleDescription(), status()->toolTip());
    EXPECT_TRUE(!*c.input || whole.contains(folder + "/")) << whole;
    // The file by its name, its beginning kept.
    EXPECT_TRUE(!shown.contains("fff") && shown.contains(QString(c.input).left(3))) << shown;
  }
  EXPECT_TRUE(status()->toolTip().contains(folder));  // a failure's path never fits whole
  EXPECT_EQ(entries(), QStringList({kLongName, "folder in the way.igs", "folder in the way.txt", "large.igs",
                                    "part.igs", "x.txt"}));
}

}  // namespace
