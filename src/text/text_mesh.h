#pragma once
// Text layout: line breaking to a width and the TextMesh, one set of vertex,
// texture-coordinate and index arrays per page of the font.
#include <GL/glew.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/font.h"

// Indices are 16 bits wide, so one indexed draw addresses at most this many
// quads. A page entry with more quads is drawn in runs of this size: the
// indices restart at 0 for every run, and each run's draw starts its vertex
// arrays at the run's first quad.
constexpr size_t kQuadsPerDraw = 16384;

struct TextMesh {
  int32_t count = 0;     // page entries filled; equals capacity once built
  int32_t width = 0;     // largest pen position after any glyph's advance
  int32_t height = 0;    // lineHeight times the number of lines
  int32_t capacity = 0;  // the font's pageCount
  std::vector<GLuint> textures;
  std::vector<int32_t> triangleCounts;
  std::vector<std::vector<float>> vertexArrays;    // (x, y), 4 vertices per glyph
  std::vector<std::vector<float>> texCoordArrays;  // (u, v), in step with the vertices
  std::vector<std::vector<uint16_t>> indexArrays;  // 6 per glyph, restarting every kQuadsPerDraw quads
};

// Removes carriage returns and, unless maxWidth is -1, breaks lines that grow
// wider than maxWidth pixels: at the line's last space, or after the glyph
// that crosses the limit when the line has no space.
std::string WrapText(const Font& font, std::string_view text, int32_t maxWidth);

// Lays the text out from the top-left corner of its first line.
TextMesh* BuildTextMesh(const Font& font, std::string_view text);

// WrapText then BuildTextMesh. The caller frees the mesh with FreeTextMesh.
TextMesh* MakeText(const Font& font, std::string_view text, int32_t maxWidth);

// Draws at once (no batch is flushed), texels multiplied by the colour, then
// sets the current colour back to opaque white.
void DrawTextMesh(const TextMesh& mesh, int32_t x, int32_t y, float red, float green, float blue, float alpha);

// Releases the mesh; its arrays are kept for the next layout to reuse.
void FreeTextMesh(TextMesh* mesh);
