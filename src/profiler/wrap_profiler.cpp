#include "profiler/wrap_profiler.h"

#include <string>

#include "host/host_state.h"
#include "host/script_args.h"
#include "profiler/profile_report.h"
#include "profiler/script_profiler.h"

namespace {

void PushString(lua_State* L, const std::string& text) { lua_pushlstring(L, text.data(), text.size()); }

// The hook is installed inside start's call and removed inside stop's, so it
// would see start's return without its call and stop's call without its
// return; the first would leave a zone the script never entered, the second
// keep stop's zone entered for good. Handing the hook the missing event keeps
// its zones balanced.
void HandHookOwnEvent(lua_State* L, int event) {
  lua_Debug ar;
  if (lua_getstack(L, 0, &ar) == 0) return;
  ar.event = event;
  scriptHook(L, &ar);
}

}  // namespace

int ProfilerLua_update(lua_State*) {
  profileManager.update();
  return 0;
}

int ProfilerLua_clear(lua_State*) {
  profileManager.clear();
  return 0;
}

int ProfilerLua_output(lua_State* L) {
  // Only a lone argument names a file; with none or several the reports go to
  // standard output. A file that cannot be opened is passed over silently.
  const char* path = lua_gettop(L) == 1 ? luaL_checklstring(L, 1, nullptr) : nullptr;
  outputReports(profileManager, path);
  return 0;
}

int ProfilerLua_damping(lua_State* L) {
  if (lua_gettop(L) == 1) {
    profileManager.damping = static_cast<float>(luaL_checknumber(L, 1));
    return 0;
  }
  lua_pushnumber(L, profileManager.damping);
  return 1;
}

int ProfilerLua_start(lua_State* L) {
  if (!hookInstalled) {
    hookInstalled = true;
    lua_sethook(L, scriptHook, LUA_MASKCALL | LUA_MASKRET, 0);
    HandHookOwnEvent(L, LUA_HOOKCALL);
  }
  return 0;
}

int ProfilerLua_stop(lua_State* L) {
  if (hookInstalled) {
    hookInstalled = false;
    lua_sethook(L, scriptHook, 0, 0);
    HandHookOwnEvent(L, LUA_HOOKRET);
  }
  return 0;
}

int ProfilerLua_is_running(lua_State* L) {
  lua_pushboolean(L, hookInstalled);
  return 1;
}

int ProfilerLua_tree_string(lua_State* L) {
  PushString(L, treeReportText(profileManager));
  return 1;
}

int ProfilerLua_flat_string(lua_State* L) {
  PushString(L, flatReportText(profileManager));
  return 1;
}

const luaL_Reg kProfilerModuleFunctions[] = {
    {"update", ProfilerLua_update},
    {"clear", ProfilerLua_clear},
    {"output", ProfilerLua_output},
    {"damping", ProfilerLua_damping},
    {"start", ProfilerLua_start},
    {"stop", ProfilerLua_stop},
    {"is_running", ProfilerLua_is_running},
    {"tree_string", ProfilerLua_tree_string},
    {"flat_string", ProfilerLua_flat_string},
    {nullptr, nullptr},
};

int luaopen_ProfilerLua(lua_State* L) {
  // Also makes the global table `profiler`.
  luaL_openlib(L, "profiler", kProfilerModuleFunctions, 0);
  lua_pushstring(L, "Copyright (c) 2026 the strobe developers");
  lua_setfield(L, -2, "_COPYRIGHT");
  lua_pushstring(L, "A hierarchical zone profiler that shows where the time of a program goes.");
  lua_setfield(L, -2, "_DESCRIPTION");
  lua_pushstring(L, "Zone Profiler");
  lua_setfield(L, -2, "_NAME");
  lua_pushstring(L, "1.0");
  lua_setfield(L, -2, "_VERSION");
  return 1;
}

void AddProfilerModuleLoader(lua_State* L) {
  lua_getfield(L, LUA_GLOBALSINDEX, "package");
  lua_getfield(L, -1, "preload");
  lua_pushcfunction(L, luaopen_ProfilerLua);
  lua_setfield(L, -2, "profiler");
  lua_pop(L, 2);
}

int w_ShowProfiling(lua_State* L) {
  ScriptArgs args(L, 1);
  showProfiling = args.boolean(1);
  args.drop();
  return 0;
}
