#include "text/text_mesh.h"

#include <algorithm>

#include "profiler/profile_manager.h"

namespace {

// Pen arithmetic wraps like the 32-bit integers it models instead of being
// undefined on absurd font values.
int32_t WrappingAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

int8_t Code(char c) { return static_cast<int8_t>(c); }

bool OnPage(const Glyph& glyph, int32_t pageCount) { return glyph.page >= 0 && glyph.page < pageCount; }

std::string WithoutCarriageReturns(std::string_view text) {
  std::string copy;
  copy.reserve(text.size());
  for (const char c : text)
    if (c != '\r') copy.push_back(c);
  return copy;
}

// Freed meshes leave their arrays here for the next layout. A script that
// draws text every frame would otherwise hand the same memory back to the
// system and fault it in again on every DrawText. Main thread only, like all
// text work.
template <class T>
struct ArrayPool {
  static constexpr size_t kMaxArrays = 16;
  static constexpr size_t kMaxBytesPerArray = size_t{4} << 20;
  std::vector<std::vector<T>> arrays;

  std::vector<T> take(size_t length) {
    std::vector<T> array;
    if (!arrays.empty()) {
      array = std::move(arrays.back());
      arrays.pop_back();
    }
    array.resize(length);
    return array;
  }

  void give(std::vector<T>& array) {
    if (array.capacity() == 0 || array.capacity() * sizeof(T) > kMaxBytesPerArray || arrays.size() >= kMaxArrays)
      return;
    array.clear();
    arrays.push_back(std::move(array));
  }
};

ArrayPool<float> floatArrays;
ArrayPool<uint16_t> indexArrays;

}  // namespace

// Bytes without a Glyph are kept in the text but measured as nothing: no
// advance, no kerning, and they do not become the previous glyph.
std::string WrapText(const Font& font, std::string_view text, int32_t maxWidth) {
  std::string input = WithoutCarriageReturns(text);
  if (maxWidth == -1) return input;

  constexpr size_t kNoSpace = std::string::npos;
  std::string output;
  output.reserve(input.size() + input.size() / 8 + 8);
  int32_t lineWidth = 0;
  const Glyph* previous = nullptr;
  size_t spaceOutputLength = kNoSpace;  // output length before the line's last space
  size_t spaceInputPosition = 0;

  for (size_t i = 0; i < input.size(); ++i) {
    const char c = input[i];
    if (c == '\n') {
      // Kerning of the previous glyph with a line feed would land in a line
      // width that is reset at once, so it is not looked up.
      output.push_back('\n');
      lineWidth = 0;
      spaceOutputLength = kNoSpace;
      continue;
    }
    const Glyph* glyph = FindGlyph(font, c);
    if (glyph == nullptr) {
      output.push_back(c);
      continue;
    }
    if (previous != nullptr && !previous->kerning.empty())
      lineWidth = WrappingAdd(lineWidth, KerningAmount(*previous, Code(c)));
    if (c == ' ') {
      spaceOutputLength = output.size();
      spaceInputPosition = i;
    }
    output.push_back(c);
    lineWidth = WrappingAdd(lineWidth, glyph->xadvance);
    previous = glyph;
    if (lineWidth > maxWidth) {
      if (spaceOutputLength != kNoSpace) {
        // The break replaces the line's last space; what followed it is read again.
        output.resize(spaceOutputLength);
        output.push_back('\n');
        i = spaceInputPosition;
        spaceOutputLength = kNoSpace;
      } else {
        output.push_back('\n');
      }
      lineWidth = 0;
    }
  }
  return output;
}

// Bytes without a Glyph make no quad, no advance and no kerning. A Glyph on a
// page the font does not have advances the pen but is not drawn.
TextMesh* BuildTextMesh(const Font& font, std::string_view text) {
  const size_t pageCount = static_cast<size_t>(std::max(font.pageCount, 0));
  TextMesh* mesh = new TextMesh;
  mesh->capacity = static_cast<int32_t>(pageCount);
  mesh->textures.assign(pageCount, 0);
  std::copy_n(font.pageTextures.begin(), std::min(pageCount, font.pageTextures.size()), mesh->textures.begin());
  mesh->triangleCounts.assign(pageCount, 0);
  mesh->vertexArrays.resize(pageCount);
  mesh->texCoordArrays.resize(pageCount);
  mesh->indexArrays.resize(pageCount);

  // Counting first lets every array be allocated once at its exact length.
  std::vector<size_t> quadCounts(pageCount, 0);
  for (const char c : text) {
    if (c == '\n') continue;
    const Glyph* glyph = FindGlyph(font, c);
    if (glyph != nullptr && OnPage(*glyph, font.pageCount)) ++quadCounts[static_cast<size_t>(glyph->page)];
  }
  struct Cursor {
    float* vertex;
    float* texCoord;
    uint16_t* index;
    size_t quads;
  };
  std::vector<Cursor> cursors(pageCount);
  for (size_t page = 0; page < pageCount; ++page) {
    mesh->vertexArrays[page] = floatArrays.take(quadCounts[page] * 8);
    mesh->texCoordArrays[page] = floatArrays.take(quadCounts[page] * 8);
    mesh->indexArrays[page] = indexArrays.take(quadCounts[page] * 6);
    mesh->triangleCounts[page] = static_cast<int32_t>(quadCounts[page] * 2);
    cursors[page] = {mesh->vertexArrays[page].data(), mesh->texCoordArrays[page].data(),
                     mesh->indexArrays[page].data(), 0};
  }

  int32_t penX = 0;
  int32_t penY = 0;
  int32_t widest = 0;
  const Glyph* previous = nullptr;
  for (const char c : text) {
    if (c == '\n') {
      penY = WrappingAdd(penY, font.lineHeight);
      penX = 0;
      previous = nullptr;
      continue;
    }
    const Glyph* glyph = FindGlyph(font, c);
    if (glyph == nullptr) continue;
    if (previous != nullptr && !previous->kerning.empty()) penX = WrappingAdd(penX, KerningAmount(*previous, Code(c)));

    if (OnPage(*glyph, font.pageCount)) {
      Cursor& out = cursors[static_cast<size_t>(glyph->page)];
      const float left = static_cast<float>(WrappingAdd(glyph->xoffset, penX));
      const float top = static_cast<float>(WrappingAdd(glyph->yoffset, penY));
      const float right = left + static_cast<float>(glyph->width);
      const float bottom = top + static_cast<float>(glyph->height);
      // Corners: top left, top right, bottom right, bottom left.
      const float vertices[8] = {left, top, right, top, right, bottom, left, bottom};
      const float texCoords[8] = {glyph->texLeft,  glyph->texTop,    glyph->texRight, glyph->texTop,
                                  glyph->texRight, glyph->texBottom, glyph->texLeft,  glyph->texBottom};
      std::copy(vertices, vertices + 8, out.vertex);
      std::copy(texCoords, texCoords + 8, out.texCoord);
      out.vertex += 8;
      out.texCoord += 8;
      // (top left, bottom left, top right), (top right, bottom left, bottom
      // right): both front-facing under the y-down projection.
      const uint16_t base = static_cast<uint16_t>(4 * (out.quads % kQuadsPerDraw));
      const uint16_t indices[6] = {base, static_cast<uint16_t>(base + 3), static_cast<uint16_t>(base + 1),
                                   static_cast<uint16_t>(base + 1), static_cast<uint16_t>(base + 3),
                                   static_cast<uint16_t>(base + 2)};
      std::copy(indices, indices + 6, out.index);
      out.index += 6;
      ++out.quads;
    }

    penX = WrappingAdd(penX, glyph->xadvance);
    widest = std::max(widest, penX);
    previous = glyph;
  }

  mesh->width = widest;
  mesh->height = WrappingAdd(font.lineHeight, penY);
  mesh->count = mesh->capacity;
  return mesh;
}

TextMesh* MakeText(const Font& font, std::string_view text, int32_t maxWidth) {
  PROFILE_ZONE(makeTextZone, "MakeText");
  ZoneGuard guard(makeTextZone);
  return BuildTextMesh(font, WrapText(font, text, maxWidth));
}

void DrawTextMesh(const TextMesh& mesh, int32_t x, int32_t y, float red, float green, float blue, float alpha) {
  glPushMatrix();
  glTranslatef(static_cast<float>(x), static_cast<float>(y), 0.0f);
  glColor4f(red, green, blue, alpha);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  for (size_t entry = 0; entry < static_cast<size_t>(mesh.count); ++entry) {
    if (mesh.triangleCounts[entry] <= 0) continue;
    glBindTexture(GL_TEXTURE_2D, mesh.textures[entry]);
    const size_t quads = static_cast<size_t>(mesh.triangleCounts[entry]) / 2;
    // One draw per page, unless the page has more quads than 16-bit indices reach.
    for (size_t first = 0; first < quads; first += kQuadsPerDraw) {
      const size_t runQuads = std::min(kQuadsPerDraw, quads - first);
      glVertexPointer(2, GL_FLOAT, 0, mesh.vertexArrays[entry].data() + first * 8);
      glTexCoordPointer(2, GL_FLOAT, 0, mesh.texCoordArrays[entry].data() + first * 8);
      glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(runQuads * 6), GL_UNSIGNED_SHORT,
                     mesh.indexArrays[entry].data() + first * 6);
    }
  }
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glPopMatrix();
}

void FreeTextMesh(TextMesh* mesh) {
  if (mesh == nullptr) return;
  for (std::vector<float>& array : mesh->vertexArrays) floatArrays.give(array);
  for (std::vector<float>& array : mesh->texCoordArrays) floatArrays.give(array);
  for (std::vector<uint16_t>& array : mesh->indexArrays) indexArrays.give(array);
  delete mesh;
}
