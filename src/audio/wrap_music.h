#pragma once
extern "C" {
#include <lua.h>
}

int w_PlayMusic(lua_State* L);
int w_GetSpectrum(lua_State* L);
int w_SetVolume(lua_State* L);
