#include "framework/runtime.h"

#include <unistd.h>

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

std::uint64_t installedMemorySize = 0;

}  // namespace

namespace detail {
BackgroundTaskHook backgroundTaskHook = nullptr;

void ThrowWorkStopped() { throw WorkStopped(); }
}  // namespace detail

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

std::uint64_t MemorySize() {
  if (installedMemorySize != 0) return installedMemorySize;
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return 0;
  return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

void InstallMemorySize(std::uint64_t bytes) { installedMemorySize = bytes; }

}  // namespace fw
