// The BMFont reader, without GL: page images go through a recording loader.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host_runner.h"
#include "text/font.h"

namespace {

struct FontDeleter {
  void operator()(Font* font) const { FreeFont(font); }
};
using FontPtr = std::unique_ptr<Font, FontDeleter>;

// Loads `contents` as a font file; every page image load is recorded and gets
// the texture name 100 + its position in the record.
struct LoadResult {
  FontPtr font;
  std::vector<std::string> pageImages;
};

LoadResult LoadText(const std::string& contents, const std::string& directory = "dir/") {
  static int serial = 0;
  const std::string path =
      (std::filesystem::temp_directory_path() / ("strobe-font-" + std::to_string(getpid()) + "-" +
                                                 std::to_string(serial++) + ".fnt"))
          .string();
  WriteFile(path, contents);
  LoadResult result;
  result.font.reset(LoadFontFile(path.c_str(), directory.c_str(), [&](const std::string& image) {
    result.pageImages.push_back(image);
    return static_cast<GLuint>(100 + result.pageImages.size() - 1);
  }));
  std::filesystem::remove(path);
  return result;
}

const std::string kInfo = "info face=\"Fixture\" size=20 bold=0 italic=0\n";
const std::string kCommon = "common lineHeight=24 base=18 scaleW=256 scaleH=128 pages=1 packed=0\n";
const std::string kPage = "page id=0 file=\"fixture_0.png\"\n";

std::string CharLine(int id, int x = 0, int xadvance = 10) {
  return "char id=" + std::to_string(id) + " x=" + std::to_string(x) +
         " y=0 width=8 height=16 xoffset=1 yoffset=2 xadvance=" + std::to_string(xadvance) + " page=0 chnl=15\n";
}

const Glyph* GlyphOf(const Font& font, int code) { return FindGlyph(font, static_cast<char>(code)); }

}  // namespace

TEST(FontReader, ReadsTheGeneratorsLayout) {
  const LoadResult load = LoadText(kInfo + kCommon + kPage + "chars count=1\n" +
                                   "char id=65 x=10 y=20 width=5 height=7 xoffset=-1 yoffset=3 xadvance=6 "
                                   "page=0 chnl=15\n" +
                                   "kernings count=0\n");
  ASSERT_NE(load.font, nullptr);
  const Font& font = *load.font;
  EXPECT_EQ(font.lineHeight, 24);
  EXPECT_EQ(font.pageCount, 1);
  EXPECT_EQ(load.pageImages, std::vector<std::string>{"dir/fixture_0.png"});
  EXPECT_EQ(font.pageTextures, std::vector<GLuint>{100});
  const Glyph* a = GlyphOf(font, 'A');
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->character, 65);
  EXPECT_EQ(a->texLeft, 0.0390625f);
  EXPECT_EQ(a->texTop, 0.15625f);
  EXPECT_EQ(a->texRight, 0.05859375f);
  EXPECT_EQ(a->texBottom, 0.2109375f);
  EXPECT_EQ(a->width, 5);
  EXPECT_EQ(a->height, 7);
  EXPECT_EQ(a->xoffset, -1);
  EXPECT_EQ(a->yoffset, 3);
  EXPECT_EQ(a->xadvance, 6);
  EXPECT_EQ(a->page, 0);
  EXPECT_TRUE(a->kerning.empty());
  int glyphCount = 0;
  for (const auto& slot : font.glyphs) glyphCount += slot.has_value();
  EXPECT_EQ(glyphCount, 1);
}

TEST(FontReader, PageImagePaths) {
  struct Case {
    const char* pageLine;
    const char* directory;
    const char* expectedPath;
  } cases[] = {
      {"page id=0 file=\"fixture_0.png\"", "res/font/", "res/font/fixture_0.png"},
      {"page id=0 file=a.png", "res/font/", "res/font/a.png"},
      // Values end at a space, quoted or not.
      {"page id=0 file=\"my font.png\"", "res/font/", "res/font/my"},
      // No separator is added between directory and name.
      {"page id=0 file=a.png", "res/font", "res/fonta.png"},
      {"page id=0 file=\"a.png\"", "", "a.png"},
  };
  for (const Case& c : cases) {
    const LoadResult load = LoadText(kInfo + kCommon + c.pageLine + "\n", c.directory);
    ASSERT_NE(load.font, nullptr);
    EXPECT_EQ(load.pageImages, std::vector<std::string>{c.expectedPath}) << c.pageLine;
  }
}

TEST(FontReader, IdsFoldToTheirLowByteAndTheFirstCharLineWins) {
  {
    const LoadResult load = LoadText(kInfo + kCommon + CharLine(321, 40));
    const Glyph* a = GlyphOf(*load.font, 'A');
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->character, 'A');
    EXPECT_EQ(a->texLeft, 40.0f / 256.0f);
  }
  {
    const LoadResult load = LoadText(kInfo + kCommon + CharLine(65, 0) + CharLine(321, 40) + CharLine(65, 80));
    EXPECT_EQ(GlyphOf(*load.font, 'A')->texLeft, 0.0f);
  }
  {
    // Latin-1 ids match the bytes of the text: id 233 is the byte 0xE9.
    const LoadResult load = LoadText(kInfo + kCommon + CharLine(233));
    const Glyph* eAcute = FindGlyph(*load.font, '\xE9');
    ASSERT_NE(eAcute, nullptr);
    EXPECT_EQ(eAcute->character, -23);
  }
}

TEST(FontReader, KerningPairs) {
  const LoadResult load = LoadText(kInfo + kCommon + CharLine('A') + CharLine('V') +
                                   "kernings count=3\n"
                                   "kerning first=65 second=86 amount=-2\n"
                                   "kerning first=86 second=65 amount=-1\n"
                                   "kerning first=65 second=86 amount=-3\n"
                                   // The first character has no Glyph: ignored.
                                   "kerning first=66 second=65 amount=5\n"
                                   // Ids fold like char ids.
                                   "kerning first=342 second=342 amount=4\n");
  const Font& font = *load.font;
  EXPECT_EQ(KerningAmount(*GlyphOf(font, 'A'), 'V'), -3);
  EXPECT_EQ(KerningAmount(*GlyphOf(font, 'V'), 'A'), -1);
  EXPECT_EQ(KerningAmount(*GlyphOf(font, 'V'), 'V'), 4);
  EXPECT_EQ(KerningAmount(*GlyphOf(font, 'A'), 'A'), 0);
  EXPECT_EQ(GlyphOf(font, 'B'), nullptr);
  EXPECT_EQ(GlyphOf(font, 'A')->kerning.size(), 1u);
}

// Everything observable of a font, for comparing two loads.
std::string Describe(const Font& font) {
  std::string text = std::to_string(font.lineHeight) + "/" + std::to_string(font.pageCount) + ":";
  for (GLuint texture : font.pageTextures) text += std::to_string(texture) + ",";
  for (const auto& slot : font.glyphs) {
    if (!slot) continue;
    const Glyph& g = *slot;
    text += "[" + std::to_string(g.character) + " " + std::to_string(g.texLeft) + " " + std::to_string(g.texTop) +
            " " + std::to_string(g.texRight) + " " + std::to_string(g.texBottom) + " " + std::to_string(g.width) +
            " " + std::to_string(g.height) + " " + std::to_string(g.xoffset) + " " + std::to_string(g.yoffset) +
            " " + std::to_string(g.xadvance) + " " + std::to_string(g.page);
    for (const KerningPair& pair : g.kerning) text += " k" + std::to_string(pair.second) + "=" + std::to_string(pair.amount);
    text += "]";
  }
  return text;
}

TEST(FontReader, WindowsLineEndsReadLikeLineFeeds) {
  const std::string lineFeedText = kInfo + kCommon + kPage + CharLine('A') + CharLine('V', 20) +
                           "kerning first=65 second=86 amount=-2\n";
  std::string windows;
  for (char c : lineFeedText) {
    if (c == '\n') windows += '\r';
    windows += c;
  }
  const LoadResult a = LoadText(lineFeedText);
  const LoadResult b = LoadText(windows);
  EXPECT_EQ(Describe(*a.font), Describe(*b.font));
  EXPECT_EQ(a.pageImages, b.pageImages);
  EXPECT_EQ(b.pageImages, std::vector<std::string>{"dir/fixture_0.png"});
}

TEST(FontReader, OnlyLinesStartingWithTheKeywordAndOneSpaceCount) {
  const LoadResult load = LoadText(kInfo + kCommon + "\n" + "chars count=2\n" + " " + CharLine('B') +
                                   "\t" + CharLine('C') + "char\tid=68\n" + "charid=69\n" + CharLine('A') +
                                   "kernings count=1\n" + " kerning first=65 second=65 amount=3\n" +
                                   " page id=0 file=x.png\n");
  const Font& font = *load.font;
  EXPECT_NE(GlyphOf(font, 'A'), nullptr);
  for (int code : {'B', 'C', 'D', 'E'}) EXPECT_EQ(GlyphOf(font, code), nullptr) << char(code);
  // "chars count=2" is not a char line: it would have made the glyph of code 0.
  EXPECT_EQ(GlyphOf(font, 0), nullptr);
  EXPECT_TRUE(GlyphOf(font, 'A')->kerning.empty());
  EXPECT_TRUE(load.pageImages.empty());
}

TEST(FontReader, ValueReaders) {
  struct Case {
    const char* line;
    const char* key;
    const char* text;
    int32_t number;
  } cases[] = {
      {"char id=65 x=10", "x", "10", 10},
      {"char xoffset=3 x=5", "x", "5", 5},  // "xoffset" is not followed by "="
      {"char width=7", "th", "7", 7},       // a plain substring search, not by whole keys
      {"padding=1,1,1,1", "padding", "1,1,1,1", 1},
      {"a=+7", "a", "+7", 7},
      {"a=-3 b=4", "a", "-3", -3},
      {"a=\t12", "a", "\t12", 12},
      {"a=12px", "a", "12px", 12},
      {"a=px12", "a", "px12", 0},
      {"a=-", "a", "-", 0},
      {"a=", "a", "", 0},
      {"a=2147483647", "a", "2147483647", 2147483647},
      {"a=-2147483648", "a", "-2147483648", INT32_MIN},
      {"a=2147483648", "a", "2147483648", 0},
      {"a=-2147483649", "a", "-2147483649", 0},
      {"a=99999999999999999999", "a", "99999999999999999999", 0},
      {"char id=65", "x", "", 0},  // missing key
      {"file=\"my font.png\"", "file", "\"my", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetValueText(c.line, c.key), c.text) << c.line << " / " << c.key;
    EXPECT_EQ(GetIntValue(c.line, c.key), c.number) << c.line << " / " << c.key;
  }
}

TEST(FontReader, AFileThatCannotBeOpenedGivesNoFont) {
  bool loaderCalled = false;
  Font* font = LoadFontFile("/nonexistent/strobe/font.fnt", "", [&](const std::string&) {
    loaderCalled = true;
    return GLuint{1};
  });
  EXPECT_EQ(font, nullptr);
  EXPECT_FALSE(loaderCalled);
}

TEST(FontReader, PagesOutOfRangeAndMissingPageLines) {
  const LoadResult load = LoadText(kInfo + "common lineHeight=24 scaleW=256 scaleH=128 pages=3\n" +
                                   "page id=3 file=three.png\n" + "page id=-1 file=minus.png\n" +
                                   "page id=1 file=one.png\n");
  const Font& font = *load.font;
  EXPECT_EQ(font.pageCount, 3);
  EXPECT_EQ(load.pageImages, std::vector<std::string>{"dir/one.png"});
  EXPECT_EQ(font.pageTextures, (std::vector<GLuint>{0, 100, 0}));
}

TEST(FontReader, DegenerateFiles) {
  struct Case {
    const char* name;
    std::string contents;
    int32_t pageCount;
    int32_t lineHeight;
    int glyphs;
  } cases[] = {
      {"empty file", "", 0, 0, 0},
      {"one line without a line feed", CharLine('A').substr(0, CharLine('A').size() - 1), 0, 0, 0},
      // A file ending in a line feed has an empty second line: no pages, no sizes.
      {"one line and a line feed", kInfo, 0, 0, 0},
      {"second line not the common line", kInfo + CharLine('A'), 0, 0, 1},
      {"negative page count", kInfo + "common lineHeight=5 pages=-4\n", 0, 5, 0},
      {"absurd page count", kInfo + "common lineHeight=5 pages=2000000000\n", kMaxFontPages, 5, 0},
      {"missing keys read as 0", kInfo + "common\nchar id=66\n", 0, 0, 1},
  };
  for (const Case& c : cases) {
    const LoadResult load = LoadText(c.contents);
    ASSERT_NE(load.font, nullptr) << c.name;
    const Font& font = *load.font;
    EXPECT_EQ(font.pageCount, c.pageCount) << c.name;
    EXPECT_EQ(font.pageTextures.size(), static_cast<size_t>(c.pageCount)) << c.name;
    EXPECT_EQ(font.lineHeight, c.lineHeight) << c.name;
    int glyphCount = 0;
    for (const auto& slot : font.glyphs) glyphCount += slot.has_value();
    EXPECT_EQ(glyphCount, c.glyphs) << c.name;
  }
  // The glyph of a line without keys: every field 0; a scale of 0 gives no crash.
  const LoadResult load = LoadText(kInfo + "common\nchar id=66\n");
  const Glyph* b = GlyphOf(*load.font, 'B');
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->width, 0);
  EXPECT_EQ(b->xadvance, 0);
  EXPECT_EQ(b->page, 0);
}
