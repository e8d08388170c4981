#include "host/script_runtime.h"

#include <cstdio>

extern "C" {
#include <lauxlib.h>
#include <lualib.h>
}

#include "profiler/wrap_profiler.h"

lua_State* CreateScriptState() {
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);

  lua_getfield(L, LUA_GLOBALSINDEX, "package");
  lua_pushstring(L, "./res/?.lua");
  lua_setfield(L, -2, "path");
  lua_pop(L, 1);
  AddProfilerModuleLoader(L);

  if (luaL_loadfile(L, "res/main.lua") != 0) std::printf("Could not open main script\n");
  return L;
}

bool CallProtected(lua_State* L, int argumentCount, int resultCount) {
  if (lua_pcall(L, argumentCount, resultCount, 0) == 0) return true;
  if (const char* message = lua_tostring(L, -1)) {
    std::printf("Error: %s\n", message);
  } else {
    std::printf("Error: (error object is a %s value)\n", luaL_typename(L, -1));
  }
  lua_pop(L, 1);
  return false;
}

void CallGlobal(lua_State* L, const char* name) {
  lua_getfield(L, LUA_GLOBALSINDEX, name);
  CallProtected(L, 0, 0);
}

void RunMainChunkAndInitialize(lua_State* L, int argc, char** argv) {
  // A failed load left its message here, so this call fails and is reported.
  CallProtected(L, 0, LUA_MULTRET);
  lua_settop(L, 0);

  lua_getfield(L, LUA_GLOBALSINDEX, "initialize");
  const int argumentCount = argc > 1 ? argc - 1 : 0;
  lua_createtable(L, argumentCount, 0);
  for (int i = 1; i <= argumentCount; ++i) {
    lua_pushstring(L, argv[i]);
    lua_rawseti(L, -2, i);
  }
  CallProtected(L, 1, 0);
}
