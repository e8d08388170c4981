// The shipped default font: it loads without a diagnostic and draws legible
// text, checked against a reference the test renders itself with FreeType
// from the font file the default font was made from.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gl_window.h"
#include "host_runner.h"
#include "text/font_table.h"

namespace {

constexpr const char* kSourceFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
constexpr int kPixelSize = 20;

// A grey image of the test window's size, top row first.
using Grey = std::vector<int>;

Grey ReadWindow() {
  std::vector<unsigned char> rgba(kTestWindowWidth * kTestWindowHeight * 4);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kTestWindowWidth, kTestWindowHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  Grey grey(kTestWindowWidth * kTestWindowHeight);
  for (int y = 0; y < kTestWindowHeight; ++y)
    for (int x = 0; x < kTestWindowWidth; ++x)
      grey[y * kTestWindowWidth + x] = rgba[((kTestWindowHeight - 1 - y) * kTestWindowWidth + x) * 4];
  return grey;
}

// White text on black as FreeType draws it: pen from `left`, the line's top
// at `top`, the baseline one ascender below.
Grey RenderReference(const std::string& text, int left, int top) {
  Grey image(kTestWindowWidth * kTestWindowHeight, 0);
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, kSourceFont, 0, &face) != 0) {
    ADD_FAILURE() << "cannot open " << kSourceFont;
    return image;
  }
  FT_Set_Pixel_Sizes(face, 0, kPixelSize);
  const int baseline = top + static_cast<int>((face->size->metrics.ascender + 32) >> 6);
  int pen = left;
  for (const char c : text) {
    FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_RENDER);
    const FT_GlyphSlot slot = face->glyph;
    for (unsigned row = 0; row < slot->bitmap.rows; ++row)
      for (unsigned column = 0; column < slot->bitmap.width; ++column) {
        const int x = pen + slot->bitmap_left + static_cast<int>(column);
        const int y = baseline - slot->bitmap_top + static_cast<int>(row);
        if (x >= 0 && x < kTestWindowWidth && y >= 0 && y < kTestWindowHeight)
          image[y * kTestWindowWidth + x] = slot->bitmap.buffer[row * slot->bitmap.pitch + column];
      }
    pen += static_cast<int>((slot->advance.x + 32) >> 6);
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return image;
}

// Mean absolute difference over the box where the text is drawn.
constexpr int kBoxLeft = 10, kBoxTop = 25, kBoxRight = 160, kBoxBottom = 60;

double MeanDifference(const Grey& a, const Grey& b) {
  long total = 0;
  for (int y = kBoxTop; y < kBoxBottom; ++y)
    for (int x = kBoxLeft; x < kBoxRight; ++x)
      total += std::abs(a[y * kTestWindowWidth + x] - b[y * kTestWindowWidth + x]);
  return static_cast<double>(total) / ((kBoxRight - kBoxLeft) * (kBoxBottom - kBoxTop));
}

long Ink(const Grey& image) {
  long total = 0;
  for (int value : image) total += value;
  return total;
}

class DefaultFontTest : public GLWindowTest {};

}  // namespace

TEST_F(DefaultFontTest, LoadsWithoutADiagnostic) {
  testing::internal::CaptureStdout();
  Font* font = LoadFontFile(SourcePath("res/font/consolas-20.fnt").c_str(), SourcePath("res/font/").c_str());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->pageCount, 1);
  EXPECT_NE(font->pageTextures[0], 0u);
  for (int code = 32; code <= 126; ++code) EXPECT_NE(FindGlyph(*font, static_cast<char>(code)), nullptr) << code;
  FreeFont(font);
}

TEST_F(DefaultFontTest, DrawsTextLikeTheFontItWasMadeFrom) {
  Font* font = LoadFontFile(SourcePath("res/font/consolas-20.fnt").c_str(), SourcePath("res/font/").c_str());
  ASSERT_NE(font, nullptr);
  const std::string word = "Strobe 42!";
  DrawText(font, word, 20, 30, -1, false, 1, 1, 1, 1);
  const Grey drawn = ReadWindow();
  FreeFont(font);

  const Grey reference = RenderReference(word, 20, 30);
  const Grey otherWord = RenderReference("Strobe 47?", 20, 30);
  const Grey shifted = RenderReference(word, 21, 30);
  ASSERT_GT(Ink(reference), 255 * 40) << "the reference has no text";
  // Glyph pictures land on whole pixels with texels sampled at their centres,
  // so the drawing matches the reference up to rounding.
  const double difference = MeanDifference(drawn, reference);
  EXPECT_LT(difference, 0.5);
  // Two changed characters, or the whole word one pixel to the right, are
  // far further away.
  EXPECT_GT(MeanDifference(drawn, otherWord), 2.0);
  EXPECT_GT(MeanDifference(drawn, shifted), 2.0);
  // And nothing is drawn outside the box.
  EXPECT_NEAR(Ink(drawn), Ink(reference), Ink(reference) / 100);
}
