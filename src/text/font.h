#pragma once
// Bitmap fonts in the text form of the AngelCode BMFont format: the reader and
// the Font model that the layout works from.
#include <GL/glew.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct KerningPair {
  int8_t second = 0;
  int32_t amount = 0;
};

struct Glyph {
  int8_t character = 0;
  // The glyph's rectangle in its page image, as fractions of the page size;
  // texTop is the rectangle's top edge (images are uploaded top row first).
  float texLeft = 0.0f;
  float texTop = 0.0f;
  float texRight = 0.0f;
  float texBottom = 0.0f;
  int32_t width = 0;
  int32_t height = 0;
  int32_t xoffset = 0;
  int32_t yoffset = 0;
  int32_t xadvance = 0;
  int32_t page = 0;
  // Pairs in which this glyph comes first, sorted by the second character.
  std::vector<KerningPair> kerning;
};

// Kerning amount of the pair (first, second); 0 when the pair is not there.
int32_t KerningAmount(const Glyph& first, int8_t second);
// Sets (or replaces) the amount of the pair (first, second).
void SetKerning(Glyph& first, int8_t second, int32_t amount);

struct Font {
  int32_t lineHeight = 0;
  // Indexed by the character code's byte value; holds every glyph of the file.
  std::array<std::optional<Glyph>, 256> glyphs;
  // Texture of page image i at index i; 0 for a page that has no image.
  std::vector<GLuint> pageTextures;
  int32_t pageCount = 0;
};

// The glyph of a text byte, or null when the font has none.
inline const Glyph* FindGlyph(const Font& font, char code) {
  const std::optional<Glyph>& slot = font.glyphs[static_cast<unsigned char>(code)];
  return slot ? &*slot : nullptr;
}

// A font file may ask for more pages than any real font has; more than this
// many are not kept (their page lines and glyphs are ignored).
constexpr int32_t kMaxFontPages = 256;

// Turns the path of a page image into a texture name (0 on failure).
using PageImageLoader = std::function<GLuint(const std::string& path)>;

// Reads the font file at `path`; page images are loaded from `directory`
// followed directly by their file names. Returns null (and prints nothing)
// when the file cannot be opened. The caller owns the Font (FreeFont).
Font* LoadFontFile(const char* path, const char* directory, const PageImageLoader& loadPageImage);
// The same, with page images loaded as GL textures (needs a GL context).
Font* LoadFontFile(const char* path, const char* directory);

// Releases the Font and its glyphs; its page textures stay alive.
void FreeFont(Font* font);

// Text of `key`'s value in `line`: found by a plain search for key followed by
// "=", ending before the next space. Empty when the key is not in the line.
std::string_view GetValueText(std::string_view line, std::string_view key);
// The value read as a decimal 32-bit integer the way stream extraction reads
// it: leading blanks skipped, sign and digits up to the first other character.
// 0 when it does not start with a number, does not fit, or the key is missing.
int32_t GetIntValue(std::string_view line, std::string_view key);
