// The event-loop yield: what one call costs, and the longest stretch without
// one during long work (the application must stay responsive: events are
// handled at least every 50 ms).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

#include "bench_support.h"
#include "framework/line_stream.h"
#include "framework/runtime.h"
#include "iges/iges_reader.h"
#include "nurbs/iges_importer.h"
#include "nurbs/nurbs_engine.h"

namespace {

std::int64_t calls = 0;
bool CountingHook() {
  ++calls;
  return true;
}

// A hook that reads the clock on every call to decide whether events are
// due, as a hook gated by elapsed time does.
std::chrono::steady_clock::time_point lastPass;
bool ClockGatedHook() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastPass > std::chrono::milliseconds(20)) lastPass = now;
  return true;
}

// Argument 0: no hook installed (one load and one branch); 1: a hook that
// only counts, the cost of the call itself when no event is due; 2: a hook
// that reads the clock each time.
void BM_YieldCall(benchmark::State& state) {
  const std::int64_t mode = state.range(0);
  fw::InstallBackgroundTask(mode == 0 ? nullptr : mode == 1 ? CountingHook : ClockGatedHook);
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) {
      fw::RuntimeBackgroundTask();
      benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(calls);
  }
  fw::InstallBackgroundTask(nullptr);
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_YieldCall)->Arg(0)->Arg(1)->Arg(2)->ArgName("hook");

using Clock = std::chrono::steady_clock;
Clock::time_point lastYield;
Clock::duration longestGap{};
bool TimingHook() {
  const Clock::time_point now = Clock::now();
  longestGap = std::max(longestGap, now - lastYield);
  lastYield = now;
  return true;
}

// Runs work with the timing hook and reports the longest gap between two
// yields, from the start of the work to its end, in milliseconds.
template <typename Work>
void MeasureGaps(benchmark::State& state, Work work) {
  fw::InstallBackgroundTask(TimingHook);
  longestGap = {};
  for (auto _ : state) {
    lastYield = Clock::now();
    work();
    TimingHook();
  }
  fw::InstallBackgroundTask(nullptr);
  state.counters["longest_gap_ms"] = std::chrono::duration<double, std::milli>(longestGap).count();
}

void BM_LongestGapLargeFile(benchmark::State& state) {
  std::string bytes;
  if (!bench::ReadSample("generated/large.igs", bytes)) {
    state.SkipWithError("sample file not found (BM_SAMPLES_DIR)");
    return;
  }
  fw::App().AlongStep = 16;
  fw::App().SideStep = 16;
  std::string script;
  MeasureGaps(state, [&] {
    IGESImporter importer(fw::LineInputStream::FromMemory(bytes), true);
    benchmark::DoNotOptimize(importer.GetBrindlemarkObjects(script));
  });
}
BENCHMARK(BM_LongestGapLargeFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// One surface of 1024 x 1024 poles: 80 MB of Parameter Data in one entity.
void BM_LongestGapHugeEntity(benchmark::State& state) {
  bench::NetMaker maker(29);
  const std::string bytes = bench::IgesFile({bench::SurfaceParameterText(1024, maker)});
  MeasureGaps(state, [&] {
    IGESReader reader(fw::LineInputStream::FromMemory(bytes), true);
    benchmark::DoNotOptimize(reader.ReadNextNURBSElement());
  });
}
BENCHMARK(BM_LongestGapHugeEntity)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LongestGapSurface2000(benchmark::State& state) {
  bench::NetMaker maker(23);
  NURBSSurface surface = maker.Surface(20, 20, 4, 4);
  std::string script, error;
  MeasureGaps(state, [&] {
    script.clear();
    benchmark::DoNotOptimize(NURBSEngine::ConvertNURBSSurface(surface, 2000, 2000, script, error));
  });
}
BENCHMARK(BM_LongestGapSurface2000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
