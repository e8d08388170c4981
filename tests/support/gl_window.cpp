#include "gl_window.h"

#include <ostream>

#include "window/window.h"

bool EnsureTestWindow() {
  static const bool opened = [] {
    InitWindowing();
    return OpenWindow(kTestWindowWidth, kTestWindowHeight);
  }();
  return opened;
}

Rgba PixelAt(int x, int y) {
  unsigned char pixel[4] = {0, 0, 0, 0};
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, kTestWindowHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  return Rgba{{pixel[0], pixel[1], pixel[2], pixel[3]}};
}

void GLWindowTest::SetUp() {
  ASSERT_TRUE(EnsureTestWindow()) << "no GL context (is DISPLAY set? run under xvfb-run)";
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

std::ostream& operator<<(std::ostream& out, const Rgba& pixel) {
  return out << "(" << pixel[0] << ", " << pixel[1] << ", " << pixel[2] << ", " << pixel[3] << ")";
}
