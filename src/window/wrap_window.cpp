#include "window/wrap_window.h"

#include "host/script_args.h"
#include "window/window.h"

int w_OpenWindow(lua_State* L) {
  ScriptArgs args(L, 2);
  const int width = args.int32(1);
  const int height = args.int32(2);
  args.drop();
  OpenWindow(width, height);
  return 0;
}

int w_GetKey(lua_State* L) {
  ScriptArgs args(L, 1);
  const std::string_view name = args.string(1);
  const int keyCode = KeyCodeForName(name.data(), name.size());
  args.drop();
  lua_pushboolean(L, IsKeyDown(keyCode));
  return 1;
}

int w_GetMouse(lua_State* L) {
  const MouseState mouse = PollMouse();
  lua_pushinteger(L, mouse.x);
  lua_pushinteger(L, mouse.y);
  lua_pushboolean(L, mouse.left);
  lua_pushboolean(L, mouse.right);
  return 4;
}
