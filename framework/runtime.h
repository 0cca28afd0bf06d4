// The core's few links to the application around it.
//
// The core libraries never see the window toolkit. Three things come from the
// application: the step counts that the Import action stores before every
// import, the "Scale factor" text that the parser reads for every element,
// and the event-loop yield that long loops call. The application installs
// them at start-up; tests and tools install their own. Until something is
// installed the core uses a plain built-in holder, so it works on its own.
// A fourth, the computer's memory size, comes from the system; tests put a
// size of their own in its place.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace fw {

// The application object's conversion settings: evaluation points along a
// curve or a surface's V direction, and across a surface's U direction.
struct AppState {
  std::int32_t AlongStep = 0;
  std::int32_t SideStep = 0;
};

// The installed application object, or a built-in one when none is.
AppState& App();
// Installs app (not owned; nullptr restores the built-in object).
void InstallApp(AppState* app);

// The "Scale factor" text: read and write. Built-in holder starts as "1".
std::string ScaleText();
void SetScaleText(std::string_view text);
// Installs the window's field as the holder; empty functions restore the
// built-in holder.
void InstallScaleText(std::function<std::string()> read, std::function<void(std::string_view)> write);

// Whether a "Scale factor" text gives a scale to multiply by: a finite number
// above 0. A text that does not (0, negative, no number, or a magnitude past
// the double range) is replaced by "1" wherever a scale is read or left.
bool UsableScale(std::string_view text);

// Lets the application handle pending events once. Core loops call it once
// per pass of their outer loops; with no hook installed it costs one load and
// one branch. The hook returns false once the application wants the work in
// progress to stop (the user closed the window or quit); the yield then
// throws WorkStopped.
using BackgroundTaskHook = bool (*)();
void InstallBackgroundTask(BackgroundTaskHook hook);

// Thrown by RuntimeBackgroundTask when the work is to stop. The core holds
// everything it builds in objects of its own, so the work simply unwinds to
// whoever started it, dropping what was built; nothing in the core catches
// it. Not a std::exception, so that no handler of failures takes it for one.
struct WorkStopped {};

// The computer's physical memory in bytes, which the importer weighs a
// script against before it starts; 0 when the system does not tell.
std::uint64_t MemorySize();
// Installs a fixed size in place of the system's; 0 restores the system's.
void InstallMemorySize(std::uint64_t bytes);

namespace detail {
extern BackgroundTaskHook backgroundTaskHook;
// Out of line, so that the loops that yield stay small.
[[noreturn]] void ThrowWorkStopped();
}  // namespace detail

inline void RuntimeBackgroundTask() {
  if (BackgroundTaskHook hook = detail::backgroundTaskHook; hook && !hook()) detail::ThrowWorkStopped();
}

}  // namespace fw
