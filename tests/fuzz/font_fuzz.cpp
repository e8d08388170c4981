// Font files: LoadFontFile on arbitrary bytes. Page images are not decoded
// here (the texture target covers images); the loader records the paths.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "text/font.h"

namespace {
const char* const kDirectory = "pages/";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RemoveAtExit(ScratchPath(".fnt"));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = ScratchPath(".fnt");
  WriteScratchFile(path, data, size);
  GLuint nextTexture = 0;
  Font* font = LoadFontFile(path.c_str(), kDirectory, [&nextTexture](const std::string& imagePath) {
    FUZZ_CHECK(imagePath.compare(0, std::string(kDirectory).size(), kDirectory) == 0);
    return ++nextTexture;
  });
  FUZZ_CHECK(font != nullptr);
  FUZZ_CHECK(font->pageCount >= 0 && font->pageCount <= kMaxFontPages);
  FUZZ_CHECK(font->pageTextures.size() == static_cast<size_t>(font->pageCount));
  for (const GLuint texture : font->pageTextures) FUZZ_CHECK(texture <= nextTexture);
  for (size_t code = 0; code < font->glyphs.size(); ++code) {
    const std::optional<Glyph>& glyph = font->glyphs[code];
    if (!glyph) continue;
    FUZZ_CHECK(static_cast<uint8_t>(glyph->character) == code);
    for (size_t i = 1; i < glyph->kerning.size(); ++i)
      FUZZ_CHECK(glyph->kerning[i - 1].second < glyph->kerning[i].second);
    for (const KerningPair& pair : glyph->kerning)
      FUZZ_CHECK(KerningAmount(*glyph, pair.second) == pair.amount);
  }
  FreeFont(font);
  return 0;
}
