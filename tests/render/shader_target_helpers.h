#pragma once
// Shared by the shader and render-target GL tests: shader files on disk, pixel
// reads from a target's texture, and a fixture that starts each test with
// empty tables, the fixed-function pipeline and empty batches.
#include <unistd.h>

#include <string>

#include "gl_window.h"
#include "host_runner.h"
#include "render/flush.h"
#include "render/quad_pipe.h"
#include "render/render_target.h"
#include "render/shader_program.h"

// Passes the vertex colour and texture coordinate on; used by every test shader.
inline const char* const kPassVertexSection =
    "[vertex]\n"
    "void main()\n"
    "{\n"
    "gl_Position = ftransform();\n"
    "gl_FrontColor = gl_Color;\n"
    "gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "}\n";

// Writes a shader file into the test's temp directory and returns its path.
inline std::string WriteShaderFile(const std::string& name, const std::string& fragmentSection) {
  const std::string path =
      ::testing::TempDir() + "strobe_" + std::to_string(getpid()) + "_" + name + ".shader";
  WriteFile(path, std::string(kPassVertexSection) + "[fragment]\n" + fragmentSection);
  return path;
}

// Reads texel (x, y) of texture `index` of a target, counted from the top row
// as drawn under the window projection (a target's top row is its last row).
inline Rgba TargetPixelAt(int32_t handle, int index, int x, int y) {
  const RenderTarget* target = FindRenderTarget(handle);
  GLint previous = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &previous);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, target->framebuffer);
  glReadBuffer(GL_COLOR_ATTACHMENT0_EXT + index);
  unsigned char pixel[4] = {0, 0, 0, 0};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, target->height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, previous);
  glReadBuffer(previous == 0 ? GL_BACK : GL_COLOR_ATTACHMENT0_EXT);
  return {pixel[0], pixel[1], pixel[2], pixel[3]};
}

// A box of one colour, untextured, through the QuadPipe (pending until a flush).
inline void QueueBox(double x, double y, double width, double height, float r, float g, float b) {
  FillPipe(0, r, g, b, 1.0f, x, y, width, height, 0.0);
}

inline GLint GetInteger(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

class ShaderTargetTest : public GLWindowTest {
 protected:
  void SetUp() override {
    GLWindowTest::SetUp();
    FlushBatches();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    CreateShaderTable();
    CreateRenderTargetTable();
    glUseProgramObjectARB(0);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    while (glGetError() != GL_NO_ERROR) {
    }
  }
};

constexpr Rgba kBlack = {0, 0, 0, 255};
constexpr Rgba kWhite = {255, 255, 255, 255};
constexpr Rgba kRed = {255, 0, 0, 255};
constexpr Rgba kGreen = {0, 255, 0, 255};
constexpr Rgba kBlue = {0, 0, 255, 255};
constexpr Rgba kMagenta = {255, 0, 255, 255};
constexpr Rgba kYellow = {255, 255, 0, 255};
