#include "text/font_table.h"

#include "text/text_mesh.h"
#include "window/window.h"

FontTable fontTable;
Font* defaultFont = nullptr;

int32_t LoadFont(const char* path, const char* directory) {
  if (fontTable.count >= fontTable.capacity) return 0;
  Font* font = LoadFontFile(path, directory);
  if (font == nullptr) return 0;
  fontTable.fonts[fontTable.count++] = font;
  return fontTable.count;
}

Font* FontForHandle(int64_t handle) {
  if (handle < 1 || handle > fontTable.count) return nullptr;
  return fontTable.fonts[handle - 1];
}

void DrawText(const Font* font, std::string_view text, int32_t x, int32_t y, int32_t maxWidth, bool centred,
              float red, float green, float blue, float alpha) {
  if (font == nullptr) return;
  TextMesh* mesh = MakeText(*font, text, maxWidth);
  if (centred) x = static_cast<int32_t>(int64_t{x} - mesh->width / 2);
  DrawTextMesh(*mesh, x, y, red, green, blue, alpha);
  FreeTextMesh(mesh);
}

// A run without a window ends right after start-up and draws nothing; its
// default font is read without page textures rather than printing an image
// error for every page.
void LoadDefaultFont() {
  if (HasWindow())
    defaultFont = LoadFontFile(kDefaultFontPath, kDefaultFontDirectory);
  else
    defaultFont = LoadFontFile(kDefaultFontPath, kDefaultFontDirectory, [](const std::string&) { return GLuint{0}; });
}

void FreeDefaultFont() {
  FreeFont(defaultFont);
  defaultFont = nullptr;
}
