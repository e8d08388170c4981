// The font tool on real fonts: its files follow the format the reader takes,
// with several pages, Latin-1 codes and the font's own kerning.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "host_runner.h"
#include "render/texture.h"
#include "text/font.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct ToolRun {
  int status = -1;
  std::string directory;
  std::vector<std::string> lines;
};

ToolRun RunFontgen(const std::string& arguments) {
  ToolRun run;
  run.directory = fs::temp_directory_path() / ("strobe-fontgen-" + std::to_string(getpid()));
  fs::remove_all(run.directory);
  fs::create_directories(run.directory);
  const std::string command = std::string(FONTGEN_BINARY) + " " + arguments + " " + run.directory + "/out.fnt 2>/dev/null";
  const int status = std::system(command.c_str());
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::istringstream text(ReadFile(run.directory + "/out.fnt"));
  for (std::string line; std::getline(text, line);) run.lines.push_back(line);
  return run;
}

int CountStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
  int count = 0;
  for (const std::string& line : lines) count += line.rfind(prefix, 0) == 0;
  return count;
}

// FreeType's kerning between two characters of DejaVu Sans at 20 pixels.
int FreeTypeKerning(char first, char second) {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  FT_Init_FreeType(&library);
  FT_New_Face(library, kDejaVuSans, 0, &face);
  FT_Set_Pixel_Sizes(face, 0, 20);
  FT_Vector delta{0, 0};
  FT_Get_Kerning(face, FT_Get_Char_Index(face, first), FT_Get_Char_Index(face, second), FT_KERNING_DEFAULT, &delta);
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return static_cast<int>((delta.x + 32) >> 6);
}

}  // namespace

TEST(Fontgen, PrintableAsciiByDefault) {
  const ToolRun run = RunFontgen(std::string("--size 20 ") + kDejaVuSans);
  ASSERT_EQ(run.status, 0);
  ASSERT_GE(run.lines.size(), 4u);
  EXPECT_EQ(run.lines[0].rfind("info face=\"DejaVu Sans\" size=20 ", 0), 0u) << run.lines[0];
  EXPECT_EQ(run.lines[1].rfind("common lineHeight=", 0), 0u) << run.lines[1];
  EXPECT_EQ(run.lines[2], "page id=0 file=\"out_0.png\"");
  EXPECT_EQ(run.lines[3], "chars count=95");
  EXPECT_EQ(CountStartingWith(run.lines, "char "), 95);
  EXPECT_TRUE(fs::exists(run.directory + "/out_0.png"));
}

TEST(Fontgen, SmallPagesLatin1PaddingAndKerning) {
  const ToolRun run = RunFontgen(std::string("--size 20 --page-size 64x96 --padding 2 --latin1 ") + kDejaVuSans);
  ASSERT_EQ(run.status, 0);
  std::vector<std::string> pageImages;
  Font* font = LoadFontFile((run.directory + "/out.fnt").c_str(), (run.directory + "/").c_str(),
                            [&](const std::string& path) {
                              pageImages.push_back(path);
                              return static_cast<GLuint>(pageImages.size());
                            });
  ASSERT_NE(font, nullptr);
  EXPECT_GT(font->pageCount, 2);
  ASSERT_EQ(pageImages.size(), static_cast<size_t>(font->pageCount));
  EXPECT_EQ(CountStartingWith(run.lines, "page "), font->pageCount);

  // Every page image is white with the glyphs in its alpha channel.
  for (const std::string& path : pageImages) {
    DecodedImage image = DecodeImageFile(path.c_str());
    ASSERT_NE(image.pixels, nullptr) << path << ": " << image.failure;
    EXPECT_EQ(image.width, 64);
    EXPECT_EQ(image.height, 96);
    bool allWhite = true;
    int maxAlpha = 0;
    for (int i = 0; i < image.width * image.height; ++i) {
      allWhite = allWhite && image.pixels[4 * i] == 255 && image.pixels[4 * i + 1] == 255 && image.pixels[4 * i + 2] == 255;
      maxAlpha = std::max(maxAlpha, static_cast<int>(image.pixels[4 * i + 3]));
    }
    EXPECT_TRUE(allWhite) << path;
    EXPECT_EQ(maxAlpha, 255) << path;
    FreeDecodedImage(image);
  }

  // Latin-1: 32-126 and 160-255, nothing in between.
  EXPECT_NE(FindGlyph(*font, '\xE9'), nullptr);
  EXPECT_NE(FindGlyph(*font, '\xFF'), nullptr);
  EXPECT_EQ(FindGlyph(*font, '\x85'), nullptr);
  EXPECT_EQ(FindGlyph(*font, '\x1F'), nullptr);

  // Padding: the picture grows by 2 on every side, its offsets move by 2.
  const Glyph* l = FindGlyph(*font, 'l');
  ASSERT_NE(l, nullptr);
  EXPECT_GE(l->width, 5);
  EXPECT_LT(l->xoffset, 1);

  const int kerning = FreeTypeKerning('A', 'V');
  ASSERT_NE(kerning, 0) << "DejaVu Sans kerns A and V";
  EXPECT_EQ(KerningAmount(*FindGlyph(*font, 'A'), 'V'), kerning);
  const int pairs = CountStartingWith(run.lines, "kerning ");
  EXPECT_GT(pairs, 100);
  EXPECT_EQ(std::count(run.lines.begin(), run.lines.end(), "kernings count=" + std::to_string(pairs)), 1);
  FreeFont(font);
}

TEST(Fontgen, RefusesBadArgumentsAndFonts) {
  EXPECT_EQ(RunFontgen("").status, 2);
  EXPECT_EQ(RunFontgen(std::string("--range 200-100 ") + kDejaVuSans).status, 2);
  EXPECT_EQ(RunFontgen(std::string("--range 0-256 ") + kDejaVuSans).status, 2);
  EXPECT_EQ(RunFontgen(std::string("--page-size 100000 ") + kDejaVuSans).status, 2);
  EXPECT_EQ(RunFontgen("--size 20 /nonexistent/font.ttf").status, 1);
  EXPECT_EQ(RunFontgen(std::string("--page-size 8 ") + kDejaVuSans).status, 1) << "a glyph larger than a page";
}
