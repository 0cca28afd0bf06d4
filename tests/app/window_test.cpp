// The main window as the user meets it: where each control stands and how it
// reads, the tab order, the colours, the help under the pointer and the
// scale field's fallback.
#include <QAccessible>
#include <QAccessibleInterface>
#include <QHash>
#include <QImage>
#include <QSet>
#include <algorithm>
#include <cmath>

#include "app/property_lists.h"
#include "app/round_rectangle.h"
#include "app_fixture.h"

namespace {

using app_test::kIdleText;
using AppWindow = app_test::WindowTest;

QString AccessibleName(QWidget* widget) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
  return accessible ? accessible->text(QAccessible::Name) : QString();
}

// Every control stands where the window was laid out, every text shows
// whole in its size, and a screen reader names each field by the label
// before it. The status line lies in the rounded box, drawn over it.
TEST_F(AppWindow, ShowsEveryControlInPlaceWithItsTextWholeAndNamesEachFieldByItsLabel) {
  EXPECT_EQ(window->windowTitle(), "IGES To Brindlemark Importer");
  const struct {
    const char *name, *text, *field;
    QRect at;    // in the client area
    int pixels;  // the text's pixel size; -1 is the platform's size in points
  } cases[] = {{"RoundRectangle1", "", nullptr, {162, 38, 418, 35}, -1},
               {"HelpT", kIdleText, nullptr, {175, 40, 396, 33}, 10},
               {"ImportButton", "Import", nullptr, {500, 5, 80, 22}, -1},
               {"lblFile", "Ruler Steps", "AlongStepsF", {-5, 8, 80, 20}, 10},
               {"AlongStepsF", "16", nullptr, {81, 7, 62, 22}, -1},
               {"SideStepsF", "16", nullptr, {257, 7, 62, 22}, -1},
               {"lblFile1", "Cross Curve steps", "SideStepsF", {152, 8, 98, 20}, 10},
               {"chkExportRefCurves", "Import Curves / Trims", nullptr, {20, 43, 134, 21}, 10},
               {"lblFile11", "Scale factor", "ScaleF", {331, 8, 64, 20}, 10},
               {"ScaleF", "1", nullptr, {407, 7, 62, 22}, -1},
               {"lblFile12", shell::PropertyLists::kNotice, nullptr, {8, 77, 572, 17}, 10}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QWidget* control = find(c.name);
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(control->isVisible() && control->isEnabled());
    EXPECT_EQ(QRect(control->mapTo(window->centralWidget(), QPoint(0, 0)), control->size()), c.at);
    EXPECT_EQ(control->property("text").toString(), c.text);
    EXPECT_EQ(control->font().pixelSize(), c.pixels);
    EXPECT_LE(control->fontMetrics().horizontalAdvance(c.text), control->width());
    if (c.field) {
      EXPECT_EQ(AccessibleName(field(c.field)), c.text);
      EXPECT_EQ(find<QLabel>(c.name)->alignment(), Qt::AlignRight | Qt::AlignVCenter);
    }
  }
  EXPECT_EQ(status()->parentWidget()->objectName(), "RoundRectangle1");
  shell::RoundRectangle* box = window->RoundRectangle1();
  EXPECT_EQ(QString("%1 %2 %3 %4x%5")
                .arg(box->fillColor().name(), box->borderColor().name())
                .arg(box->borderWidth())
                .arg(box->ovalWidth())
                .arg(box->ovalHeight()),
            "#e1efff #000000 1 16x16");
  // Its corners are drawn smooth: the border shades into the window and the
  // fill, so a corner holds more than those three colours.
  const QImage corner = box->grab(QRect(0, 0, 10, 10)).toImage();
  QSet<QRgb> shades;
  for (int y = 0; y < corner.height(); ++y) {
    for (int x = 0; x < corner.width(); ++x) shades.insert(corner.pixel(x, y));
  }
  EXPECT_GT(shades.size(), 3);
}

// WCAG's contrast ratio of two colours, 1 to 21.
double Contrast(QColor a, QColor b) {
  auto luminance = [](QColor c) {
    auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour most of a control's area shows: what lies behind its text.
QColor Behind(const QImage& window, const QWidget* control) {
  const QRect area = QRect(control->mapTo(control->window(), QPoint(0, 0)), control->size()) & window.rect();
  QHash<QRgb, int> counts;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) ++counts[window.pixel(x, y)];
  }
  QRgb most = 0;
  for (auto it = counts.begin(); it != counts.end(); ++it) {
    if (it.value() > counts.value(most)) most = it.key();
  }
  return QColor(most);
}

// The fields keep their black text on white, and the labels their black
// text on a light window, whatever colours a dark desktop gives other
// windows; a light desktop keeps its own.
TEST_F(AppWindow, DesignedColoursHoldUnderADarkTheme) {
  const QPalette saved = QApplication::palette();
  QPalette dark = saved;
  for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
    dark.setColor(role, QColor(0x31, 0x36, 0x3b));
  }
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    dark.setColor(role, QColor(0xef, 0xf0, 0xf1));
  }
  QApplication::setPalette(dark);
  QCoreApplication::processEvents();  // the change reaches the widgets as events
  QStringList seen;
  for (const char* name : {"AlongStepsF", "SideStepsF", "ScaleF"}) {
    const QPalette colours = field(name)->palette();
    seen << colours.color(QPalette::Text).name() + " on " + colours.color(QPalette::Base).name();
  }
  const QImage shown = window->grab().toImage();
  for (const char* name : {"lblFile", "lblFile1", "lblFile11", "HelpT", "lblFile12", "chkExportRefCurves"}) {
    const QWidget* control = find(name);
    const QColor text = control->palette().color(QPalette::WindowText);
    seen << text.name();
    EXPECT_GE(Contrast(text, Behind(shown, control)), 4.5) << name << " on " << Behind(shown, control).name();
  }
  QPalette light = saved;
  light.setColor(QPalette::Window, QColor(0xf6, 0xf5, 0xf4));
  QApplication::setPalette(light);
  QCoreApplication::processEvents();
  EXPECT_EQ(window->palette().color(QPalette::Window), light.color(QPalette::Window));
  QApplication::setPalette(saved);
  QCoreApplication::processEvents();
  const QString field = "#000000 on #ffffff", label = "#000000";
  EXPECT_EQ(seen, QStringList({field, field, field, label, label, label, label, label, label}));
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
