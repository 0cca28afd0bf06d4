#include "framework/runtime.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int yields = 0;
void CountYield() { ++yields; }

TEST(FrameworkRuntime, YieldCallsTheInstalledHookOnly) {
  yields = 0;
  fw::RuntimeBackgroundTask();
  fw::InstallBackgroundTask(&CountYield);
  fw::RuntimeBackgroundTask();
  fw::RuntimeBackgroundTask();
  fw::InstallBackgroundTask(nullptr);
  fw::RuntimeBackgroundTask();
  EXPECT_EQ(yields, 2);
}

TEST(FrameworkRuntime, ScaleTextGoesToTheInstalledHolder) {
  EXPECT_EQ(fw::ScaleText(), "1");
  std::string field = "3";
  fw::InstallScaleText([&] { return field; }, [&](std::string_view text) { field.assign(text); });
  EXPECT_EQ(fw::ScaleText(), "3");
  fw::SetScaleText("1");
  EXPECT_EQ(field, "1");
  fw::InstallScaleText(nullptr, nullptr);
  fw::SetScaleText("2");
  EXPECT_EQ(field, "1");
  EXPECT_EQ(fw::ScaleText(), "2");
  fw::SetScaleText("1");
}

}  // namespace
