#include "text/wrap_text.h"

#include <string>

#include "host/script_args.h"
#include "text/font_table.h"

int w_LoadFont(lua_State* L) {
  ScriptArgs args(L, 2);
  const std::string path(args.string(1));
  const std::string directory(args.string(2));
  args.drop();
  lua_pushinteger(L, LoadFont(path.c_str(), directory.c_str()));
  return 1;
}

int w_DrawText(lua_State* L) {
  ScriptArgs args(L, 10);
  const Font* font = FontForHandle(args.integer(1));
  const std::string text(args.string(2));
  const int32_t x = args.int32(3);
  const int32_t y = args.int32(4);
  const int32_t maxWidth = args.int32(5);
  const bool centred = args.boolean(6);
  const float red = static_cast<float>(args.number(7));
  const float green = static_cast<float>(args.number(8));
  const float blue = static_cast<float>(args.number(9));
  const float alpha = static_cast<float>(args.number(10));
  args.drop();
  DrawText(font, text, x, y, maxWidth, centred, red, green, blue, alpha);
  return 0;
}
