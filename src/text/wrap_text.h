#pragma once
// Script bindings of the text subsystem.
extern "C" {
#include <lua.h>
}

int w_LoadFont(lua_State* L);
int w_DrawText(lua_State* L);
