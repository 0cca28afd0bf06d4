// The menu bar: its tree and the Edit commands.
#include <QAction>
#include <QClipboard>
#include <QMenu>

#include "app/main_menu.h"
#include "app_fixture.h"

namespace {

using AppMenu = app_test::WindowTest;

// Each entry of a menu as "name text shortcut", or "name -" for a separator.
QStringList Describe(const QList<QAction*>& actions) {
  QStringList entries;
  for (QAction* a : actions) {
    entries << a->objectName() + " " +
                   (a->isSeparator() ? "-" : a->text() + " " + a->shortcut().toString(QKeySequence::PortableText));
  }
  return entries;
}

QAction* Item(const char* name) {
  QAction* item = MainMenu().findChild<QAction*>(QString::fromLatin1(name));
  EXPECT_NE(item, nullptr) << name;
  return item;
}

TEST_F(AppMenu, BarHoldsFileWithQuitAndEditWithEightEntries) {
  const QList<QAction*> menus = MainMenu().actions();
  ASSERT_EQ(Describe(menus), QStringList({"FileMenu &File ", "EditMenu &Edit "}));
  ASSERT_TRUE(menus[0]->menu() && menus[1]->menu());
  EXPECT_EQ(Describe(menus[0]->menu()->actions()), QStringList({"FileQuit &Quit Ctrl+Q"}));
  EXPECT_EQ(Item("FileQuit")->menuRole(), QAction::QuitRole);
  EXPECT_EQ(Describe(menus[1]->menu()->actions()),
            QStringList({"EditUndo &Undo Ctrl+Z", "UntitledMenu1 -", "EditCut Cu&t Ctrl+X", "EditCopy &Copy Ctrl+C",
                         "EditPaste &Paste Ctrl+V", "EditClear &Delete ", "UntitledMenu0 -",
                         "EditSelectAll Select &All Ctrl+A"}));
}

TEST_F(AppMenu, EditCommandsWorkOnTheFocusedField) {
  activate();
  QLineEdit* scale = field("ScaleF");
  QLineEdit* along = field("AlongStepsF");
  scale->setFocus(Qt::OtherFocusReason);
  scale->setText("2.5");
  Item("EditSelectAll")->trigger();
  EXPECT_EQ(scale->selectedText(), "2.5");
  Item("EditCopy")->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), "2.5");
  Item("EditCut")->trigger();
  EXPECT_EQ(scale->text(), "");
  Item("EditUndo")->trigger();
  EXPECT_EQ(scale->text(), "2.5");

  along->setFocus(Qt::OtherFocusReason);
  along->selectAll();
  Item("EditPaste")->trigger();
  EXPECT_EQ(along->text() + " " + scale->text(), "2.5 2.5");  // the field without focus is untouched
  along->setSelection(0, 1);
  Item("EditClear")->trigger();
  EXPECT_EQ(along->text(), ".5");
  // Delete removes a selection, never the character after the cursor.
  along->deselect();
  along->setCursorPosition(0);
  Item("EditClear")->trigger();
  EXPECT_EQ(along->text(), ".5");
}

TEST_F(AppMenu, EditItemsAreEnabledOnlyWhereTheyCanAct) {
  activate();
  QMenu* edit = MainMenu().findChild<QMenu*>("EditMenu");
  ASSERT_NE(edit, nullptr);
  QApplication::clipboard()->setText("3");
  auto enabled = [] {
    QString states;
    for (const char* name : {"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll"}) {
      states += Item(name)->isEnabled() ? "1" : "0";
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
