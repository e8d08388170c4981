// Costs of the profiler's hot paths on the machine's own tick source.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "profiler/profile_manager.h"
#include "profiler/tick_source.h"

namespace {

// The floor under every pair: two counter readings.
void BM_TickReadPair(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(readTicks());
    benchmark::DoNotOptimize(readTicks());
  }
}
BENCHMARK(BM_TickReadPair);

// A fixed zone entered where its node is cached, as the host's zones are.
void BM_CachedEnterLeave(benchmark::State& state) {
  PROFILE_ZONE(cachedZone, "Cached");
  for (auto _ : state) {
    profileManager.enterZone(cachedZone);
    profileManager.leaveZone();
  }
}
BENCHMARK(BM_CachedEnterLeave);

void BM_CachedEnterLeaveWithGuard(benchmark::State& state) {
  PROFILE_ZONE(guardedZone, "Guarded");
  for (auto _ : state) {
    ZoneGuard guard(guardedZone);
  }
}
BENCHMARK(BM_CachedEnterLeaveWithGuard);

// Every entry misses and creates a node under the root; each iteration is a
// batch of range(0) new zones, including the table and pool growths on the way.
void BM_MissCreatingNode(benchmark::State& state) {
  const auto count = size_t(state.range(0));
  std::vector<ZoneSite> sites(count);
  ProfileManager manager;
  manager.enterZone(sites[0]);  // activate outside the timing
  manager.leaveZone();
  for (auto _ : state) {
    state.PauseTiming();
    manager.clear();
    state.ResumeTiming();
    for (ZoneSite& site : sites) {
      manager.enterZone(site);
      manager.leaveZone();
    }
  }
  state.counters["per_node"] = benchmark::Counter(double(count), benchmark::Counter::kIsIterationInvariantRate |
                                                                     benchmark::Counter::kInvert);
  manager.releaseNodes();
}
BENCHMARK(BM_MissCreatingNode)->Arg(127)->Arg(1000);

// A damped update over 1 000 nodes: 9 top zones, each with the same 10 middle
// zones, each with the same 10 leaf zones (999 nodes and the root).
void BM_Update1000Nodes(benchmark::State& state) {
  std::vector<ZoneSite> top(9), middle(10), leaves(10);
  ProfileManager manager;
  for (ZoneSite& t : top) {
    manager.enterZone(t);
    for (ZoneSite& m : middle) {
      manager.enterZone(m);
      for (ZoneSite& l : leaves) {
        manager.enterZone(l);
        manager.leaveZone();
      }
      manager.leaveZone();
    }
    manager.leaveZone();
  }
  if (manager.nodeCount != 1000) state.SkipWithError("the tree does not have 1000 nodes");
  manager.update();
  for (auto _ : state) manager.update();
  state.counters["per_node"] =
      benchmark::Counter(1000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  manager.releaseNodes();
}
BENCHMARK(BM_Update1000Nodes);

}  // namespace
