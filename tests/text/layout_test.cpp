// Wrapping and TextMesh layout on a fixture font with round numbers: line
// height 20, advance 10, pictures 8 x 16 at offset (1, 2); x and y sit on page
// 1, z on a page the font lacks, n has offset (-3, -4), '.' has neither
// picture nor advance, V and W advance 100 and 101.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "text/font.h"
#include "text/text_mesh.h"

namespace {

struct MeshDeleter {
  void operator()(TextMesh* mesh) const { FreeTextMesh(mesh); }
};
using MeshPtr = std::unique_ptr<TextMesh, MeshDeleter>;

const Font& RoundFont() {
  static const Font* font = [] {
    GLuint nextTexture = 1;
    Font* loaded = LoadFontFile(TEST_FIXTURES "/round.fnt", "", [&](const std::string&) { return nextTexture++; });
    return loaded;
  }();
  return *font;
}

// The same font with extra kerning pairs.
Font KernedFont(std::initializer_list<std::tuple<char, char, int32_t>> pairs) {
  Font font = RoundFont();
  for (const auto& [first, second, amount] : pairs)
    SetKerning(*font.glyphs[static_cast<unsigned char>(first)], static_cast<int8_t>(second), amount);
  return font;
}

size_t QuadCount(const TextMesh& mesh, int page) { return mesh.vertexArrays[page].size() / 8; }

// Left and top corner of quad k of a page entry.
float QuadLeft(const TextMesh& mesh, int page, size_t k) { return mesh.vertexArrays[page][8 * k]; }
float QuadTop(const TextMesh& mesh, int page, size_t k) { return mesh.vertexArrays[page][8 * k + 1]; }

}  // namespace

TEST(Layout, WrapText) {
  const Font& font = RoundFont();
  struct Case {
    std::string text;
    int32_t maxWidth;
    std::string wrapped;
  } cases[] = {
      {"", 100, ""},
      {"\n", 100, "\n"},
      {"a\r\nb", 100, "a\nb"},
      {"a\r\nb", -1, "a\nb"},
      {"a\r\rb\r", -1, "ab"},
      {"aa bb", 35, "aa\nbb"},
      {"aa bb", 50, "aa bb"},  // 50 is not greater than 50
      {"abcdef", 25, "abc\ndef\n"},
      {"ab cd", 0, "a\nb\n\nc\nd\n"},
      {"ab cd", -2, "a\nb\n\nc\nd\n"},  // only -1 turns wrapping off
      {"abcdef abcdef abcdef abcdef abcdef abcdef", -1, "abcdef abcdef abcdef abcdef abcdef abcdef"},
      // Earlier spaces stay at the end of the line; the break replaces the last.
      {"a b c d", 45, "a b\nc d"},
      {"a b cdef", 45, "a b\ncdef"},
      // A space whose own advance crosses the limit becomes the break.
      {"abc d", 30, "abc\nd"},
      {"ab\ncd ef", 55, "ab\ncd ef"},  // a line feed starts the width again
      // Bytes without a Glyph are kept but measure nothing.
      {"a\tb\tc", 25, "a\tb\tc\n"},
      {"\t\t\t\t\t", 0, "\t\t\t\t\t"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(WrapText(font, c.text, c.maxWidth), c.wrapped) << '"' << c.text << "\" at " << c.maxWidth;
}

TEST(Layout, WrapCarriesThePreviousGlyphAcrossBreaks) {
  const Font font = KernedFont({{'a', 'b', 100}});
  // The line feed resets the width but a stays the previous glyph, so the pair
  // (a, b) still counts on the next line.
  EXPECT_EQ(WrapText(font, "a\nbb", 25), "a\nb\nb");
  EXPECT_EQ(WrapText(font, "a\tb", 25), "a\tb\n");
  EXPECT_EQ(WrapText(RoundFont(), "a\nbb", 25), "a\nbb");
}

TEST(Layout, MeshSizes) {
  const Font& font = RoundFont();
  struct Case {
    std::string text;
    int32_t maxWidth;
    int32_t width;
    int32_t height;
    size_t quadsOnPage0;
    size_t quadsOnPage1;
  } cases[] = {
      {"", -1, 0, 20, 0, 0},
      {"\n", -1, 0, 40, 0, 0},
      {"ab\n", -1, 20, 40, 2, 0},
      {"AB", -1, 20, 20, 2, 0},
      {"abcdef", 25, 30, 60, 6, 0},  // wider than maxWidth: the crossing glyph stays
      {"aa bb", 35, 20, 40, 4, 0},
      {"ab cd", 0, 10, 120, 4, 0},
      {"axay", -1, 40, 20, 2, 2},
      {"a\tb", -1, 20, 20, 2, 0},   // no glyph: no quad, no advance
      {"aza", -1, 30, 20, 2, 0},    // glyph on a missing page: advance, no quad
      {" ", -1, 10, 20, 1, 0},      // a space still makes a quad, of zero area
      {"W\nV", -1, 101, 40, 2, 0},
  };
  for (const Case& c : cases) {
    const MeshPtr mesh(MakeText(font, c.text, c.maxWidth));
    SCOPED_TRACE('"' + c.text + "\" at " + std::to_string(c.maxWidth));
    EXPECT_EQ(mesh->width, c.width);
    EXPECT_EQ(mesh->height, c.height);
    EXPECT_EQ(mesh->count, 2);
    EXPECT_EQ(mesh->capacity, 2);
    EXPECT_EQ(mesh->textures, (std::vector<GLuint>{1, 2}));
    EXPECT_EQ(QuadCount(*mesh, 0), c.quadsOnPage0);
    EXPECT_EQ(QuadCount(*mesh, 1), c.quadsOnPage1);
    for (int page = 0; page < 2; ++page) {
      const size_t quads = page == 0 ? c.quadsOnPage0 : c.quadsOnPage1;
      EXPECT_EQ(mesh->triangleCounts[page], static_cast<int32_t>(2 * quads));
      EXPECT_EQ(mesh->texCoordArrays[page].size(), 8 * quads);
      EXPECT_EQ(mesh->indexArrays[page].size(), 6 * quads);
    }
  }
}

TEST(Layout, QuadOfOneGlyph) {
  const MeshPtr mesh(MakeText(RoundFont(), "\nb", -1));
  // Pen (0, 20), offset (1, 2), picture 8 x 16 at (0, 0) of a 64 x 64 page.
  EXPECT_EQ(mesh->vertexArrays[0], (std::vector<float>{1, 22, 9, 22, 9, 38, 1, 38}));
  EXPECT_EQ(mesh->texCoordArrays[0], (std::vector<float>{0, 0, 0.125f, 0, 0.125f, 0.25f, 0, 0.25f}));
  EXPECT_EQ(mesh->indexArrays[0], (std::vector<uint16_t>{0, 3, 1, 1, 3, 2}));
}

TEST(Layout, CarriageReturnsLayOutLikeTheirAbsence) {
  for (const int32_t maxWidth : {-1, 25}) {
    const MeshPtr withCr(MakeText(RoundFont(), "ab\r\ncd ef\r\n", maxWidth));
    const MeshPtr without(MakeText(RoundFont(), "ab\ncd ef\n", maxWidth));
    EXPECT_EQ(withCr->vertexArrays, without->vertexArrays) << maxWidth;
    EXPECT_EQ(withCr->width, without->width);
    EXPECT_EQ(withCr->height, without->height);
  }
}

TEST(Layout, Kerning) {
  struct Case {
    int32_t amount;
    float secondLeft;
    int32_t width;
  } cases[] = {{0, 11, 20}, {-2, 9, 18}, {5, 16, 25}};
  for (const Case& c : cases) {
    const Font font = KernedFont({{'A', 'B', c.amount}});
    const MeshPtr mesh(MakeText(font, "AB", -1));
    EXPECT_EQ(QuadLeft(*mesh, 0, 1), c.secondLeft) << c.amount;
    EXPECT_EQ(mesh->width, c.width) << c.amount;
  }
  // Lines start without a previous glyph, and a byte without a Glyph leaves
  // the previous glyph in place.
  const Font font = KernedFont({{'A', 'B', -2}});
  const MeshPtr acrossLines(MakeText(font, "A\nB", -1));
  EXPECT_EQ(QuadLeft(*acrossLines, 0, 1), 1);
  const MeshPtr acrossTab(MakeText(font, "A\tB", -1));
  EXPECT_EQ(QuadLeft(*acrossTab, 0, 1), 9);
}

TEST(Layout, TwoPagesAlternating) {
  const MeshPtr mesh(MakeText(RoundFont(), "axay", -1));
  for (int page = 0; page < 2; ++page) {
    EXPECT_EQ(mesh->indexArrays[page], (std::vector<uint16_t>{0, 3, 1, 1, 3, 2, 4, 7, 5, 5, 7, 6})) << page;
  }
  EXPECT_EQ(QuadLeft(*mesh, 0, 0), 1);
  EXPECT_EQ(QuadLeft(*mesh, 1, 0), 11);
  EXPECT_EQ(QuadLeft(*mesh, 0, 1), 21);
  EXPECT_EQ(QuadLeft(*mesh, 1, 1), 31);
}

TEST(Layout, NegativeOffsetsReachLeftOfAndAboveTheOrigin) {
  const MeshPtr mesh(MakeText(RoundFont(), "n", -1));
  EXPECT_EQ(QuadLeft(*mesh, 0, 0), -3);
  EXPECT_EQ(QuadTop(*mesh, 0, 0), -4);
  EXPECT_EQ(mesh->width, 10);
}

TEST(Layout, IndicesRestartEveryRunOfSixteenBitIndices) {
  // 16384 quads fill the 16-bit indices of one draw; the next quad starts a
  // new run at index 0 instead of wrapping onto quad 0's vertices.
  const std::string text = std::string(kQuadsPerDraw, '.') + "a";
  const MeshPtr mesh(MakeText(RoundFont(), text, -1));
  ASSERT_EQ(QuadCount(*mesh, 0), kQuadsPerDraw + 1);
  const std::vector<uint16_t>& indices = mesh->indexArrays[0];
  EXPECT_EQ(indices[6 * (kQuadsPerDraw - 1)], 65532);
  EXPECT_EQ(std::vector<uint16_t>(indices.end() - 6, indices.end()), (std::vector<uint16_t>{0, 3, 1, 1, 3, 2}));
  EXPECT_EQ(QuadLeft(*mesh, 0, kQuadsPerDraw), 1);
}
