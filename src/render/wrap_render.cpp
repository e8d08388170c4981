#include "render/wrap_render.h"

#include "host/script_args.h"
#include "render/line_pipe.h"
#include "render/quad_pipe.h"
#include "render/texture.h"

namespace {

float ColorAt(const ScriptArgs& args, int position) { return static_cast<float>(args.number(position)); }

// Texture names are unsigned; the script's number is truncated toward zero.
uint32_t TextureAt(const ScriptArgs& args, int position) { return static_cast<uint32_t>(args.integer(position)); }

}  // namespace

int w_DrawBox(lua_State* L) {
  ScriptArgs args(L, 6);
  const double x = args.number(1), y = args.number(2);
  const double width = args.number(3), height = args.number(4);
  const double angle = args.number(5);
  const uint32_t texture = TextureAt(args, 6);
  args.drop();
  FillPipe(texture, 1.0f, 1.0f, 1.0f, 1.0f, x, y, width, height, angle);
  return 0;
}

int w_DrawBoxWithColor(lua_State* L) {
  ScriptArgs args(L, 10);
  const double x = args.number(1), y = args.number(2);
  const double width = args.number(3), height = args.number(4);
  const double angle = args.number(5);
  const uint32_t texture = TextureAt(args, 6);
  const float red = ColorAt(args, 7), green = ColorAt(args, 8);
  const float blue = ColorAt(args, 9), alpha = ColorAt(args, 10);
  args.drop();
  FillPipe(texture, red, green, blue, alpha, x, y, width, height, angle);
  return 0;
}

int w_DrawLine(lua_State* L) {
  ScriptArgs args(L, 13);
  const double x1 = args.number(1), y1 = args.number(2);
  const double x2 = args.number(3), y2 = args.number(4);
  const double width = args.number(5);
  const float r1 = ColorAt(args, 6), g1 = ColorAt(args, 7), b1 = ColorAt(args, 8), a1 = ColorAt(args, 9);
  const float r2 = ColorAt(args, 10), g2 = ColorAt(args, 11), b2 = ColorAt(args, 12), a2 = ColorAt(args, 13);
  args.drop();
  FillLinePipe(x1, y1, x2, y2, width, r1, g1, b1, a1, r2, g2, b2, a2);
  return 0;
}

int w_LoadImage(lua_State* L) {
  ScriptArgs args(L, 1);
  // Copied: the argument's text lives only until drop().
  const std::string path(args.string(1));
  args.drop();
  lua_pushinteger(L, static_cast<lua_Integer>(LoadTextureFile(path.c_str())));
  return 1;
}

int w_SetAdditiveBlend(lua_State* L) {
  ScriptArgs args(L, 1);
  const bool on = args.boolean(1);
  args.drop();
  SetAdditiveBlend(on);
  return 0;
}
