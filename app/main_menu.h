// The menu bar: File with Quit, Edit with the standard editing commands for
// the focused text field. One instance serves the application and the window.
#pragma once

#include <QMenuBar>

class QAction;
class QLineEdit;
class QMenu;

namespace shell {
class MainMenu;
}

// The single menu bar, built on the first call. The application's menu bar
// and the main window's are this same object.
shell::MainMenu& MainMenu();

namespace shell {

class MainMenu : public QMenuBar {
  Q_OBJECT

 public:
  // Build the File menu (Quit) and the Edit menu, each appended to the bar;
  // the constructor runs them once, File first.
  void Untitled0();
  void Untitled1();

 private:
  // Made only by the accessor: one menu bar per run.
  friend MainMenu& ::MainMenu();
  MainMenu();

  QMenu* addMenuNamed(const char* name, const char* text);
  QAction* addItem(QMenu* menu, const char* name, const char* text, const char* shortcut);

  // Editing commands act on the text field that has the keyboard focus.
  static QLineEdit* focusedField();
  void enableEditItems();
  void enableAllEditItems();
  void undo();
  void cut();
  void copy();
  void paste();
  void deleteSelection();
  void selectAll();
};

// Releases the menu bar at shut-down, after the windows are gone.
void ReleaseMainMenu();

}  // namespace shell
