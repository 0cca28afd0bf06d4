#include "framework/runtime.h"

#include <cmath>
#include <utility>

#include "framework/text.h"

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

bool UsableScale(std::string_view text) {
  // "1e400" reads as infinity: it would pass a test for > 0 and then turn
  // every coordinate into an overflow.
  const double scale = Val(text);
  return std::isfinite(scale) && scale > 0.0;
}

void InstallBackgroundTask(BackgroundTaskHook hook) { detail::backgroundTaskHook = hook; }

}  // namespace fw
