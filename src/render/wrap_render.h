#pragma once
// Script bindings for boxes, lines, images and blending.
extern "C" {
#include <lua.h>
}

int w_DrawBox(lua_State* L);
int w_DrawBoxWithColor(lua_State* L);
int w_DrawLine(lua_State* L);
int w_LoadImage(lua_State* L);
int w_SetAdditiveBlend(lua_State* L);
