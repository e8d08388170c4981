// Text drawing in a real GL context, on the round-number fixture font (see
// layout_test.cpp): white page 0, green page 1, pictures 8 x 16 at (1, 2).
#include <gtest/gtest.h>

#include <string>

#include "gl_window.h"
#include "render/flush.h"
#include "render/quad_pipe.h"
#include "text/font_table.h"
#include "text/text_mesh.h"

namespace {

const Rgba kBlack = {0, 0, 0, 255};
const Rgba kRed = {255, 0, 0, 255};
const Rgba kWhite = {255, 255, 255, 255};
const Rgba kGreen = {0, 255, 0, 255};
const Rgba kBlue = {0, 0, 255, 255};

class TextDrawTest : public GLWindowTest {
 protected:
  static const Font& RoundFont() {
    static const Font* font = LoadFontFile(TEST_FIXTURES "/round.fnt", TEST_FIXTURES "/");
    return *font;
  }

  static std::array<float, 4> CurrentColor() {
    std::array<float, 4> color{};
    glGetFloatv(GL_CURRENT_COLOR, color.data());
    return color;
  }

  static bool AllBlack(int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        if (PixelAt(x, y) != kBlack) return false;
    return true;
  }
};

}  // namespace

// Runs first: the table is process-wide.
TEST_F(TextDrawTest, FontTableHandsOutTenHandles) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(LoadFont("/nonexistent/strobe.fnt", "/nonexistent/"), 0);
  EXPECT_EQ(fontTable.count, 0) << "a file that cannot be opened takes no slot";
  for (int32_t handle = 1; handle <= 10; ++handle) EXPECT_EQ(LoadFont(TEST_FIXTURES "/round.fnt", TEST_FIXTURES "/"), handle);
  EXPECT_EQ(LoadFont(TEST_FIXTURES "/round.fnt", TEST_FIXTURES "/"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(fontTable.count, 10);
  for (const int64_t handle : {int64_t{0}, int64_t{-1}, int64_t{11}, int64_t{1} << 32 | 1})
    EXPECT_EQ(FontForHandle(handle), nullptr) << handle;
  EXPECT_EQ(FontForHandle(1), fontTable.fonts[0]);
  EXPECT_EQ(FontForHandle(10), fontTable.fonts[9]);
  EXPECT_NE(fontTable.fonts[0]->pageTextures[0], fontTable.fonts[1]->pageTextures[0]) << "each load has its own pages";

  // Two loads of one file draw alike.
  for (const int32_t handle : {1, 10}) {
    glClear(GL_COLOR_BUFFER_BIT);
    DrawText(FontForHandle(handle), "a", 10, 10, -1, false, 1, 0, 0, 1);
    EXPECT_EQ(PixelAt(15, 20), kRed) << handle;
  }
}

TEST_F(TextDrawTest, NoFontDrawsNothing) {
  glColor4f(0.5f, 0.25f, 0.75f, 1.0f);
  DrawText(FontForHandle(0), "abc", 10, 10, -1, false, 1, 0, 0, 1);
  DrawText(nullptr, "abc", 10, 10, -1, true, 1, 0, 0, 1);
  EXPECT_TRUE(AllBlack(0, 0, 60, 40));
  EXPECT_EQ(CurrentColor(), (std::array<float, 4>{0.5f, 0.25f, 0.75f, 1.0f})) << "nothing was even set up";
}

TEST_F(TextDrawTest, ColouredTextThenTheColourIsWhiteAgain) {
  DrawText(&RoundFont(), "ax", 10, 10, -1, false, 1, 0, 0, 1);
  EXPECT_EQ(PixelAt(15, 20), kRed);
  EXPECT_EQ(PixelAt(25, 20), kBlack) << "green page times red is black";
  EXPECT_EQ(PixelAt(10, 20), kBlack) << "left of the picture";
  EXPECT_EQ(PixelAt(15, 11), kBlack) << "above the picture";
  EXPECT_EQ(CurrentColor(), (std::array<float, 4>{1, 1, 1, 1}));

  glClear(GL_COLOR_BUFFER_BIT);
  DrawText(&RoundFont(), "ax\nxa", 10, 10, -1, false, 1, 1, 1, 1);
  EXPECT_EQ(PixelAt(15, 20), kWhite);
  EXPECT_EQ(PixelAt(25, 20), kGreen);
  EXPECT_EQ(PixelAt(15, 40), kGreen);
  EXPECT_EQ(PixelAt(25, 40), kWhite);
}

TEST_F(TextDrawTest, CentringUsesTheWidestLineHalvedAsAnInteger) {
  struct Case {
    const char* text;
    bool centred;
    int left;  // first lit column
  } cases[] = {
      {"W", true, 150},     // 101 / 2 = 50
      {"V", true, 150},     // 100 / 2 = 50
      {"W", false, 200},
      {"a\nW", true, 151},  // every line starts at the block's left edge
  };
  for (const Case& c : cases) {
    glClear(GL_COLOR_BUFFER_BIT);
    DrawText(&RoundFont(), c.text, 200, 10, -1, c.centred, 1, 1, 1, 1);
    EXPECT_EQ(PixelAt(c.left, 20), kWhite) << c.text;
    EXPECT_EQ(PixelAt(c.left - 1, 20), kBlack) << c.text;
  }
}

TEST_F(TextDrawTest, ABoxQueuedBeforeTheTextCoversIt) {
  FillPipe(0, 0, 0, 1, 1, 20, 20, 30, 30, 0);
  DrawText(&RoundFont(), "a", 10, 10, -1, false, 1, 0, 0, 1);
  EXPECT_EQ(PixelAt(15, 20), kRed) << "the text reaches GL at once";
  FlushBatches();
  EXPECT_EQ(PixelAt(15, 20), kBlue);
}

TEST_F(TextDrawTest, EmptyTextDrawsNothingAndResetsTheColour) {
  const GLuint marker = 4242;  // a name no texture has: binding it makes it
  glBindTexture(GL_TEXTURE_2D, marker);
  glColor4f(0.5f, 0.5f, 0.5f, 1.0f);
  DrawText(&RoundFont(), "", 10, 10, -1, false, 1, 0, 0, 1);
  DrawText(&RoundFont(), "\t\n\n", 10, 10, 0, false, 1, 0, 0, 1);
  EXPECT_TRUE(AllBlack(0, 0, 60, 60));
  EXPECT_EQ(CurrentColor(), (std::array<float, 4>{1, 1, 1, 1}));
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, static_cast<GLint>(marker)) << "no page was bound";
  glBindTexture(GL_TEXTURE_2D, 0);
}

TEST_F(TextDrawTest, EachPageIsDrawnWholeBeforeTheNext) {
  // A kerning of -10 puts a (white page 0) exactly over x (green page 1).
  // Page 0 is drawn first, so x, earlier in the text, ends up on top.
  Font font = RoundFont();
  SetKerning(*font.glyphs['x'], 'a', -10);
  DrawText(&font, "xa", 10, 10, -1, false, 1, 1, 1, 1);
  EXPECT_EQ(PixelAt(15, 20), kGreen);
  glClear(GL_COLOR_BUFFER_BIT);
  SetKerning(*font.glyphs['a'], 'x', -10);
  DrawText(&font, "ax", 10, 10, -1, false, 1, 1, 1, 1);
  EXPECT_EQ(PixelAt(15, 20), kGreen);
}

TEST_F(TextDrawTest, MoreQuadsOnOnePageThanSixteenBitIndicesReach) {
  // 2 x 16384 pictureless quads, then a visible one in the third index run.
  const std::string text = std::string(2 * kQuadsPerDraw, '.') + "a";
  DrawText(&RoundFont(), text, 10, 10, -1, false, 1, 0, 0, 1);
  EXPECT_EQ(PixelAt(15, 20), kRed);
}
