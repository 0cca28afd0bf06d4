// The application object and the program's start-up and shut-down.
#pragma once

#include <QApplication>

#include "framework/runtime.h"

namespace shell {

class MainMenu;

// The Qt application, and the step counts the core reads for every element.
class App : public QApplication, public fw::AppState {
  Q_OBJECT

 public:
  App(int& argc, char** argv);

  // The application's menu bar; on macOS it is the one shown when no
  // window is open.
  MainMenu* menuBar() const { return menuBar_; }
  void setMenuBar(MainMenu* bar) { menuBar_ = bar; }

 private:
  MainMenu* menuBar_ = nullptr;
};

// Start-up, in this order: the file type, the application object with its
// menu bar (registered as the one the core reads), then the main window.
// argc must outlive the application object.
void Startup(int& argc, char** argv);

// Shut-down once the event loop has returned: the window, the menu bar, the
// file type, and last the application object.
void Shutdown();

// The whole run: start-up, the event loop until the user quits, shut-down.
// Returns the process exit code: 0 after a normal quit.
int Main(int& argc, char** argv);

// Ends the event loop with code as soon as control returns to it, and has
// the work in progress stop at its next yield: closing the window or quitting
// never waits for an import.
void Quit(int code);

// The event-loop yield that the core calls once per pass of its loops:
// handles pending events when enough time has passed since it last did, and
// otherwise returns at once. False once Quit has been called: the core then
// stops its work.
bool YieldToEventLoop();

// The clock the yield paces itself by: the monotonic clock in milliseconds,
// as of the system's last timer tick.
qint64 CoarseClockMs();

// Replaces the clock the yield paces itself by, in milliseconds; nullptr
// restores the system's coarse monotonic clock. Either way the next yield
// handles events, since times from the old clock mean nothing to the new.
void InstallYieldClock(qint64 (*clockMs)());

}  // namespace shell

// The registered application object; nullptr before start-up has registered
// it and after shut-down.
shell::App* App();
