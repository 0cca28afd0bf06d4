#include "framework/runtime.h"

#include <utility>

namespace fw {
namespace {

AppState builtInApp;
AppState* installedApp = nullptr;

std::string builtInScaleText = "1";
std::function<std::string()> scaleRead;
std::function<void(std::string_view)> scaleWrite;

}  // namespace

namespace detail {
BackgroundTaskHook backgroundTaskHook = nullptr;
}

AppState& App() { return installedApp ? *installedApp : builtInApp; }

void InstallApp(AppState* app) { installedApp = app; }

std::string ScaleText() { return scaleRead ? scaleRead() : builtInScaleText; }

void SetScaleText(std::string_view text) {
  if (scaleWrite) {
    scaleWrite(text);
  } else {
    builtInScaleText.assign(text);
  }
}

void InstallScaleText(std::function<std::string()> read, std::function<void(std::string_view)> write) {
  if (read && write) {
    scaleRead = std::move(read);
    scaleWrite = std::move(write);
  } else {
    scaleRead = nullptr;
    scaleWrite = nullptr;
  }
}

void InstallBackgroundTask(BackgroundTaskHook hook) { detail::backgroundTaskHook = hook; }

}  // namespace fw
