// The main window as it opens and as it answers the pointer and the keyboard.
#include <QAccessible>
#include <QAccessibleInterface>
#include <QFocusEvent>

#include "app/round_rectangle.h"
#include "app_fixture.h"

namespace {

using app_test::kIdleText;
using AppWindow = app_test::WindowTest;

// Every control where it was designed, with its text, alignment and wrapping,
// black 10-pixel text, and a caption that fits.
TEST_F(AppWindow, OpensWithEveryControlAsDesigned) {
  const struct {
    const char *name, *qtClass;
    QRect geometry;  // in the client area
    const char* text;
    Qt::Alignment alignment;  // of a label
    bool wraps;
  } cases[] = {
      {"RoundRectangle1", "shell::RoundRectangle", {162, 38, 418, 35}, nullptr, {}, false},
      {"HelpT", "QLabel", {175, 40, 396, 33}, kIdleText, Qt::AlignLeft, true},
      {"ImportButton", "QPushButton", {500, 5, 80, 22}, "Import", {}, false},
      {"lblFile", "QLabel", {-5, 8, 80, 20}, "Ruler Steps", Qt::AlignRight, false},
      {"AlongStepsF", "QLineEdit", {81, 7, 62, 22}, "16", {}, false},
      {"SideStepsF", "QLineEdit", {257, 7, 62, 22}, "16", {}, false},
      {"lblFile1", "QLabel", {152, 8, 98, 20}, "Cross Curve steps", Qt::AlignRight, false},
      {"chkExportRefCurves", "QCheckBox", {20, 43, 134, 21}, "Import Curves / Trims", {}, false},
      {"lblFile11", "QLabel", {331, 8, 64, 20}, "Scale factor", Qt::AlignRight, false},
      {"ScaleF", "QLineEdit", {407, 7, 62, 22}, "1", {}, false},
      {"lblFile12", "QLabel", {8, 77, 572, 17}, nullptr, Qt::AlignLeft, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QWidget* control = find(c.name);
    ASSERT_NE(control, nullptr);
    EXPECT_STREQ(control->metaObject()->className(), c.qtClass);
    EXPECT_EQ(QRect(control->mapTo(window->centralWidget(), QPoint(0, 0)), control->size()), c.geometry);
    EXPECT_TRUE(control->isVisible() && control->isEnabled());
    const QString text = control->property("text").toString();
    EXPECT_EQ(text, c.text ? c.text : text);
    EXPECT_LE(control->fontMetrics().horizontalAdvance(text), control->width());
    if (auto* label = qobject_cast<QLabel*>(control)) {
      EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, c.alignment);
      EXPECT_EQ(label->wordWrap(), c.wraps);
      EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::black));
      EXPECT_EQ(label->font().pixelSize(), 10);
    }
    if (auto* field = qobject_cast<QLineEdit*>(control)) {
      EXPECT_EQ(field->palette().color(QPalette::Text), QColor(Qt::black));
      EXPECT_EQ(field->palette().color(QPalette::Base), QColor(Qt::white));
      EXPECT_TRUE(field->hasFrame() && !field->isReadOnly());
      EXPECT_LE(field->fontMetrics().height(), field->height());
    }
  }
  EXPECT_FALSE(box()->isChecked());
  EXPECT_EQ(box()->font().pixelSize(), 10);
  EXPECT_LE(box()->sizeHint().width(), box()->width());
  EXPECT_FALSE(find<QLabel>("lblFile12")->text().isEmpty());
  // The status line lies inside the rounded box, drawn over it.
  auto* rounded = find<shell::RoundRectangle>("RoundRectangle1");
  EXPECT_EQ(status()->parentWidget(), rounded);
  EXPECT_EQ(rounded->fillColor(), QColor(0xE1, 0xEF, 0xFF));
  EXPECT_EQ(rounded->borderColor(), QColor(Qt::black));
  EXPECT_EQ(QList<int>({rounded->borderWidth(), rounded->ovalWidth(), rounded->ovalHeight()}), QList<int>({1, 16, 16}));
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
  EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint) && flags.testFlag(Qt::WindowCloseButtonHint));
}

TEST_F(AppWindow, TabVisitsTheStopsInTheirDesignedOrder) {
  activate();
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
    SendPointer(find(name), QEvent::Enter);
    EXPECT_EQ(status()->text(), help);
    // Leaving shows the idle text, whatever the status line held meanwhile.
    status()->setText("Cannot write /data/part.txt: Permission denied");
    SendPointer(find(name), QEvent::Leave);
    EXPECT_EQ(status()->text(), kIdleText) << name;
  }
  for (const char* name :
       {"lblFile", "lblFile1", "lblFile11", "lblFile12", "ImportButton", "RoundRectangle1", "HelpT"}) {
    status()->setText("Done...");
    SendPointer(find(name), QEvent::Enter);
    SendPointer(find(name), QEvent::Leave);
    EXPECT_EQ(status()->text(), "Done...") << name;
  }
}

TEST_F(AppWindow, ScaleFieldLeftNotPositiveFallsBackToOne) {
  activate();
  const std::pair<const char*, const char*> cases[] = {
      {"0", "1"}, {"-2", "1"}, {"", "1"}, {"abc", "1"}, {"0.5", "0.5"}, {"2.54", "2.54"}, {"1e-3", "1e-3"}};
  for (const auto& [typed, kept] : cases) {
    field("ScaleF")->setFocus(Qt::OtherFocusReason);
    field("ScaleF")->setText(typed);
    field("AlongStepsF")->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(field("ScaleF")->text(), kept) << typed;
  }
  // Opening a menu to paste into the field does not leave it.
  field("ScaleF")->setText("0");
  QFocusEvent toMenu(QEvent::FocusOut, Qt::PopupFocusReason);
  QApplication::sendEvent(field("ScaleF"), &toMenu);
  EXPECT_EQ(field("ScaleF")->text(), "0");
  // The step fields are checked when an import starts, not when left.
  field("SideStepsF")->setFocus(Qt::OtherFocusReason);
  field("SideStepsF")->setText("-1");
  field("ScaleF")->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(field("SideStepsF")->text(), "-1");
}

QString AccessibleName(QWidget* widget) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
  return accessible ? accessible->text(QAccessible::Name) : QString();
}

TEST_F(AppWindow, ScreenReadersHearEachFieldByItsLabel) {
  for (const auto& [name, fieldName] : {std::pair{"lblFile", "AlongStepsF"}, {"lblFile1", "SideStepsF"},
                                        {"lblFile11", "ScaleF"}}) {
    auto* label = find<QLabel>(name);
    EXPECT_EQ(label->buddy(), field(fieldName));
    EXPECT_EQ(AccessibleName(field(fieldName)) + "|" + AccessibleName(label), label->text() + "|" + label->text());
  }
  status()->setText("Reading...");  // read out with whatever it shows now
  EXPECT_EQ(AccessibleName(importButton()) + "|" + AccessibleName(box()) + "|" + AccessibleName(status()),
            "Import|Import Curves / Trims|Reading...");
}

}  // namespace
