// The window's GL defaults and projection in a real context, and key and mouse
// polling driven by real X input events.
#include <GL/glew.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <string>

#include "gl_window.h"
#include "host_runner.h"
#include "window/window.h"
#include "x11_window.h"

namespace {

class WindowDefaults : public GLWindowTest {};

TEST_F(WindowDefaults, GLStateAfterOpenWindow) {
  GLint value = 0;
  glGetIntegerv(GL_SHADE_MODEL, &value);
  EXPECT_EQ(value, GL_SMOOTH);
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ(clear[0], 0.0f);
  EXPECT_EQ(clear[1], 0.0f);
  EXPECT_EQ(clear[2], 0.0f);
  EXPECT_EQ(clear[3], 1.0f);
  GLfloat depthClear = 0;
  glGetFloatv(GL_DEPTH_CLEAR_VALUE, &depthClear);
  EXPECT_EQ(depthClear, 1.0f);
  glGetIntegerv(GL_DEPTH_FUNC, &value);
  EXPECT_EQ(value, GL_LEQUAL);
  glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &value);
  EXPECT_EQ(value, GL_NICEST);
  glGetIntegerv(GL_LINE_SMOOTH_HINT, &value);
  EXPECT_EQ(value, GL_NICEST);
  glGetIntegerv(GL_BLEND_SRC, &value);
  EXPECT_EQ(value, GL_SRC_ALPHA);
  glGetIntegerv(GL_BLEND_DST, &value);
  EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
  glGetIntegerv(GL_CULL_FACE_MODE, &value);
  EXPECT_EQ(value, GL_BACK);
  glGetIntegerv(GL_FRONT_FACE, &value);
  EXPECT_EQ(value, GL_CCW);
  GLfloat lineWidth = 0;
  glGetFloatv(GL_LINE_WIDTH, &lineWidth);
  EXPECT_EQ(lineWidth, 1.0f);
  for (GLenum capability : {GL_DEPTH_TEST, GL_BLEND, GL_CULL_FACE, GL_TEXTURE_2D, GL_LINE_SMOOTH})
    EXPECT_TRUE(glIsEnabled(capability)) << std::hex << capability;
  glGetIntegerv(GL_MATRIX_MODE, &value);
  EXPECT_EQ(value, GL_MODELVIEW);
}

TEST_F(WindowDefaults, ProjectionMapsWindowPixelsWithYDown) {
  GLfloat projection[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  // glOrtho(0, w, h, 0, -1, 1), column-major.
  EXPECT_FLOAT_EQ(projection[0], 2.0f / kTestWindowWidth);
  EXPECT_FLOAT_EQ(projection[5], -2.0f / kTestWindowHeight);
  EXPECT_FLOAT_EQ(projection[10], -1.0f);
  EXPECT_FLOAT_EQ(projection[12], -1.0f);
  EXPECT_FLOAT_EQ(projection[13], 1.0f);
}

// Draws an untextured red quad through the given corners in window pixels.
void DrawRedQuad(const float (&corners)[4][2]) {
  glDisable(GL_TEXTURE_2D);
  glColor4f(1, 0, 0, 1);
  glBegin(GL_QUADS);
  for (const auto& corner : corners) glVertex2f(corner[0], corner[1]);
  glEnd();
  glColor4f(1, 1, 1, 1);
  glEnable(GL_TEXTURE_2D);
}

TEST_F(WindowDefaults, CornersOfTheClientAreaAreTopLeftOriginAndWidthHeight) {
  DrawRedQuad({{2, 2}, {2, 0}, {0, 0}, {0, 2}});
  const float w = kTestWindowWidth;
  const float h = kTestWindowHeight;
  DrawRedQuad({{w, h}, {w, h - 2}, {w - 2, h - 2}, {w - 2, h}});
  EXPECT_EQ(PixelAt(0, 0), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(PixelAt(2, 2), (Rgba{0, 0, 0, 255}));
  EXPECT_EQ(PixelAt(kTestWindowWidth - 1, kTestWindowHeight - 1), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(PixelAt(kTestWindowWidth - 3, kTestWindowHeight - 3), (Rgba{0, 0, 0, 255}));
}

TEST_F(WindowDefaults, ScreenCounterClockwiseRectangleIsDrawnAndTheReverseIsCulled) {
  // Bottom-right, top-right, top-left, bottom-left in window coordinates.
  DrawRedQuad({{60, 60}, {60, 40}, {40, 40}, {40, 60}});
  DrawRedQuad({{140, 60}, {120, 60}, {120, 40}, {140, 40}});
  EXPECT_EQ(PixelAt(50, 50), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(PixelAt(130, 50), (Rgba{0, 0, 0, 255}));
}

struct KeyNameCase {
  const char* name;
  unsigned long length;
  int code;
};

TEST(KeyCodes, FirstByteNamesThePrintableKey) {
  const KeyNameCase cases[] = {
      {"a", 1, 'A'},  {"A", 1, 'A'},  {"Space", 5, 'S'}, {" ", 1, 32},    {"", 0, 0},      {"z", 1, 'Z'},
      {"1", 1, '1'},  {";", 1, ';'},  {"[", 1, '['},     {"\x80", 1, 0},  {"\xff", 1, 0},  {"\t", 1, 0},
      {"\0a", 2, 0},  {"`", 1, '`'},  {"{", 1, '{'},
  };
  for (const KeyNameCase& c : cases) EXPECT_EQ(KeyCodeForName(c.name, c.length), c.code) << "'" << c.name << "'";
}

// The script prints its key and mouse view whenever it changes; the test holds
// real keys and buttons down through XTEST.
const char* kInputScript = R"(
OpenWindow(200, 150)
function initialize() end
local last = ''
local started
function update(time)
  started = started or time
  local x, y, left, right = GetMouse()
  local line = string.format('a=%s A=%s Space=%s s=%s blank=%s empty=%s high=%s mouse=%d,%d,%s,%s',
    tostring(GetKey('a')), tostring(GetKey('A')), tostring(GetKey('Space')), tostring(GetKey('s')),
    tostring(GetKey(' ')), tostring(GetKey('')), tostring(GetKey('\200')), x, y, tostring(left), tostring(right))
  if line ~= last then print(line) last = line end
  if time - started > 6 then os.exit(0) end
end
)";

TEST(Input, KeysAndMouseFollowRealEvents) {
  // Other tests' windows would take the keyboard focus on a shared display.
  PrivateXServer server;
  ASSERT_FALSE(server.display().empty());
  HostRunOptions options;
  options.timeoutSeconds = 15;
  options.environment.push_back({"DISPLAY", server.display()});
  options.whileRunning = [&server](pid_t pid) {
    X11Session x11(server.display());
    if (!x11.waitForWindowOf(pid)) return;
    x11.focus();
    x11.movePointer(0, 0);
    SleepSeconds(0.3);
    for (unsigned long key : {XK_a, XK_s, XK_space}) {
      x11.key(key, true);
      SleepSeconds(0.3);
      x11.key(key, false);
      SleepSeconds(0.3);
    }
    x11.movePointer(17, 23);
    x11.button(1, true);
    x11.button(3, true);
    SleepSeconds(0.3);
    x11.button(1, false);
    x11.button(3, false);
    SleepSeconds(0.3);
    x11.requestClose();
  };
  const HostRunResult run = RunHost(kInputScript, options);
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const std::string off = "empty=false high=false";
  EXPECT_NE(run.output.find("a=true A=true Space=false s=false blank=false " + off + " mouse=0,0,false,false"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("a=false A=false Space=true s=true blank=false " + off), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("a=false A=false Space=false s=false blank=true " + off), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("mouse=17,23,true,true"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("empty=true"), std::string::npos);
  EXPECT_EQ(run.output.find("high=true"), std::string::npos);
}

}  // namespace
