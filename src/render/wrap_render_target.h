#pragma once
extern "C" {
#include <lua.h>
}

int w_BindRenderTarget(lua_State* L);
int w_UnbindRenderTarget(lua_State* L);
int w_DrawRenderTarget(lua_State* L);
int w_MakeRenderTarget(lua_State* L);
int w_DrawRenderTargets(lua_State* L);
