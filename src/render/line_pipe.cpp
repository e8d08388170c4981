#include "render/line_pipe.h"

#include "host/script_args.h"
#include "profiler/profile_manager.h"

LinePipe linePipe = {1, 0, {}, {}, {}};

namespace {

PROFILE_ZONE(fillZone, "FillLinePipe");
PROFILE_ZONE(flushSimpleZone, "FlushLinePipeSimple");
PROFILE_ZONE(flushAdvancedZone, "FlushLinePipeAdvanced");

void DrawSingleSegment() {
  const float* color = linePipe.colors;
  const float* vertex = linePipe.vertices;
  glBegin(GL_LINES);
  glColor4f(color[0], color[1], color[2], color[3]);
  glVertex2f(vertex[0], vertex[1]);
  glColor4f(color[4], color[5], color[6], color[7]);
  glVertex2f(vertex[2], vertex[3]);
  glEnd();
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void DrawSegmentArrays() {
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(2, GL_FLOAT, 0, linePipe.vertices);
  glColorPointer(4, GL_FLOAT, 0, linePipe.colors);
  glDrawElements(GL_LINES, 2 * linePipe.count, GL_UNSIGNED_INT, linePipe.indices);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}

}  // namespace

void FillLinePipe(double x1, double y1, double x2, double y2, double width, float r1, float g1, float b1,
                  float a1, float r2, float g2, float b2, float a2) {
  // Compared before truncation: a fractional width never matches the stored
  // whole number, so each such segment is flushed as a batch of its own.
  if (width != static_cast<double>(linePipe.width) || linePipe.count >= kLinePipeCapacity) {
    FlushLinePipe();
    linePipe.width = TruncateToInt32(width);
  }
  // The early flush above stays outside the zone, under whatever zone is current.
  profileManager.enterZone(fillZone);

  const int first = 2 * linePipe.count;
  float* vertex = linePipe.vertices + 2 * first;
  float* color = linePipe.colors + 4 * first;
  vertex[0] = static_cast<float>(x1);
  vertex[1] = static_cast<float>(y1);
  vertex[2] = static_cast<float>(x2);
  vertex[3] = static_cast<float>(y2);
  color[0] = r1;
  color[1] = g1;
  color[2] = b1;
  color[3] = a1;
  color[4] = r2;
  color[5] = g2;
  color[6] = b2;
  color[7] = a2;
  linePipe.indices[first] = static_cast<uint32_t>(first);
  linePipe.indices[first + 1] = static_cast<uint32_t>(first + 1);
  ++linePipe.count;
  profileManager.leaveZone();
}

void FlushLinePipe() {
  if (linePipe.count == 0) return;
  // A width that truncates below 1 is drawn one pixel wide: GL refuses such a
  // width and would keep whatever width was set before.
  glLineWidth(static_cast<float>(linePipe.width < 1 ? 1 : linePipe.width));
  // Segments are untextured; the QuadPipe binds its own texture again.
  glBindTexture(GL_TEXTURE_2D, 0);
  profileManager.enterZone(linePipe.count == 1 ? flushSimpleZone : flushAdvancedZone);
  if (linePipe.count == 1) {
    DrawSingleSegment();
  } else {
    DrawSegmentArrays();
  }
  profileManager.leaveZone();
  linePipe.count = 0;
}
