#pragma once
extern "C" {
#include <lua.h>
}

int w_OpenWindow(lua_State* L);
int w_GetKey(lua_State* L);
int w_GetMouse(lua_State* L);
