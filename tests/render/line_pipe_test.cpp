#include "render/line_pipe.h"

#include <gtest/gtest.h>

#include "render/quad_pipe.h"
#include "render_test_support.h"

namespace {

using LinePipeTest = RenderTest;

void Segment(double width, float y = 50.5f) { FillLinePipe(10, y, 100, y, width, 1, 1, 1, 1, 1, 1, 1, 1); }

TEST_F(LinePipeTest, RedToBlueSegmentShowsAGradient) {
  FillLinePipe(20, 50.5, 300, 50.5, 1, 1, 0, 0, 1, 0, 0, 1, 1);
  FlushBatches();
  const Rgba left = PixelAt(30, 50), middle = PixelAt(160, 50), right = PixelAt(290, 50);
  EXPECT_GT(left[0], 200) << Show(left);
  EXPECT_LT(left[2], 40) << Show(left);
  EXPECT_GT(right[2], 200) << Show(right);
  EXPECT_LT(right[0], 40) << Show(right);
  EXPECT_GT(middle[0], 90) << Show(middle);
  EXPECT_GT(middle[2], 90) << Show(middle);
}

TEST_F(LinePipeTest, PendingLinesAreDrawnOverPendingBoxes) {
  // The line is added before the box and still ends up on top.
  FillLinePipe(60, 100.5, 140, 100.5, 5, 0, 1, 0, 1, 0, 1, 0, 1);
  FillPipe(0, 1, 0, 0, 1, 100, 100, 40, 40, 0);
  FlushBatches();
  EXPECT_EQ(PixelAt(100, 100), (Rgba{0, 255, 0, 255}));
  EXPECT_EQ(PixelAt(100, 110), (Rgba{255, 0, 0, 255}));
}

TEST_F(LinePipeTest, WidthIsComparedBeforeTruncation) {
  struct Case {
    double width;
    int32_t storedWidth;
    int32_t pendingAfterSecond;  // 2: batched together, 1: flushed between
  };
  const Case cases[] = {{1.0, 1, 2}, {3.0, 3, 2}, {2.5, 2, 1}, {-0.5, 0, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    FlushBatches();
    Segment(c.width);
    Segment(c.width);
    EXPECT_EQ(linePipe.width, c.storedWidth);
    EXPECT_EQ(linePipe.count, c.pendingAfterSecond);
  }
  FlushBatches();
  EXPECT_EQ(linePipe.width, 0) << "a flush keeps the width";
}

TEST_F(LinePipeTest, WidthChangeDrawsEarlierSegmentsAtTheirOwnWidth) {
  FillLinePipe(20, 50.5, 300, 50.5, 1, 1, 1, 1, 1, 1, 1, 1, 1);
  FillLinePipe(20, 150.5, 300, 150.5, 1, 1, 1, 1, 1, 1, 1, 1, 1);
  FillLinePipe(20, 100.5, 300, 100.5, 9, 1, 1, 1, 1, 1, 1, 1, 1);
  EXPECT_EQ(linePipe.count, 1);
  FlushBatches();
  // The thin lines cover one row, the thick one several.
  EXPECT_EQ(PixelAt(160, 53)[0], 0);
  EXPECT_EQ(PixelAt(160, 147)[0], 0);
  EXPECT_GT(PixelAt(160, 103)[0], 200);
  EXPECT_GT(PixelAt(160, 97)[0], 200);
}

TEST_F(LinePipeTest, FullBatchIsFlushedByTheNextSegment) {
  Segment(1);
  FlushBatches();
  for (int i = 0; i < kLinePipeCapacity; ++i) Segment(1);
  EXPECT_EQ(linePipe.count, kLinePipeCapacity);
  EXPECT_EQ(linePipe.indices[2 * kLinePipeCapacity - 1], static_cast<uint32_t>(2 * kLinePipeCapacity - 1));
  FillLinePipe(1, 2, 3, 4, 1, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(linePipe.count, 1);
  EXPECT_EQ(linePipe.vertices[3], 4.0f);
  EXPECT_EQ(linePipe.indices[1], 1u);
}

TEST_F(LinePipeTest, DrawLineReadsThirteenArguments) {
  RunScript("DrawLine(1, 2, 3, 4, 1, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 'ignored')");
  ASSERT_EQ(linePipe.count, 1);
  const float vertices[4] = {1, 2, 3, 4};
  const float colors[8] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(linePipe.vertices[i], vertices[i]);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(linePipe.colors[i], colors[i]);
  EXPECT_EQ(lua_gettop(L_), 0);
}

}  // namespace
