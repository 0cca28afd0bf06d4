// The main window as it opens and as it answers the pointer and the keyboard.
#include <QAccessible>
#include <QAccessibleInterface>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QMenuBar>

#include "app/round_rectangle.h"
#include "app_fixture.h"

namespace {

using app_test::kIdleText;
using app_test::WindowTest;

using AppWindow = WindowTest;

struct ControlCase {
  const char* name;
  const char* qtClass;
  QRect geometry;  // in the client area
  const char* text;
};

TEST_F(AppWindow, OpensWithEveryControlInPlace) {
  const ControlCase cases[] = {
      {"RoundRectangle1", "shell::RoundRectangle", {162, 38, 418, 35}, nullptr},
      {"HelpT", "QLabel", {175, 40, 396, 33}, kIdleText},
      {"ImportButton", "QPushButton", {500, 5, 80, 22}, "Import"},
      {"lblFile", "QLabel", {-5, 8, 80, 20}, "Ruler Steps"},
      {"AlongStepsF", "QLineEdit", {81, 7, 62, 22}, "16"},
      {"SideStepsF", "QLineEdit", {257, 7, 62, 22}, "16"},
      {"lblFile1", "QLabel", {152, 8, 98, 20}, "Cross Curve steps"},
      {"chkExportRefCurves", "QCheckBox", {20, 43, 134, 21}, "Import Curves / Trims"},
      {"lblFile11", "QLabel", {331, 8, 64, 20}, "Scale factor"},
      {"ScaleF", "QLineEdit", {407, 7, 62, 22}, "1"},
      {"lblFile12", "QLabel", {8, 77, 572, 17}, nullptr},
  };
  QWidget* client = window->centralWidget();
  for (const ControlCase& c : cases) {
    SCOPED_TRACE(c.name);
    QWidget* control = find(c.name);
    ASSERT_NE(control, nullptr);
    EXPECT_STREQ(control->metaObject()->className(), c.qtClass);
    EXPECT_EQ(QRect(control->mapTo(client, QPoint(0, 0)), control->size()), c.geometry);
    EXPECT_TRUE(control->isVisible());
    EXPECT_TRUE(control->isEnabled());
    if (c.text) {
      EXPECT_EQ(control->property("text").toString(), QString::fromUtf8(c.text));
    }
  }
  EXPECT_FALSE(box()->isChecked());
  EXPECT_FALSE(find<QLabel>("lblFile12")->text().isEmpty());
  // The status line lies inside the rounded box, drawn over it.
  EXPECT_EQ(status()->parentWidget(), find("RoundRectangle1"));
}

TEST_F(AppWindow, ClientAreaIsAFixed600By93BelowTheMenuBar) {
  EXPECT_EQ(window->windowTitle(), "IGES To Brindlemark Importer");
  EXPECT_EQ(window->centralWidget()->size(), QSize(600, 93));
  ASSERT_NE(window->menuWidget(), nullptr);
  EXPECT_TRUE(window->menuWidget()->isVisible());
  EXPECT_LE(window->menuWidget()->geometry().bottom(), window->centralWidget()->geometry().top());
  EXPECT_EQ(window->size(), QSize(600, window->menuWidget()->height() + 93));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  const Qt::WindowFlags flags = window->windowFlags();
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
}

TEST_F(AppWindow, DrawsTheDesignedColoursAndText) {
  auto* box = find<shell::RoundRectangle>("RoundRectangle1");
  EXPECT_EQ(box->fillColor(), QColor(0xE1, 0xEF, 0xFF));
  EXPECT_EQ(box->borderColor(), QColor(Qt::black));
  EXPECT_EQ(box->borderWidth(), 1);
  EXPECT_EQ(box->ovalWidth(), 16);
  EXPECT_EQ(box->ovalHeight(), 16);

  for (const char* name : {"AlongStepsF", "SideStepsF", "ScaleF"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(field(name)->palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(field(name)->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_TRUE(field(name)->hasFrame());
    EXPECT_FALSE(field(name)->isReadOnly());
  }

  struct LabelCase {
    const char* name;
    Qt::Alignment horizontal;
    bool wraps;
  };
  const LabelCase labels[] = {
      {"HelpT", Qt::AlignLeft, true},       {"lblFile", Qt::AlignRight, false}, {"lblFile1", Qt::AlignRight, false},
      {"lblFile11", Qt::AlignRight, false}, {"lblFile12", Qt::AlignLeft, true},
  };
  for (const LabelCase& c : labels) {
    SCOPED_TRACE(c.name);
    auto* label = find<QLabel>(c.name);
    EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, c.horizontal);
    EXPECT_EQ(label->wordWrap(), c.wraps);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_EQ(label->font().pixelSize(), 10);
  }
  EXPECT_EQ(this->box()->font().pixelSize(), 10);
}

// A label too narrow for its text loses letters on the left (they are right
// aligned) or on the right; a designed width says what must fit.
TEST_F(AppWindow, EveryCaptionFitsItsControl) {
  for (const char* name : {"lblFile", "lblFile1", "lblFile11", "lblFile12"}) {
    auto* label = find<QLabel>(name);
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << name;
  }
  EXPECT_LE(status()->fontMetrics().horizontalAdvance(kIdleText), status()->width());
  EXPECT_LE(box()->sizeHint().width(), box()->width());
  EXPECT_LE(importButton()->fontMetrics().horizontalAdvance(importButton()->text()), importButton()->width());
  for (const char* name : {"AlongStepsF", "SideStepsF", "ScaleF"}) {
    EXPECT_LE(field(name)->fontMetrics().height(), field(name)->height()) << name;
  }
}

TEST_F(AppWindow, TabVisitsTheStopsInTheirDesignedOrder) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  importButton()->setFocus(Qt::OtherFocusReason);
  QStringList visited;
  for (int i = 0; i < 5; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(visited, QStringList({"AlongStepsF", "SideStepsF", "chkExportRefCurves", "ScaleF", "ImportButton"}));
  for (const char* name : {"HelpT", "lblFile", "lblFile1", "lblFile11", "lblFile12", "RoundRectangle1"}) {
    EXPECT_EQ(find(name)->focusPolicy(), Qt::NoFocus) << name;
  }
}

void SendPointer(QWidget* widget, QEvent::Type type) {
  QEvent event(type);
  QApplication::sendEvent(widget, &event);
}

TEST_F(AppWindow, HelpTextFollowsThePointerOverFieldsAndTheBox) {
  const std::pair<const char*, const char*> helps[] = {
      {"AlongStepsF", "Number of steps along Control Rulers"},
      {"SideStepsF", "Number of Control Rulers"},
      {"chkExportRefCurves", "Include trimmed planes and trim curves"},
      {"ScaleF", "Scale factor for file"},
  };
  for (const auto& [name, help] : helps) {
    SCOPED_TRACE(name);
    SendPointer(find(name), QEvent::Enter);
    EXPECT_EQ(status()->text(), help);
    // Leaving shows the idle text, whatever the status line held meanwhile.
    status()->setText("Cannot write /data/part.txt: Permission denied");
    SendPointer(find(name), QEvent::Leave);
    EXPECT_EQ(status()->text(), kIdleText);
  }
  const QString before = "Done...";
  for (const char* name :
       {"lblFile", "lblFile1", "lblFile11", "lblFile12", "ImportButton", "RoundRectangle1", "HelpT"}) {
    SCOPED_TRACE(name);
    status()->setText(before);
    SendPointer(find(name), QEvent::Enter);
    SendPointer(find(name), QEvent::Leave);
    EXPECT_EQ(status()->text(), before);
  }
}

TEST_F(AppWindow, ScaleFieldLeftNotPositiveFallsBackToOne) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  const std::pair<const char*, const char*> cases[] = {
      {"0", "1"}, {"-2", "1"}, {"", "1"}, {"abc", "1"}, {"0.5", "0.5"}, {"2.54", "2.54"}, {"1e-3", "1e-3"},
  };
  for (const auto& [typed, kept] : cases) {
    SCOPED_TRACE(typed);
    field("ScaleF")->setFocus(Qt::OtherFocusReason);
    field("ScaleF")->setText(typed);
    field("AlongStepsF")->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(field("ScaleF")->text(), kept);
  }
  // Opening a menu to paste into the field does not leave it.
  field("ScaleF")->setText("0");
  QFocusEvent toMenu(QEvent::FocusOut, Qt::PopupFocusReason);
  QApplication::sendEvent(field("ScaleF"), &toMenu);
  EXPECT_EQ(field("ScaleF")->text(), "0");
  // The step fields are checked when an import starts, not when left.
  for (const char* name : {"AlongStepsF", "SideStepsF"}) {
    field(name)->setFocus(Qt::OtherFocusReason);
    field(name)->setText("-1");
    field("ScaleF")->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(field(name)->text(), "-1") << name;
  }
}

QString AccessibleName(QWidget* widget) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
  return accessible ? accessible->text(QAccessible::Name) : QString();
}

TEST_F(AppWindow, ScreenReadersHearEachFieldByItsLabel) {
  const std::pair<const char*, const char*> pairs[] = {
      {"lblFile", "AlongStepsF"}, {"lblFile1", "SideStepsF"}, {"lblFile11", "ScaleF"}};
  for (const auto& [labelName, fieldName] : pairs) {
    SCOPED_TRACE(fieldName);
    auto* label = find<QLabel>(labelName);
    EXPECT_EQ(label->buddy(), field(fieldName));
    EXPECT_EQ(AccessibleName(field(fieldName)), label->text());
    EXPECT_EQ(AccessibleName(label), label->text());
  }
  EXPECT_EQ(AccessibleName(importButton()), "Import");
  EXPECT_EQ(AccessibleName(box()), "Import Curves / Trims");
  // The status line is read out with whatever it shows now.
  status()->setText("Reading...");
  EXPECT_EQ(AccessibleName(status()), "Reading...");
}

}  // namespace
