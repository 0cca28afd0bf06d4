// The main window as the user meets it: its texts, the tab order, the scale
// field's fallback and the help under the pointer.
#include <QAccessible>
#include <QAccessibleInterface>

#include "app/property_lists.h"
#include "app_fixture.h"

namespace {

using app_test::kIdleText;
using AppWindow = app_test::WindowTest;

QString AccessibleName(QWidget* widget) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
  return accessible ? accessible->text(QAccessible::Name) : QString();
}

// Every text shows whole, and a screen reader names each field by the label
// before it. The status line lies in the rounded box, drawn over it.
TEST_F(AppWindow, ShowsEveryTextWholeAndNamesEachFieldByItsLabel) {
  EXPECT_EQ(window->windowTitle(), "IGES To Brindlemark Importer");
  const struct {
    const char *name, *text, *field;
  } cases[] = {{"HelpT", kIdleText, nullptr}, {"ImportButton", "Import", nullptr},
               {"chkExportRefCurves", "Import Curves / Trims", nullptr}, {"lblFile", "Ruler Steps", "AlongStepsF"},
               {"lblFile1", "Cross Curve steps", "SideStepsF"}, {"lblFile11", "Scale factor", "ScaleF"},
               {"lblFile12", shell::PropertyLists::kNotice, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QWidget* control = find(c.name);
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(control->isVisible() && control->isEnabled());
    EXPECT_EQ(control->property("text").toString(), c.text);
    EXPECT_LE(control->fontMetrics().horizontalAdvance(c.text), control->width());
    if (c.field) {
      EXPECT_EQ(AccessibleName(field(c.field)), c.text);
    }
  }
  EXPECT_EQ(status()->parentWidget()->objectName(), "RoundRectangle1");
  // The labels and the box are drawn small, as laid out; the button and the
  // fields keep the platform's size.
  for (const char* name : {"HelpT", "lblFile", "lblFile1", "lblFile11", "lblFile12", "chkExportRefCurves"}) {
    EXPECT_EQ(find(name)->font().pixelSize(), 10) << name;
  }
  for (const char* name : {"ImportButton", "AlongStepsF", "SideStepsF", "ScaleF"}) {
    EXPECT_EQ(find(name)->font(), QApplication::font(find(name))) << name;
  }
}

// Leaving the scale field with a value that is not positive shows 1.
TEST_F(AppWindow, TabVisitsTheStopsInTheirDesignedOrderAndABadScaleShowsOne) {
  activate();
  field("ScaleF")->setText("0");
  importButton()->setFocus(Qt::OtherFocusReason);
  QStringList visited;
  for (int i = 0; i < 5; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(visited, QStringList({"AlongStepsF", "SideStepsF", "chkExportRefCurves", "ScaleF", "ImportButton"}));
  EXPECT_EQ(field("ScaleF")->text(), "1");
}

// Leaving a control with help shows the idle text; the other controls leave
// the status line alone, whatever it reports.
TEST_F(AppWindow, HelpTextFollowsThePointerOverFieldsAndTheBox) {
  const std::pair<const char*, const char*> helps[] = {
      {"AlongStepsF", "Number of steps along Control Rulers"},
      {"SideStepsF", "Number of Control Rulers"},
      {"chkExportRefCurves", "Include trimmed planes and trim curves"},
      {"ScaleF", "Scale factor for file"},
      {"ImportButton", nullptr},
      {"lblFile", nullptr}};
  QEvent enter(QEvent::Enter), leave(QEvent::Leave);
  for (const auto& [name, help] : helps) {
    status()->setText("Done...");
    QApplication::sendEvent(find(name), &enter);
    EXPECT_EQ(status()->text(), help ? help : "Done...") << name;
    QApplication::sendEvent(find(name), &leave);
    EXPECT_EQ(status()->text(), help ? kIdleText : "Done...") << name;
  }
}

// Each handler, called as its event would call it: the status line it shows
// over "Done...", and the scale field it leaves.
TEST_F(AppWindow, EachHandlerShowsItsHelpOrMendsTheScale) {
  using shell::MainWindow;
  const struct {
    void (MainWindow::*handler)();
    const char *scale, *seen;
  } cases[] = {
      {&MainWindow::AlongStepsF_MouseEnter, "1", "Number of steps along Control Rulers | 1"},
      {&MainWindow::AlongStepsF_MouseExit, "1", "Click on Import and select file | 1"},
      {&MainWindow::SideStepsF_MouseEnter, "1", "Number of Control Rulers | 1"},
      {&MainWindow::SideStepsF_MouseExit, "1", "Click on Import and select file | 1"},
      {&MainWindow::chkExportRefCurves_MouseEnter, "1", "Include trimmed planes and trim curves | 1"},
      {&MainWindow::chkExportRefCurves_MouseExit, "1", "Click on Import and select file | 1"},
      {&MainWindow::ScaleF_MouseEnter, "1", "Scale factor for file | 1"},
      {&MainWindow::ScaleF_MouseExit, "1", "Click on Import and select file | 1"},
      {&MainWindow::ScaleF_LostFocus, "0", "Done... | 1"},
      {&MainWindow::ScaleF_LostFocus, "-2", "Done... | 1"},
      {&MainWindow::ScaleF_LostFocus, "abc", "Done... | 1"},
      {&MainWindow::ScaleF_LostFocus, "0.5", "Done... | 0.5"},
      {&MainWindow::ScaleF_LostFocus, "2.54", "Done... | 2.54"},
  };
  MainWindow& shown = *window;
  for (const auto& c : cases) {
    status()->setText("Done...");
    shown.ScaleF()->setText(c.scale);
    (shown.*c.handler)();
    EXPECT_EQ(shown.HelpT()->text() + " | " + shown.ScaleF()->text(), c.seen);
  }
}

}  // namespace
