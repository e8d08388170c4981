#include "render/quad_pipe.h"

#include <gtest/gtest.h>

#include <cmath>

#include "render_test_support.h"

namespace {

constexpr Rgba kBlack = {0, 0, 0, 255};
constexpr Rgba kRed = {255, 0, 0, 255};

struct PixelCase {
  int x, y;
  bool covered;
};

void ExpectCoverage(const std::vector<PixelCase>& cases, const Rgba& colour) {
  for (const PixelCase& c : cases) {
    EXPECT_EQ(PixelAt(c.x, c.y), c.covered ? colour : kBlack) << "at (" << c.x << ", " << c.y << ")";
  }
}

using QuadPipeTest = RenderTest;

TEST_F(QuadPipeTest, BoxCornersRunBottomRightTopRightTopLeftBottomLeft) {
  FillPipe(0, 1, 0, 0, 1, 100, 100, 40, 20, 0);
  ASSERT_EQ(quadPipe.count, 1);
  const float expected[8] = {120, 110, 120, 90, 80, 90, 80, 110};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(quadPipe.vertices[i], expected[i]) << "coordinate " << i;
  const float texCoords[8] = {1, 1, 1, 0, 0, 0, 0, 1};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(quadPipe.texCoords[i], texCoords[i]) << "tex coordinate " << i;
  for (int k = 0; k < 4; ++k) EXPECT_EQ(quadPipe.indices[k], static_cast<uint32_t>(k));

  FlushBatches();
  EXPECT_EQ(quadPipe.count, 0);
  ExpectCoverage({{81, 91, true}, {118, 108, true}, {100, 100, true}, {79, 100, false}, {121, 100, false},
                  {100, 88, false}, {100, 111, false}},
                 kRed);
}

TEST_F(QuadPipeTest, NinetyDegreesTurnsTheBoxUpright) {
  FillPipe(0, 1, 0, 0, 1, 100, 100, 40, 20, 90);
  FlushBatches();
  ExpectCoverage({{100, 81, true}, {100, 118, true}, {91, 100, true}, {108, 100, true}, {85, 100, false},
                  {114, 100, false}, {100, 78, false}, {100, 121, false}},
                 kRed);
}

TEST_F(QuadPipeTest, PositiveAngleTurnsClockwiseOnScreen) {
  // A long thin bar turned by 45 degrees clockwise runs from top-left to
  // bottom-right on screen (y grows downwards).
  FillPipe(0, 1, 0, 0, 1, 100, 100, 80, 4, 45);
  FlushBatches();
  ExpectCoverage({{80, 80, true}, {120, 120, true}, {120, 80, false}, {80, 120, false}}, kRed);
}

TEST_F(QuadPipeTest, RotatedCornersFollowTheRotationFormulaExactly) {
  // Every corner offset (dx, dy) becomes (c*dx - s*dy, s*dx + c*dy) in 32-bit
  // floats, with s and c rounded to floats, then the centre is added.
  const double angles[] = {30.0, 90.0, -45.0, 123.4, 1e-9, 720.5};
  const double x = 100.25, y = 60.75, width = 40.0, height = 21.0;
  for (double angle : angles) {
    SCOPED_TRACE(angle);
    FlushBatches();
    FillPipe(0, 1, 1, 1, 1, x, y, width, height, angle);
    const double radians = angle * 3.14159265358979323846 / 180.0;
    const float s = static_cast<float>(std::sin(radians)), c = static_cast<float>(std::cos(radians));
    const float hw = static_cast<float>(width * 0.5), hh = static_cast<float>(height * 0.5);
    const float dx[4] = {hw, hw, -hw, -hw}, dy[4] = {hh, -hh, -hh, hh};
    for (int k = 0; k < 4; ++k) {
      const float rx = c * dx[k] - s * dy[k], ry = s * dx[k] + c * dy[k];
      EXPECT_EQ(quadPipe.vertices[2 * k], static_cast<float>(x + rx)) << "corner " << k;
      EXPECT_EQ(quadPipe.vertices[2 * k + 1], static_cast<float>(y + ry)) << "corner " << k;
    }
  }
}

TEST_F(QuadPipeTest, OneNegativeExtentIsCulledBothNegativeIsDrawn) {
  FillPipe(0, 1, 0, 0, 1, 100, 100, -40, 20, 0);
  FillPipe(0, 1, 0, 0, 1, 200, 100, 40, -20, 0);
  FlushBatches();
  EXPECT_EQ(PixelAt(100, 100), kBlack);
  EXPECT_EQ(PixelAt(200, 100), kBlack);

  FillPipe(0, 1, 0, 0, 1, 100, 100, -40, -20, 0);
  FlushBatches();
  EXPECT_EQ(PixelAt(100, 100), kRed);
}

TEST_F(QuadPipeTest, BatchIsFlushedByTheBoxAfterAFullOne) {
  for (int i = 0; i < kQuadPipeCapacity; ++i) FillPipe(0, 1, 0, 0, 1, 10, 10, 2, 2, 0);
  EXPECT_EQ(quadPipe.count, kQuadPipeCapacity);
  FillPipe(0, 1, 0, 0, 1, 100, 100, 40, 20, 0);
  EXPECT_EQ(quadPipe.count, 1);
  EXPECT_EQ(quadPipe.vertices[0], 120.0f);
  EXPECT_EQ(quadPipe.indices[3], 3u);
}

TEST_F(QuadPipeTest, ATextureChangeFlushesAndTheTextureOutlivesTheFlush) {
  FillPipe(0, 1, 0, 0, 1, 10, 10, 2, 2, 0);
  FillPipe(0, 1, 0, 0, 1, 10, 10, 2, 2, 0);
  FillPipe(7, 1, 0, 0, 1, 10, 10, 2, 2, 0);
  EXPECT_EQ(quadPipe.count, 1);
  EXPECT_EQ(quadPipe.texture, 7u);
  FlushBatches();
  EXPECT_EQ(quadPipe.texture, 7u);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 7);
}

TEST_F(QuadPipeTest, ManyBoxesOfOneColourGoOutTogetherInTheirOwnColours) {
  // Several quads take the vertex-array path, which carries a colour per corner.
  FillPipe(0, 0, 1, 0, 1, 50, 50, 20, 20, 0);
  FillPipe(0, 0, 0, 1, 1, 150, 50, 20, 20, 30);
  FillPipe(0, 1, 1, 0, 1, 250, 50, 20, 20, 0);
  FlushBatches();
  EXPECT_EQ(PixelAt(50, 50), (Rgba{0, 255, 0, 255}));
  EXPECT_EQ(PixelAt(150, 50), (Rgba{0, 0, 255, 255}));
  EXPECT_EQ(PixelAt(250, 50), (Rgba{255, 255, 0, 255}));
}

TEST_F(QuadPipeTest, ScriptTextureNumberIsTruncatedAndZeroMeansUntextured) {
  // A 1x1 green texture under the name 2.
  const unsigned char green[4] = {0, 255, 0, 255};
  glBindTexture(GL_TEXTURE_2D, 2);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, green);

  RunScript("DrawBox(100, 100, 40, 20, 0, 2.9)");
  EXPECT_EQ(quadPipe.texture, 2u);
  RunScript("DrawBoxWithColor(200, 100, 40, 20, 0, 0, 1, 0, 1, 1)");
  EXPECT_EQ(quadPipe.texture, 0u);
  FlushBatches();
  EXPECT_EQ(PixelAt(100, 100), (Rgba{0, 255, 0, 255}));
  EXPECT_EQ(PixelAt(200, 100), (Rgba{255, 0, 255, 255}));
}

TEST_F(QuadPipeTest, BindingsTakeArgumentsByPositionAndLeaveTheStackSound) {
  // Missing arguments read as 0; extra ones are ignored.
  RunScript(
      "DrawBoxWithColor(100, 100, 40, 20, 0, 0, 1, 0, 0)\n"  // alpha missing: 0
      "DrawBox(10, 10, 4, 4, 0, 0, 'extra', 'args')\n"
      "local a, b = DrawBox(), 5\n"
      "assert(a == nil and b == 5)");
  EXPECT_EQ(lua_gettop(L_), 0);
  ASSERT_EQ(quadPipe.count, 3);
  EXPECT_EQ(quadPipe.colors[3], 0.0f);             // alpha of the first box
  EXPECT_EQ(quadPipe.colors[16 + 0], 1.0f);        // DrawBox is white
  EXPECT_EQ(quadPipe.vertices[16], 0.0f);          // DrawBox() is a point at 0, 0
}

}  // namespace
