#include "app/app.h"

#include <cstdio>
#include <ctime>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "app/file_types.h"
#include "app/main_menu.h"
#include "app/main_window.h"

namespace shell {
namespace {

std::unique_ptr<App> appInstance;
App* registeredApp = nullptr;

// Events are handled at most this often during an import: often enough that
// the window repaints and answers at once, rarely enough that the import
// does not notice.
constexpr qint64 kYieldIntervalMs = 15;

// When the yield last handled events, by yieldClock; -1 before it ever has.
qint64 lastPassMs = -1;
// nullptr for the coarse clock, which stays inline on the hot path.
qint64 (*yieldClock)() = nullptr;

// Set by Quit until the next start-up.
bool quitting = false;

void InitFileTypes() {
  FileTypes1::Initialize();
}

void NewAppInstance(int& argc, char** argv) {
  appInstance = std::make_unique<App>(argc, argv);
  appInstance->setMenuBar(&::MainMenu());
  registeredApp = appInstance.get();
  fw::InstallApp(registeredApp);
  fw::InstallBackgroundTask(&YieldToEventLoop);
}

void MakeDefaultView() {
  ::MainWindow();
  // The reader takes the scale from the window's field for every element.
  fw::InstallScaleText([] { return ::MainWindow().scaleText(); },
                       [](std::string_view text) { ::MainWindow().setScaleText(text); });
}

}  // namespace

App::App(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("IGES To Brindlemark Importer"));
}

void Startup(int& argc, char** argv) {
  quitting = false;
  InitFileTypes();
  NewAppInstance(argc, argv);
  MakeDefaultView();
}

void Shutdown() {
  fw::InstallScaleText({}, {});
  fw::InstallBackgroundTask(nullptr);
  ReleaseMainWindow();
  ReleaseMainMenu();
  FileTypes1::Finalize();
  fw::InstallApp(nullptr);
  registeredApp = nullptr;
  appInstance.reset();
}

int Main(int& argc, char** argv) {
  int exitCode = 0;
  try {
    Startup(argc, argv);
    exitCode = ::App()->exec();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "iges-to-brindlemark: %s\n", e.what());
    exitCode = 1;
  } catch (...) {
    std::fprintf(stderr, "iges-to-brindlemark: unexpected failure\n");
    exitCode = 1;
  }
  Shutdown();
  return exitCode;
}

qint64 CoarseClockMs() {
  timespec now {};
  ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<qint64>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void Quit(int code) {
  quitting = true;
  QCoreApplication::exit(code);
}

bool YieldToEventLoop() {
  // The core calls this for every line and every row, so the common case,
  // "not yet", must cost next to nothing: the coarse clock is read from
  // memory without a system call, and its few milliseconds of resolution are
  // plenty for an interval of kYieldIntervalMs.
  const qint64 nowMs = yieldClock ? yieldClock() : CoarseClockMs();
  if (lastPassMs >= 0 && nowMs - lastPassMs < kYieldIntervalMs) return !quitting;
  QCoreApplication::processEvents();
  lastPassMs = nowMs;
  return !quitting;
}

void InstallYieldClock(qint64 (*clockMs)()) {
  yieldClock = clockMs;
  lastPassMs = -1;
}

}  // namespace shell

shell::App* App() {
  return shell::registeredApp;
}
