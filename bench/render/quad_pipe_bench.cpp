// FillPipe on its own (no GL needed: the batch is emptied by hand, never
// flushed) and the flush of a full batch in a real GL context.
#include <benchmark/benchmark.h>

#include <GL/glew.h>

extern "C" {
#include <lauxlib.h>
#include <lualib.h>
}

#include "host/registry.h"
#include "render/line_pipe.h"
#include "render/quad_pipe.h"
#include "window/window.h"

namespace {

void FillWithAngle(benchmark::State& state, double angle) {
  quadPipe.count = 0;
  quadPipe.texture = 0;
  int i = 0;
  for (auto _ : state) {
    if (quadPipe.count == kQuadPipeCapacity) quadPipe.count = 0;
    FillPipe(0, 1.0f, 0.5f, 0.25f, 1.0f, i & 511, 100.0, 4.0, 4.0, angle);
    ++i;
  }
  benchmark::DoNotOptimize(quadPipe.vertices[0]);
  state.SetItemsProcessed(state.iterations());
}

void BM_FillPipeAngleZero(benchmark::State& state) { FillWithAngle(state, 0.0); }
void BM_FillPipeRotated(benchmark::State& state) { FillWithAngle(state, 33.0); }
BENCHMARK(BM_FillPipeAngleZero);
BENCHMARK(BM_FillPipeRotated);

void BM_FillLinePipe(benchmark::State& state) {
  linePipe.count = 0;
  linePipe.width = 1;
  int i = 0;
  for (auto _ : state) {
    if (linePipe.count == kLinePipeCapacity) linePipe.count = 0;
    FillLinePipe(i & 511, 10, 20, 30, 1.0, 1, 0, 0, 1, 0, 0, 1, 1);
    ++i;
  }
  benchmark::DoNotOptimize(linePipe.vertices[0]);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FillLinePipe);

// The script side of a box: the Lua loop, the call into DrawBoxWithColor,
// argument reading and FillPipe. Batches of 2500 are emptied by hand, so no
// GL is involved.
void BM_LuaDrawBoxWithColor(benchmark::State& state) {
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  RegisterGlobalFunctions(L);
  luaL_dostring(L,
                "function run(n, time)\n"
                "  for i = 1, n do\n"
                "    local shade = (i % 256) / 255\n"
                "    DrawBoxWithColor((i * 37) % 800, (i * 53) % 600, 4, 4, (i * 7 + time) % 360, 0,\n"
                "                     shade, 1 - shade, 0.5, 1)\n"
                "  end\n"
                "end\n");
  quadPipe.count = 0;
  quadPipe.texture = 0;
  double time = 0;
  for (auto _ : state) {
    lua_getglobal(L, "run");
    lua_pushinteger(L, kQuadPipeCapacity);
    lua_pushnumber(L, time);
    lua_call(L, 2, 0);
    quadPipe.count = 0;
    time += 1;
  }
  state.SetItemsProcessed(state.iterations() * kQuadPipeCapacity);
  lua_close(L);
}
BENCHMARK(BM_LuaDrawBoxWithColor)->Unit(benchmark::kMicrosecond);

bool OpenBenchWindow() {
  static const bool opened = [] {
    InitWindowing();
    return OpenWindow(800, 600);
  }();
  return opened;
}

// A full batch of small rotated boxes: FlushPipe, then glFinish so that the
// figure includes llvmpipe's rasterisation, not just queueing.
void BM_FlushFullQuadBatch(benchmark::State& state) {
  if (!OpenBenchWindow()) {
    state.SkipWithError("no GL context (run under xvfb-run)");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < kQuadPipeCapacity; ++i)
      FillPipe(0, 1.0f, 0.5f, 0.25f, 1.0f, (i * 37) % 800, (i * 53) % 600, 4.0, 4.0, i * 7.0);
    glFinish();
    state.ResumeTiming();
    FlushPipe();
    glFinish();
  }
  state.SetItemsProcessed(state.iterations() * kQuadPipeCapacity);
}
BENCHMARK(BM_FlushFullQuadBatch)->Unit(benchmark::kMicrosecond);

}  // namespace
