// The menu bar: its tree, its one instance, and the Edit commands.
#include <QAction>
#include <QClipboard>
#include <QMenu>

#include "app/app.h"
#include "app/main_menu.h"
#include "app_fixture.h"

namespace {

using app_test::WindowTest;
using AppMenu = WindowTest;

struct ItemCase {
  const char* name;
  const char* text;
  const char* shortcut;
};

void ExpectItems(const QList<QAction*>& actions, const std::vector<ItemCase>& expected) {
  ASSERT_EQ(actions.size(), static_cast<qsizetype>(expected.size()));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const ItemCase& c = expected[i];
    QAction* action = actions[static_cast<qsizetype>(i)];
    SCOPED_TRACE(c.name);
    EXPECT_EQ(action->objectName(), c.name);
    if (QString(c.text) == "-") {
      EXPECT_TRUE(action->isSeparator());
    } else {
      EXPECT_FALSE(action->isSeparator());
      EXPECT_EQ(action->text(), c.text);
      EXPECT_EQ(action->shortcut(), QKeySequence(c.shortcut));
    }
  }
}

TEST_F(AppMenu, BarHoldsFileWithQuitAndEditWithEightEntries) {
  shell::MainMenu& bar = MainMenu();
  const QList<QAction*> menus = bar.actions();
  ASSERT_EQ(menus.size(), 2);
  EXPECT_EQ(menus[0]->objectName(), "FileMenu");
  EXPECT_EQ(menus[0]->text(), "&File");
  EXPECT_EQ(menus[1]->objectName(), "EditMenu");
  EXPECT_EQ(menus[1]->text(), "&Edit");
  ASSERT_NE(menus[0]->menu(), nullptr);
  ASSERT_NE(menus[1]->menu(), nullptr);

  ExpectItems(menus[0]->menu()->actions(), {{"FileQuit", "&Quit", "Ctrl+Q"}});
  EXPECT_EQ(menus[0]->menu()->actions()[0]->menuRole(), QAction::QuitRole);

  ExpectItems(menus[1]->menu()->actions(), {
                                               {"EditUndo", "&Undo", "Ctrl+Z"},
                                               {"UntitledMenu1", "-", ""},
                                               {"EditCut", "Cu&t", "Ctrl+X"},
                                               {"EditCopy", "&Copy", "Ctrl+C"},
                                               {"EditPaste", "&Paste", "Ctrl+V"},
                                               {"EditClear", "&Delete", ""},
                                               {"UntitledMenu0", "-", ""},
                                               {"EditSelectAll", "Select &All", "Ctrl+A"},
                                           });
}

TEST_F(AppMenu, ApplicationAndWindowShareTheOneBar) {
  EXPECT_EQ(&MainMenu(), &MainMenu());
  ASSERT_NE(App(), nullptr);
  EXPECT_EQ(App()->menuBar(), &MainMenu());
  EXPECT_EQ(window->menuWidget(), &MainMenu());
}

QAction* Item(const char* name) {
  QAction* item = MainMenu().findChild<QAction*>(QString::fromLatin1(name));
  EXPECT_NE(item, nullptr) << name;
  return item;
}

TEST_F(AppMenu, EditCommandsWorkOnTheFocusedField) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
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
  EXPECT_EQ(along->text(), "2.5");
  EXPECT_EQ(scale->text(), "2.5");  // the field without focus is untouched
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
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QMenu* edit = MainMenu().findChild<QMenu*>("EditMenu");
  ASSERT_NE(edit, nullptr);
  QApplication::clipboard()->setText("3");

  importButton()->setFocus(Qt::OtherFocusReason);
  emit edit->aboutToShow();
  for (const char* name : {"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll"}) {
    EXPECT_FALSE(Item(name)->isEnabled()) << name << " with no field focused";
  }

  field("SideStepsF")->setFocus(Qt::OtherFocusReason);
  field("SideStepsF")->deselect();
  emit edit->aboutToShow();
  EXPECT_FALSE(Item("EditCut")->isEnabled());
  EXPECT_FALSE(Item("EditCopy")->isEnabled());
  EXPECT_FALSE(Item("EditClear")->isEnabled());
  EXPECT_TRUE(Item("EditPaste")->isEnabled());
  EXPECT_TRUE(Item("EditSelectAll")->isEnabled());

  // Closed, the menu leaves every shortcut working.
  emit edit->aboutToHide();
  for (const char* name : {"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll"}) {
    EXPECT_TRUE(Item(name)->isEnabled()) << name;
  }
}

}  // namespace
