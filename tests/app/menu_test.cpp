// The menu bar: its items as the window finds them, and the Edit commands.
#include <QAction>
#include <QClipboard>
#include <QMenu>

#include "app_fixture.h"

namespace {

using AppMenu = app_test::WindowTest;
using shell::MainWindow;

// An item as "holder place/count name text shortcut": the bar or the menu
// that shows it and where, then what the user reads there ("-" for a line).
QString Describe(const QAction* a) {
  if (!a) return "no item";
  const auto* at = qobject_cast<const QWidget*>(a->associatedObjects().value(0));
  return (at ? QString("%1 %2/%3 ").arg(at->objectName()).arg(at->actions().indexOf(a) + 1).arg(at->actions().size())
             : QString("nowhere ")) +
         a->objectName() + " " +
         (a->isSeparator() ? "-" : a->text() + " " + a->shortcut().toString(QKeySequence::PortableText));
}

TEST_F(AppMenu, EveryItemIsFoundByItsNameWhereTheUserSeesIt) {
  const struct {
    QAction* (MainWindow::*item)() const;
    const char* seen;
  } cases[] = {
      {&MainWindow::EditMenu, "MainMenu 2/2 EditMenu &Edit "},
      {&MainWindow::EditSelectAll, "EditMenu 8/8 EditSelectAll Select &All Ctrl+A"},
      {&MainWindow::UntitledMenu0, "EditMenu 7/8 UntitledMenu0 -"},
      {&MainWindow::EditClear, "EditMenu 6/8 EditClear &Delete "},
      {&MainWindow::EditPaste, "EditMenu 5/8 EditPaste &Paste Ctrl+V"},
      {&MainWindow::EditCopy, "EditMenu 4/8 EditCopy &Copy Ctrl+C"},
      {&MainWindow::EditCut, "EditMenu 3/8 EditCut Cu&t Ctrl+X"},
      {&MainWindow::UntitledMenu1, "EditMenu 2/8 UntitledMenu1 -"},
      {&MainWindow::EditUndo, "EditMenu 1/8 EditUndo &Undo Ctrl+Z"},
      {&MainWindow::FileMenu, "MainMenu 1/2 FileMenu &File "},
      {&MainWindow::FileQuit, "FileMenu 1/1 FileQuit &Quit Ctrl+Q"},
  };
  for (const auto& c : cases) EXPECT_EQ(Describe((window->*c.item)()), c.seen);
  // On macOS Quit moves to the application menu.
  EXPECT_EQ(window->FileQuit()->menuRole(), QAction::QuitRole);
}

TEST_F(AppMenu, EditCommandsWorkOnTheFocusedField) {
  activate();
  QLineEdit* scale = field("ScaleF");
  QLineEdit* along = field("AlongStepsF");
  scale->setFocus(Qt::OtherFocusReason);
  scale->setText("2.5");
  window->EditSelectAll()->trigger();
  EXPECT_EQ(scale->selectedText(), "2.5");
  window->EditCopy()->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), "2.5");
  window->EditCut()->trigger();
  EXPECT_EQ(scale->text(), "");
  window->EditUndo()->trigger();
  EXPECT_EQ(scale->text(), "2.5");

  along->setFocus(Qt::OtherFocusReason);
  along->selectAll();
  window->EditPaste()->trigger();
  EXPECT_EQ(along->text() + " " + scale->text(), "2.5 2.5");  // the field without focus is untouched
  along->setSelection(0, 1);
  window->EditClear()->trigger();
  EXPECT_EQ(along->text(), ".5");
  // Delete removes a selection, never the character after the cursor.
  along->deselect();
  along->setCursorPosition(0);
  window->EditClear()->trigger();
  EXPECT_EQ(along->text(), ".5");
}

TEST_F(AppMenu, EditItemsAreEnabledOnlyWhereTheyCanAct) {
  activate();
  QMenu* edit = window->EditMenu()->menu();
  QApplication::clipboard()->setText("3");
  auto enabled = [this] {
    QString states;
    for (const QAction* item : {window->EditUndo(), window->EditCut(), window->EditCopy(), window->EditPaste(),
                                window->EditClear(), window->EditSelectAll()}) {
      states += item->isEnabled() ? "1" : "0";
    }
    return states;
  };
  importButton()->setFocus(Qt::OtherFocusReason);
  emit edit->aboutToShow();
  EXPECT_EQ(enabled(), "000000") << "with no field focused";
  field("SideStepsF")->setFocus(Qt::OtherFocusReason);
  field("SideStepsF")->deselect();
  emit edit->aboutToShow();
  EXPECT_EQ(enabled().mid(1), "00101") << "in a field without a selection";
  // Closed, the menu leaves every shortcut working.
  emit edit->aboutToHide();
  EXPECT_EQ(enabled(), "111111");
}

}  // namespace
