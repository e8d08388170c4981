#include "host/registry.h"

#include "audio/wrap_music.h"
#include "window/wrap_window.h"

// Registration order is part of the script API: keep rows in this order.
const GlobalFunction kGlobalFunctions[] = {
    {"OpenWindow", w_OpenWindow},
    {"GetKey", w_GetKey},
    {"GetMouse", w_GetMouse},
    {"PlayMusic", w_PlayMusic},
    {"GetSpectrum", w_GetSpectrum},
    {"SetVolume", w_SetVolume},
};

const size_t kGlobalFunctionCount = sizeof(kGlobalFunctions) / sizeof(kGlobalFunctions[0]);

void RegisterGlobalFunctions(lua_State* L) {
  for (const GlobalFunction& row : kGlobalFunctions) {
    lua_pushcclosure(L, row.function, 0);
    lua_setfield(L, LUA_GLOBALSINDEX, row.name);
  }
}
