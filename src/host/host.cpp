#include "host/host.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include "audio/music.h"
#include "host/host_state.h"
#include "host/registry.h"
#include "host/script_runtime.h"
#include "profiler/overlay.h"
#include "profiler/profile_manager.h"
#include "render/flush.h"
#include "render/render_target.h"
#include "render/shader_program.h"
#include "text/font_table.h"
#include "window/window.h"

std::mutex hostMutex;
bool musicEnded = false;
bool showProfiling = false;

void NotifyMusicEnded() {
  std::lock_guard<std::mutex> lock(hostMutex);
  musicEnded = true;
}

namespace {

PROFILE_ZONE(luaUpdateZone, "LuaUpdate");
PROFILE_ZONE(swapBuffersZone, "SwapBuffers");

void RunFrame(lua_State* L, double now, double dt) {
  glLoadIdentity();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  profileManager.enterZone(luaUpdateZone);

  lua_getfield(L, LUA_GLOBALSINDEX, "update");
  lua_pushnumber(L, now);
  lua_pushnumber(L, dt);
  CallProtected(L, 2, 0);

  {
    // MusicEnd runs with the lock held; the flag is cleared before the call,
    // so several notifications between two frames give one call.
    std::lock_guard<std::mutex> lock(hostMutex);
    if (musicEnded) {
      musicEnded = false;
      CallGlobal(L, "MusicEnd");
    }
  }

  // End of frame: boxes first, then lines, so lines land over boxes.
  FlushBatches();
  profileManager.leaveZone();

  if (showProfiling) RunProfilerOverlay();

  profileManager.enterZone(swapBuffersZone);
  SwapBuffersAndPollEvents();
  profileManager.leaveZone();
}

}  // namespace

int RunHost(int argc, char** argv) {
  InitWindowing();
  lua_State* L = CreateScriptState();
  CreateShaderTable();
  CreateRenderTargetTable();
  OpenAudioDevice();
  RegisterGlobalFunctions(L);
  RunMainChunkAndInitialize(L, argc, argv);
  LoadDefaultFont();

  double previousTime = glfwGetTime();
  while (IsWindowOpen()) {
    const double now = glfwGetTime();
    const double dt = now - previousTime;
    previousTime = now;
    RunFrame(L, now, dt);
  }

  FreeDefaultFont();
  TerminateWindowing();
  lua_close(L);
  return 0;
}
