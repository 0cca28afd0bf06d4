#include "app/app.h"

#include <QElapsedTimer>
#include <cstdio>
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

void YieldToEventLoop() {
  static QElapsedTimer sinceLastPass;
  if (sinceLastPass.isValid() && sinceLastPass.elapsed() < kYieldIntervalMs) return;
  QCoreApplication::processEvents();
  sinceLastPass.start();
}

}  // namespace shell

shell::App* App() {
  return shell::registeredApp;
}
