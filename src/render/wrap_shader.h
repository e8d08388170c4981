#pragma once
extern "C" {
#include <lua.h>
}

int w_LoadShader(lua_State* L);
int w_SetShader(lua_State* L);
int w_SetShaderParami(lua_State* L);
int w_SetShaderParamf(lua_State* L);
