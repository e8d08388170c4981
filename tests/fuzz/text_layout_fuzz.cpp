// Text layout on a fuzzed font and fuzzed text: WrapText, BuildTextMesh and
// MakeText, with the mesh's array invariants checked.
//
// Input: 4 bytes of maxWidth (little-endian int32), then the font file up to
// the first zero byte, then the text.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "text/text_mesh.h"

namespace {

std::string WithoutCarriageReturns(std::string_view text) {
  std::string copy(text);
  copy.erase(std::remove(copy.begin(), copy.end(), '\r'), copy.end());
  return copy;
}

void CheckMesh(const Font& font, const TextMesh& mesh, std::string_view text) {
  const size_t pages = static_cast<size_t>(font.pageCount);
  FUZZ_CHECK(mesh.capacity == font.pageCount && mesh.count == mesh.capacity);
  FUZZ_CHECK(mesh.textures.size() == pages && mesh.triangleCounts.size() == pages);
  FUZZ_CHECK(mesh.vertexArrays.size() == pages && mesh.texCoordArrays.size() == pages &&
             mesh.indexArrays.size() == pages);
  size_t quadsTotal = 0;
  for (size_t page = 0; page < pages; ++page) {
    FUZZ_CHECK(mesh.textures[page] == font.pageTextures[page]);
    FUZZ_CHECK(mesh.triangleCounts[page] >= 0 && mesh.triangleCounts[page] % 2 == 0);
    const size_t quads = static_cast<size_t>(mesh.triangleCounts[page]) / 2;
    quadsTotal += quads;
    FUZZ_CHECK(mesh.vertexArrays[page].size() == quads * 8);
    FUZZ_CHECK(mesh.texCoordArrays[page].size() == quads * 8);
    FUZZ_CHECK(mesh.indexArrays[page].size() == quads * 6);
    // Every index addresses a vertex of its own run of kQuadsPerDraw quads.
    for (size_t i = 0; i < quads * 6; ++i) {
      const size_t quad = i / 6;
      const size_t runQuads = std::min(kQuadsPerDraw, quads - quad / kQuadsPerDraw * kQuadsPerDraw);
      FUZZ_CHECK(mesh.indexArrays[page][i] < runQuads * 4);
    }
  }
  FUZZ_CHECK(quadsTotal <= text.size());
  FUZZ_CHECK(mesh.width >= 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RemoveAtExit(ScratchPath(".fnt"));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  int32_t maxWidth = 0;
  std::memcpy(&maxWidth, data, 4);
  const std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
  const size_t split = rest.find('\0');
  const std::string_view fontText = rest.substr(0, split);
  const std::string_view text = split == std::string_view::npos ? std::string_view() : rest.substr(split + 1);

  const std::string& path = ScratchPath(".fnt");
  WriteScratchFile(path, reinterpret_cast<const uint8_t*>(fontText.data()), fontText.size());
  GLuint nextTexture = 0;
  Font* font = LoadFontFile(path.c_str(), "", [&nextTexture](const std::string&) { return ++nextTexture; });
  FUZZ_CHECK(font != nullptr);

  FUZZ_CHECK(WrapText(*font, text, -1) == WithoutCarriageReturns(text));
  const std::string wrapped = WrapText(*font, text, maxWidth);
  FUZZ_CHECK(wrapped.find('\r') == std::string::npos);

  TextMesh* mesh = MakeText(*font, text, maxWidth);
  CheckMesh(*font, *mesh, wrapped);
  FreeTextMesh(mesh);
  mesh = BuildTextMesh(*font, text);
  CheckMesh(*font, *mesh, text);
  FreeTextMesh(mesh);
  FreeFont(font);
  return 0;
}
