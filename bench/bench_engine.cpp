// Curve and surface evaluation with the text of their point rows: grid
// points per second. The fast conversions should cost the same per point
// whatever the size of the net; the textbook routines are measured beside
// them for comparison (no text there).

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_support.h"
#include "framework/runtime.h"
#include "nurbs/nurbs_engine.h"

namespace {

// Nets from 4 x 4 to 64 x 64, orders 2 to 6 (an order above the net size is
// left out: it has no interior to evaluate).
void NetsAndOrders(benchmark::internal::Benchmark* b) {
  for (std::int64_t net : {4, 8, 16, 32, 64}) {
    for (std::int64_t order = 2; order <= 6; ++order) {
      if (order <= net) b->Args({net, order});
    }
  }
  b->ArgNames({"net", "order"});
}

// Converts surface on a grid x grid grid with its text, reporting grid
// points and bytes of text per second.
void ConvertSurfaceOnGrid(benchmark::State& state, NURBSSurface& surface, std::int32_t grid) {
  fw::App().AlongStep = grid;
  fw::App().SideStep = grid;
  std::string script, error;
  for (auto _ : state) {
    script.clear();
    const bool ok = NURBSEngine::ConvertNURBSSurface(surface, grid, grid, script, error);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(script.data());
  }
  state.SetItemsProcessed(state.iterations() * grid * grid);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(script.size()));
}

void BM_ConvertSurface(benchmark::State& state) {
  const auto net = static_cast<std::int32_t>(state.range(0));
  const auto order = static_cast<std::int32_t>(state.range(1));
  constexpr std::int32_t kGrid = 64;
  bench::NetMaker maker(17);
  NURBSSurface surface = maker.Surface(net, net, order, order);
  ConvertSurfaceOnGrid(state, surface, kGrid);
}
BENCHMARK(BM_ConvertSurface)->Apply(NetsAndOrders);

void BM_ConvertCurve(benchmark::State& state) {
  const auto net = static_cast<std::int32_t>(state.range(0));
  const auto order = static_cast<std::int32_t>(state.range(1));
  constexpr std::int32_t kSteps = 1024;
  bench::NetMaker maker(19);
  const NURBSCurve curve = maker.Curve(net, order);
  fw::App().AlongStep = kSteps;
  std::string script, error;
  for (auto _ : state) {
    script.clear();
    const bool ok = NURBSEngine::ConvertNURBSCurve(curve, kSteps, script, error);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(script.data());
  }
  state.SetItemsProcessed(state.iterations() * kSteps);
}
BENCHMARK(BM_ConvertCurve)->Apply(NetsAndOrders);

// The reference that the fast path is checked against: its cost per point
// grows with the net.
void BM_ReferenceSurface(benchmark::State& state) {
  const auto net = static_cast<std::int32_t>(state.range(0));
  const auto order = static_cast<std::int32_t>(state.range(1));
  constexpr std::int32_t kGrid = 64;
  bench::NetMaker maker(17);
  const NURBSSurface surface = maker.Surface(net, net, order, order);
  std::vector<double> q;
  for (auto _ : state) {
    q.clear();
    const bool ok = NURBSEngine::rbspsurf(surface.ControlPoints, order, order, net, net, kGrid, kGrid, q);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(q.data());
  }
  state.SetItemsProcessed(state.iterations() * kGrid * kGrid);
}
BENCHMARK(BM_ReferenceSurface)->ArgsProduct({{4, 16, 64}, {4}})->ArgNames({"net", "order"});

// A dense grid on a modest net: a 20 x 20 bicubic surface written on a
// 2000 x 2000 grid, 4 million point rows of text.
void BM_Surface20On2000Grid(benchmark::State& state) {
  constexpr std::int32_t kGrid = 2000;
  bench::NetMaker maker(23);
  NURBSSurface surface = maker.Surface(20, 20, 4, 4);
  ConvertSurfaceOnGrid(state, surface, kGrid);
}
BENCHMARK(BM_Surface20On2000Grid)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
