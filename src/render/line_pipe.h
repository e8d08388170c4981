#pragma once
// The LinePipe: one process-wide batch of untextured line segments with a
// colour at each end.
#include <GL/glew.h>

#include <cstdint>

constexpr int kLinePipeCapacity = 5000;

// End point k (0 or 1) of segment i is element 2i + k of every array.
struct LinePipe {
  int32_t width;  // line width of the pending segments; 1 at start, kept across flushes
  int32_t count;  // pending segments
  float vertices[kLinePipeCapacity * 2 * 2];
  float colors[kLinePipeCapacity * 2 * 4];
  uint32_t indices[kLinePipeCapacity * 2];
};

// Static storage; never allocated.
extern LinePipe linePipe;

// Appends a segment from (x1, y1) to (x2, y2). Flushes first when `width`
// differs from the pending width (compared before truncation, so 2.5 always
// differs) or the batch is full; the width then becomes `width` truncated.
void FillLinePipe(double x1, double y1, double x2, double y2, double width, float r1, float g1, float b1,
                  float a1, float r2, float g2, float b2, float a2);

// Draws the pending segments at the pending width without a texture and
// empties the batch. An empty batch makes no GL call.
void FlushLinePipe();
