// The overlay step in a real GL context: it updates before it lays out the
// report, draws at (25, 25) in white, and draws nothing without a font.
#include <gtest/gtest.h>

#include "gl_window.h"
#include "host_runner.h"
#include "profiler/overlay.h"
#include "profiler/profile_manager.h"
#include "text/font_table.h"

namespace {

PROFILE_ZONE(someWork, "SomeWork");

// Lit pixels in the rows [top, bottom) of the test window.
int LitPixels(int top, int bottom, int left = 0) {
  int lit = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < kTestWindowWidth; ++x)
      if (PixelAt(x, y)[0] > 128) ++lit;
  return lit;
}

class OverlayTest : public GLWindowTest {
 protected:
  void TearDown() override {
    FreeFont(defaultFont);
    defaultFont = nullptr;
  }
};

TEST_F(OverlayTest, FirstFrameDrawsTheCallTreeAtItsPlace) {
  defaultFont = LoadFontFile(SourcePath("res/font/consolas-20.fnt").c_str(), SourcePath("res/font/").c_str());
  ASSERT_NE(defaultFont, nullptr);
  const int line = defaultFont->lineHeight;
  ASSERT_GT(line, 0);
  // A zone has run but nothing has updated yet: a report built before the
  // overlay's own update would be the one-line "must first be updated" message.
  profileManager.enterZone(someWork);
  profileManager.leaveZone();
  RunProfilerOverlay();

  EXPECT_EQ(LitPixels(0, 25), 0) << "nothing above y = 25";
  EXPECT_EQ(LitPixels(25, kTestWindowHeight, 0) - LitPixels(25, kTestWindowHeight, 25), 0) << "nothing left of x = 25";
  EXPECT_GT(LitPixels(25, 25 + line), 50) << "the header row";
  EXPECT_GT(LitPixels(25 + line, 25 + 2 * line), 50) << "a second row: the tree, not a one-line message";
  EXPECT_GT(LitPixels(25 + 2 * line, 25 + 3 * line), 50) << "the SomeWork row";
  // Texels are drawn in white.
  bool white = false;
  for (int y = 25; y < 25 + line && !white; ++y)
    for (int x = 25; x < kTestWindowWidth && !white; ++x) white = PixelAt(x, y) == Rgba{{255, 255, 255, 255}};
  EXPECT_TRUE(white);
}

TEST_F(OverlayTest, WithoutDefaultFontNothingIsDrawn) {
  ASSERT_EQ(defaultFont, nullptr);
  profileManager.enterZone(someWork);
  profileManager.leaveZone();
  RunProfilerOverlay();
  EXPECT_EQ(LitPixels(0, kTestWindowHeight), 0);
}

}  // namespace
