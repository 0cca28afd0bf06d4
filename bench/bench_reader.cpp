// The reader with its parser: MB of IGES per second, from memory, so that
// the disk does not enter the figure.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "framework/line_stream.h"
#include "iges/iges_reader.h"

namespace {

// Reads every kept entity of bytes into its element; returns the count.
std::int64_t ReadAll(const std::string& bytes) {
  IGESReader reader(fw::LineInputStream::FromMemory(bytes), true);
  std::int64_t count = 0;
  while (std::unique_ptr<INURBSElement> element = reader.ReadNextNURBSElement()) {
    benchmark::DoNotOptimize(element.get());
    ++count;
  }
  return count;
}

void ReadBytes(benchmark::State& state, const std::string& bytes) {
  std::int64_t elements = 0;
  for (auto _ : state) {
    elements = ReadAll(bytes);
    benchmark::DoNotOptimize(elements);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
  state.counters["elements"] = static_cast<double>(elements);
}

void BM_ReadSample(benchmark::State& state, const char* relative) {
  std::string bytes;
  if (!bench::ReadSample(relative, bytes)) {
    state.SkipWithError("sample file not found (BM_SAMPLES_DIR)");
    return;
  }
  ReadBytes(state, bytes);
}
BENCHMARK_CAPTURE(BM_ReadSample, large, "generated/large.igs")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadSample, medium, "generated/medium.igs")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadSample, impeller, "real/impeller.igs")->Unit(benchmark::kMillisecond);

// One surface of n x n poles: the bytes per second stay flat as the entity
// grows when no step is quadratic in its size.
void BM_ReadOneEntity(benchmark::State& state) {
  bench::NetMaker maker(3);
  const std::string bytes = bench::IgesFile({bench::SurfaceParameterText(static_cast<std::int32_t>(state.range(0)), maker)});
  ReadBytes(state, bytes);
}
BENCHMARK(BM_ReadOneEntity)->Arg(8)->Arg(64)->Arg(256)->Arg(512)->Arg(1024)->Unit(benchmark::kMillisecond);

// n surfaces of 12 x 12 poles: flat as the file grows.
void BM_ReadManyEntities(benchmark::State& state) {
  bench::NetMaker maker(5);
  std::vector<std::string> texts;
  for (std::int64_t i = 0; i < state.range(0); ++i) texts.push_back(bench::SurfaceParameterText(12, maker));
  const std::string bytes = bench::IgesFile(texts);
  ReadBytes(state, bytes);
}
BENCHMARK(BM_ReadManyEntities)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
