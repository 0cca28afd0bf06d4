#include "app/main_menu.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QString>
#include <memory>

namespace shell {
namespace {

MainMenu* _implicitInstance = nullptr;

// Shortcuts are written for a keyboard with a Command key; Qt reads "Ctrl"
// as Command on macOS and as Control elsewhere.
QKeySequence Shortcut(const char* text) {
  return QKeySequence(QString::fromLatin1(text).replace(QLatin1String("Cmd+"), QLatin1String("Ctrl+")));
}

}  // namespace

MainMenu::MainMenu() {
  Untitled0();
  Untitled1();
}

QMenu* MainMenu::addMenuNamed(const char* name, const char* text) {
  // The bar does not own its menus; as their parent it deletes them with it.
  auto* menu = new QMenu(QString::fromUtf8(text), this);
  menu->setObjectName(QString::fromLatin1(name));
  menu->menuAction()->setObjectName(QString::fromLatin1(name));
  addMenu(menu);
  return menu;
}

QAction* MainMenu::addItem(QMenu* menu, const char* name, const char* text, const char* shortcut) {
  QAction* item = nullptr;
  if (QString::fromUtf8(text) == QLatin1String("-")) {
    item = menu->addSeparator();
  } else {
    item = menu->addAction(QString::fromUtf8(text));
    if (shortcut) item->setShortcut(Shortcut(shortcut));
  }
  item->setObjectName(QString::fromLatin1(name));
  return item;
}

void MainMenu::Untitled0() {
  QMenu* file = addMenuNamed("FileMenu", "&File");
  QAction* quit = addItem(file, "FileQuit", "&Quit", "Cmd+Q");
  quit->setMenuRole(QAction::QuitRole);
  connect(quit, &QAction::triggered, qApp, &QCoreApplication::quit);
}

void MainMenu::Untitled1() {
  QMenu* edit = addMenuNamed("EditMenu", "&Edit");
  connect(addItem(edit, "EditUndo", "&Undo", "Cmd+Z"), &QAction::triggered, this, &MainMenu::undo);
  addItem(edit, "UntitledMenu1", "-", nullptr);
  connect(addItem(edit, "EditCut", "Cu&t", "Cmd+X"), &QAction::triggered, this, &MainMenu::cut);
  connect(addItem(edit, "EditCopy", "&Copy", "Cmd+C"), &QAction::triggered, this, &MainMenu::copy);
  connect(addItem(edit, "EditPaste", "&Paste", "Cmd+V"), &QAction::triggered, this, &MainMenu::paste);
  connect(addItem(edit, "EditClear", "&Delete", ""), &QAction::triggered, this, &MainMenu::deleteSelection);
  addItem(edit, "UntitledMenu0", "-", nullptr);
  connect(addItem(edit, "EditSelectAll", "Select &All", "Cmd+A"), &QAction::triggered, this, &MainMenu::selectAll);

  connect(edit, &QMenu::aboutToShow, this, &MainMenu::enableEditItems);
  // Disabled actions ignore their shortcuts; with the menu closed every item
  // stays enabled and simply does nothing where it cannot act.
  connect(edit, &QMenu::aboutToHide, this, &MainMenu::enableAllEditItems);
}

QLineEdit* MainMenu::focusedField() {
  return qobject_cast<QLineEdit*>(QApplication::focusWidget());
}

void MainMenu::enableEditItems() {
  QLineEdit* field = focusedField();
  const bool editable = field && !field->isReadOnly();
  const bool selection = field && field->hasSelectedText();
  const bool clipboardHasText = !QApplication::clipboard()->text().isEmpty();
  auto enable = [this](const char* name, bool on) {
    if (auto* item = findChild<QAction*>(QString::fromLatin1(name))) item->setEnabled(on);
  };
  enable("EditUndo", editable && field->isUndoAvailable());
  enable("EditCut", editable && selection);
  enable("EditCopy", selection);
  enable("EditPaste", editable && clipboardHasText);
  enable("EditClear", editable && selection);
  enable("EditSelectAll", field && !field->text().isEmpty());
}

void MainMenu::enableAllEditItems() {
  for (const char* name : {"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll"}) {
    if (auto* item = findChild<QAction*>(QString::fromLatin1(name))) item->setEnabled(true);
  }
}

void MainMenu::undo() {
  if (QLineEdit* field = focusedField()) field->undo();
}

void MainMenu::cut() {
  if (QLineEdit* field = focusedField()) field->cut();
}

void MainMenu::copy() {
  if (QLineEdit* field = focusedField()) field->copy();
}

void MainMenu::paste() {
  if (QLineEdit* field = focusedField()) field->paste();
}

void MainMenu::deleteSelection() {
  QLineEdit* field = focusedField();
  if (field && field->hasSelectedText() && !field->isReadOnly()) field->del();
}

void MainMenu::selectAll() {
  if (QLineEdit* field = focusedField()) field->selectAll();
}

void ReleaseMainMenu() {
  delete _implicitInstance;
  _implicitInstance = nullptr;
}

}  // namespace shell

shell::MainMenu& MainMenu() {
  if (!shell::_implicitInstance) {
    auto* bar = new shell::MainMenu();
    bar->setObjectName(QStringLiteral("MainMenu"));
    shell::_implicitInstance = bar;
  }
  return *shell::_implicitInstance;
}
