// libFuzzer entry: arbitrary bytes through the whole core road. A broken
// promise of the result is reported as a crash so that the input is kept.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/road.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const fuzz::RoadInput input = fuzz::DecodeInput(bytes);
  const fuzz::RoadResult result = fuzz::RunCoreRoad(input);
  const std::string problem = fuzz::CheckResult(input, result);
  if (!problem.empty()) {
    std::fprintf(stderr, "core road broke a promise: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
