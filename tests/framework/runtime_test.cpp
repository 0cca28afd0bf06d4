#include "framework/runtime.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int yields = 0;

// Tools install their own hooks and take them away again: nothing may be
// left dangling.
TEST(FrameworkRuntime, InstalledHooksAreUsedUntilRemoved) {
  yields = 0;
  fw::InstallBackgroundTask([] { ++yields; });
  fw::RuntimeBackgroundTask();
  fw::InstallBackgroundTask(nullptr);
  fw::RuntimeBackgroundTask();
  EXPECT_EQ(yields, 1);

  EXPECT_EQ(fw::ScaleText(), "1");
  std::string field = "3";
  fw::InstallScaleText([&] { return field; }, [&](std::string_view text) { field.assign(text); });
  EXPECT_EQ(fw::ScaleText(), "3");
  fw::SetScaleText("1");
  fw::InstallScaleText(nullptr, nullptr);
  fw::SetScaleText("2");
  EXPECT_EQ(field + fw::ScaleText(), "12");
  fw::SetScaleText("1");
}

}  // namespace
