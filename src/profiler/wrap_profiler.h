#pragma once
// The script side of the profiler: the global ShowProfiling and the module
// "profiler". The host never opens the module itself: a script asks for it
// with require "profiler" (a loader in package.preload), or reaches
// luaopen_ProfilerLua in the executable through package.loadlib.
extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#define PROFILER_EXPORT extern "C" __attribute__((visibility("default")))

PROFILER_EXPORT int luaopen_ProfilerLua(lua_State* L);
PROFILER_EXPORT int ProfilerLua_update(lua_State* L);
PROFILER_EXPORT int ProfilerLua_clear(lua_State* L);
PROFILER_EXPORT int ProfilerLua_output(lua_State* L);
PROFILER_EXPORT int ProfilerLua_damping(lua_State* L);
PROFILER_EXPORT int ProfilerLua_start(lua_State* L);
PROFILER_EXPORT int ProfilerLua_stop(lua_State* L);
PROFILER_EXPORT int ProfilerLua_is_running(lua_State* L);
PROFILER_EXPORT int ProfilerLua_tree_string(lua_State* L);
PROFILER_EXPORT int ProfilerLua_flat_string(lua_State* L);

// The module's functions in registration order, ending with {nullptr, nullptr}.
extern const luaL_Reg kProfilerModuleFunctions[];

// Makes require "profiler" open the module.
void AddProfilerModuleLoader(lua_State* L);

int w_ShowProfiling(lua_State* L);
