// Number reading and writing: the per-value costs under the reader and
// under every point row of a script.

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "framework/text.h"

namespace {

// Parameter Data fields as real files write them: short decimals, full
// precision values, integers, D exponents and blank padding.
std::vector<std::string> IgesNumbers() {
  std::vector<std::string> numbers = {"0.",        "1.",         "-78.6161",    "12",         "  3  ",
                                      "1.5D3",     "-2.25E-4",   "0.0001",      "848.5154",   "5.",
                                      "1.0D0",     "-0.5",       "236.2593",    "0.70710678", "1.E+2"};
  bench::NetMaker maker(7);
  for (int i = 0; i < 49; ++i) numbers.push_back(fw::CStr(maker.Coordinate()));
  return numbers;
}

void BM_Val(benchmark::State& state) {
  const std::vector<std::string> numbers = IgesNumbers();
  std::vector<std::string_view> views(numbers.begin(), numbers.end());
  double total = 0.0;
  for (auto _ : state) {
    for (std::string_view text : views) total += fw::Val(text);
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(views.size()));
}
BENCHMARK(BM_Val);

// Coordinates of evaluated points: full precision, as in every point row.
std::vector<double> PointCoordinates() {
  bench::NetMaker maker(11);
  std::vector<double> values;
  for (int i = 0; i < 1024; ++i) values.push_back(maker.Coordinate() / 3.0);
  values.insert(values.end(), {0.0, -0.0, 1.0, 236.2593, -78.6161, 1e-7, 1e22, 5e-324});
  return values;
}

void BM_AppendCStr(benchmark::State& state) {
  const std::vector<double> values = PointCoordinates();
  std::string out;
  out.reserve(values.size() * 32);
  for (auto _ : state) {
    out.clear();
    for (double value : values) fw::AppendCStr(out, value);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_AppendCStr);

void BM_CStr(benchmark::State& state) {
  const std::vector<double> values = PointCoordinates();
  std::size_t length = 0;
  for (auto _ : state) {
    for (double value : values) length += fw::CStr(value).size();
    benchmark::DoNotOptimize(length);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_CStr);

}  // namespace
