// Whole conversions of the generated samples, as one import runs them: the
// reader, the importer, the text and the write of the script file.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/import_file.h"
#include "bench_support.h"
#include "framework/line_stream.h"
#include "framework/runtime.h"
#include "nurbs/iges_importer.h"

namespace {

constexpr std::int32_t kSteps = 16;

std::string OutputPath() { return (std::filesystem::temp_directory_path() / "bm_bench_convert.txt").string(); }

// The full road, as the Import action runs it, with 16 x 16 steps and scale 1.
void BM_ImportFile(benchmark::State& state, const char* relative) {
  if (!bench::SampleExists(relative)) {
    state.SkipWithError("sample file not found (BM_SAMPLES_DIR)");
    return;
  }
  const std::string input = bench::SamplePath(relative);
  const std::string output = OutputPath();
  fw::App().AlongStep = kSteps;
  fw::App().SideStep = kSteps;
  fw::SetScaleText("1");
  for (auto _ : state) {
    const ImportOutcome outcome = ImportFileTo(input, output, false);
    if (!outcome.ok) {
      state.SkipWithError(outcome.message.c_str());
      break;
    }
    benchmark::DoNotOptimize(outcome.ok);
  }
  std::error_code ec;
  const auto inputSize = std::filesystem::file_size(input, ec);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(ec ? 0 : inputSize));
  state.counters["script_MB"] = static_cast<double>(std::filesystem::file_size(output, ec)) / 1e6;
  std::filesystem::remove(output, ec);
}
BENCHMARK_CAPTURE(BM_ImportFile, large, "generated/large.igs")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ImportFile, medium, "generated/medium.igs")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ImportFile, small, "generated/small.igs")->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ImportFile, small_faces, "generated/small_faces.igs")->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ImportFile, small_nonuniform, "generated/small_nonuniform.igs")
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ImportFile, small_polynomial, "generated/small_polynomial.igs")
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ImportFile, twopoint, "generated/twopoint.igs")->Unit(benchmark::kMicrosecond)->UseRealTime();

// --- The yield ---
// The application's hook handles events only when some are due; between
// them it costs its call. The conversion runs from memory here, so that the
// figures compare the conversion itself with and without the calls.

std::int64_t yields = 0;
bool CountingHook() {
  ++yields;
  return true;
}

// Argument: 0 no hook, 1 a hook that only counts. The gaps between yields
// are measured in bench_yield.cpp.
void BM_ConvertLargeInMemory(benchmark::State& state) {
  std::string bytes;
  if (!bench::ReadSample("generated/large.igs", bytes)) {
    state.SkipWithError("sample file not found (BM_SAMPLES_DIR)");
    return;
  }
  fw::App().AlongStep = kSteps;
  fw::App().SideStep = kSteps;
  fw::SetScaleText("1");
  const std::int64_t mode = state.range(0);
  fw::InstallBackgroundTask(mode == 0 ? nullptr : CountingHook);
  yields = 0;
  std::string script;
  for (auto _ : state) {
    IGESImporter importer(fw::LineInputStream::FromMemory(bytes), false);
    const bool ok = importer.GetBrindlemarkObjects(script);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(script.data());
  }
  fw::InstallBackgroundTask(nullptr);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
  if (mode == 1) state.counters["yields"] = static_cast<double>(yields) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ConvertLargeInMemory)->Arg(0)->Arg(1)->ArgName("hook")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
