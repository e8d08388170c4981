#include "render/wrap_render_target.h"

#include "host/script_args.h"
#include "render/render_target.h"

int w_BindRenderTarget(lua_State* L) {
  ScriptArgs args(L, 2);
  const int32_t handle = args.int32(1);
  const int32_t index = args.int32(2);
  args.drop();
  BindRenderTarget(handle, index);
  return 0;
}

int w_UnbindRenderTarget(lua_State* L) {
  ScriptArgs args(L, 1);
  const int32_t handle = args.int32(1);
  args.drop();
  UnbindRenderTarget(handle);
  return 0;
}

int w_DrawRenderTarget(lua_State* L) {
  ScriptArgs args(L, 2);
  const int32_t handle = args.int32(1);
  const int32_t index = args.int32(2);
  args.drop();
  DrawRenderTarget(handle, index);
  return 0;
}

int w_MakeRenderTarget(lua_State* L) {
  ScriptArgs args(L, 3);
  const int32_t width = args.int32(1);
  const int32_t height = args.int32(2);
  const int32_t textureCount = args.int32(3);
  args.drop();
  lua_pushinteger(L, MakeRenderTarget(width, height, textureCount));
  return 1;
}

int w_DrawRenderTargets(lua_State* L) {
  ScriptArgs args(L, 8);
  TargetTexture units[4];
  for (int unit = 0; unit < 4; ++unit) {
    units[unit].handle = args.int32(2 * unit + 1);
    units[unit].index = args.int32(2 * unit + 2);
  }
  args.drop();
  DrawRenderTargets(units);
  return 0;
}
