#include "render/quad_pipe.h"

#include <cmath>
#include <cstring>

#include "profiler/profile_manager.h"

QuadPipe quadPipe;

namespace {

// Corners in the order bottom-right, top-right, top-left, bottom-left (y grows
// downwards): counter-clockwise in normalised device coordinates, so a box
// with positive extents faces the viewer and survives back-face culling.
// Offsets are (+hw, +hh), (+hw, -hh), (-hw, -hh), (-hw, +hh); t = 0 is the
// top edge, where an image's first row goes.
constexpr int kCornerS[4] = {1, 1, 0, 0};
constexpr int kCornerT[4] = {1, 0, 0, 1};
constexpr float kCornerTexCoords[8] = {1, 1, 1, 0, 0, 0, 0, 1};

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

PROFILE_ZONE(fillZone, "FillPipe");
PROFILE_ZONE(flushSimpleZone, "FlushPipeSimple");
PROFILE_ZONE(flushAdvancedZone, "FlushPipeAdvanced");

void DrawSingleQuad() {
  const float* color = quadPipe.colors;
  glColor4f(color[0], color[1], color[2], color[3]);
  glBegin(GL_QUADS);
  for (int k = 0; k < 4; ++k) {
    glTexCoord2i(kCornerS[k], kCornerT[k]);
    glVertex2f(quadPipe.vertices[2 * k], quadPipe.vertices[2 * k + 1]);
  }
  glEnd();
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void DrawQuadArrays() {
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(2, GL_FLOAT, 0, quadPipe.vertices);
  glColorPointer(4, GL_FLOAT, 0, quadPipe.colors);
  glTexCoordPointer(2, GL_FLOAT, 0, quadPipe.texCoords);
  glDrawElements(GL_QUADS, 4 * quadPipe.count, GL_UNSIGNED_INT, quadPipe.indices);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}

}  // namespace

void FillPipe(uint32_t texture, float red, float green, float blue, float alpha, double x, double y,
              double width, double height, double angle) {
  if (texture != quadPipe.texture || quadPipe.count >= kQuadPipeCapacity) {
    FlushPipe();
    quadPipe.texture = texture;
  }
  // The early flush above stays outside the zone, under whatever zone is current.
  profileManager.enterZone(fillZone);

  const float hw = static_cast<float>(width * 0.5);
  const float hh = static_cast<float>(height * 0.5);
  // Offsets of corners 0 and 1; corners 2 and 3 are their negations, which
  // is exact in floating point, so only two corners need computing.
  float dx0 = hw, dy0 = hh, dx1 = hw, dy1 = -hh;
  if (angle != 0.0) {
    const double radians = angle * kRadiansPerDegree;
    const float s = static_cast<float>(std::sin(radians));
    const float c = static_cast<float>(std::cos(radians));
    const float cw = c * hw, sw = s * hw, ch = c * hh, sh = s * hh;
    dx0 = cw - sh, dy0 = sw + ch;  // (c*hw - s*hh, s*hw + c*hh)
    dx1 = cw + sh, dy1 = sw - ch;  // (c*hw - s*(-hh), s*hw + c*(-hh))
  }
  const float dx[4] = {dx0, dx1, -dx0, -dx1};
  const float dy[4] = {dy0, dy1, -dy0, -dy1};

  const int first = 4 * quadPipe.count;
  float* vertex = quadPipe.vertices + 2 * first;
  float* color = quadPipe.colors + 4 * first;
  uint32_t* index = quadPipe.indices + first;
  for (int k = 0; k < 4; ++k) {
    vertex[2 * k] = static_cast<float>(x + dx[k]);
    vertex[2 * k + 1] = static_cast<float>(y + dy[k]);
    color[4 * k] = red;
    color[4 * k + 1] = green;
    color[4 * k + 2] = blue;
    color[4 * k + 3] = alpha;
    index[k] = static_cast<uint32_t>(first + k);
  }
  std::memcpy(quadPipe.texCoords + 2 * first, kCornerTexCoords, sizeof kCornerTexCoords);
  ++quadPipe.count;
  profileManager.leaveZone();
}

void FlushPipe() {
  if (quadPipe.count == 0) return;
  glBindTexture(GL_TEXTURE_2D, quadPipe.texture);
  profileManager.enterZone(quadPipe.count == 1 ? flushSimpleZone : flushAdvancedZone);
  if (quadPipe.count == 1) {
    DrawSingleQuad();
  } else {
    DrawQuadArrays();
  }
  profileManager.leaveZone();
  quadPipe.count = 0;
}
