#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "shader_target_helpers.h"

namespace {

using RenderTargets = ShaderTargetTest;

// Fills texture `index` of a target with one colour through the QuadPipe.
void FillTargetTexture(int32_t handle, int index, float r, float g, float b) {
  BindRenderTarget(handle, index);
  QueueBox(kTestWindowWidth / 2.0, kTestWindowHeight / 2.0, kTestWindowWidth, kTestWindowHeight, r, g, b);
  UnbindRenderTarget(handle);
}

std::array<GLint, 4> Viewport() {
  std::array<GLint, 4> viewport{};
  glGetIntegerv(GL_VIEWPORT, viewport.data());
  return viewport;
}

const std::array<GLint, 4> kWindowViewport = {0, 0, kTestWindowWidth, kTestWindowHeight};

struct TargetSize {
  int width;
  int height;
};

class TargetRoundTrip : public RenderTargets, public ::testing::WithParamInterface<TargetSize> {};

TEST_P(TargetRoundTrip, BoxesComeOutUprightAndInPlace) {
  const int32_t target = MakeRenderTarget(GetParam().width, GetParam().height, 1);
  ASSERT_EQ(target, 1);
  BindRenderTarget(target, 0);
  QueueBox(60, 40, 80, 40, 1, 0, 0);    // top left
  QueueBox(250, 190, 80, 60, 0, 0, 1);  // bottom right
  UnbindRenderTarget(target);
  EXPECT_EQ(PixelAt(60, 40), kBlack) << "the boxes went into the target, not the window";

  DrawRenderTarget(target, 0);
  EXPECT_EQ(PixelAt(60, 40), kRed);
  EXPECT_EQ(PixelAt(250, 190), kBlue);
  EXPECT_EQ(PixelAt(250, 40), kBlack);
  EXPECT_EQ(PixelAt(60, 190), kBlack);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(Sizes, TargetRoundTrip,
                         ::testing::Values(TargetSize{320, 240}, TargetSize{160, 120}, TargetSize{640, 480}),
                         [](const ::testing::TestParamInfo<TargetSize>& info) {
                           return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

TEST_F(RenderTargets, SixTexturesRequestedGiveFourAttachments) {
  QueueBox(100, 100, 20, 20, 1, 1, 1);
  const int32_t handle = MakeRenderTarget(640, 480, 6);
  EXPECT_EQ(PixelAt(100, 100), kBlack) << "making a target does not flush";
  EXPECT_EQ(GetInteger(GL_FRAMEBUFFER_BINDING_EXT), 0) << "the window's framebuffer is bound again";

  const RenderTarget* target = FindRenderTarget(handle);
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(target->textureCount, 4);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, target->framebuffer);
  for (int k = 0; k < 4; ++k) {
    GLint type = 0, name = 0;
    glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT + k,
                                             GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_EXT, &type);
    glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT + k,
                                             GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT, &name);
    EXPECT_EQ(type, GL_TEXTURE) << "attachment " << k;
    EXPECT_EQ(static_cast<GLuint>(name), target->textures[k]) << "attachment " << k;
    glBindTexture(GL_TEXTURE_2D, target->textures[k]);
    GLint width = 0, height = 0, format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_EQ(format, GL_RGBA8);
  }
  GLint fifthType = -1;
  glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT4_EXT,
                                           GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE_EXT, &fifthType);
  EXPECT_EQ(fifthType, GL_NONE);
  EXPECT_EQ(glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE_EXT));
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderTargets, EleventhTargetIsRefused) {
  for (int handle = 1; handle <= kRenderTargetTableCapacity; ++handle) {
    EXPECT_EQ(MakeRenderTarget(8, 8, handle % 2), handle);
  }
  GLuint next = 0;
  glGenFramebuffersEXT(1, &next);
  EXPECT_EQ(MakeRenderTarget(8, 8, 1), 0);
  EXPECT_EQ(renderTargetTable.count, kRenderTargetTableCapacity);
  GLuint after = 0;
  glGenFramebuffersEXT(1, &after);
  EXPECT_EQ(after, next + 1) << "no framebuffer was made for the refused target";
}

TEST_F(RenderTargets, BindFlushesClearsTheWindowThenClearsTheTarget) {
  const int32_t target = MakeRenderTarget(160, 120, 2);
  FillTargetTexture(target, 1, 0, 1, 0);
  ASSERT_EQ(TargetPixelAt(target, 1, 80, 60), kGreen);

  QueueBox(100, 100, 40, 40, 1, 0, 0);
  BindRenderTarget(target, 1);
  // Emptied, yet neither in the target nor in the window afterwards: the box
  // reached the window before its clear.
  EXPECT_EQ(quadPipe.count, 0) << "the bind flushed the pending box";

  EXPECT_EQ(GetInteger(GL_FRAMEBUFFER_BINDING_EXT), static_cast<GLint>(FindRenderTarget(target)->framebuffer));
  EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 160, 120}));
  EXPECT_EQ(GetInteger(GL_DRAW_BUFFER), GL_COLOR_ATTACHMENT1_EXT);
  FlushBatches();
  for (auto [x, y] : {std::pair{0, 0}, {50, 50}, {80, 60}, {159, 119}}) {
    EXPECT_EQ(TargetPixelAt(target, 1, x, y), kBlack) << "texel " << x << ", " << y;
  }

  UnbindRenderTarget(target);
  EXPECT_EQ(PixelAt(100, 100), kBlack) << "the window was cleared after the box reached it";
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderTargets, UnbindRestoresTheWindowWhateverTheHandle) {
  const int32_t target = MakeRenderTarget(100, 50, 1);
  for (int32_t handle : {target, 0, -1, 7, 1 << 30}) {
    BindRenderTarget(target, 0);
    ASSERT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 100, 50}));
    QueueBox(160, 120, 320, 240, 1, 1, 0);
    UnbindRenderTarget(handle);
    EXPECT_EQ(Viewport(), kWindowViewport) << "handle " << handle;
    EXPECT_EQ(GetInteger(GL_FRAMEBUFFER_BINDING_EXT), 0) << "handle " << handle;
    EXPECT_EQ(TargetPixelAt(target, 0, 50, 25), kYellow) << "the box was flushed into the target";
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderTargets, FullScreenQuadKeepsTheCallersMatricesAndGoesThroughTheShader) {
  const int32_t target = MakeRenderTarget(32, 32, 1);
  FillTargetTexture(target, 0, 0, 1, 0);
  glTranslatef(100.0f, 50.0f, 0.0f);
  GLfloat projection[16], modelview[16], projectionAfter[16], modelviewAfter[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);

  DrawRenderTarget(target, 0);
  for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 239}, {319, 239}, {160, 120}}) {
    EXPECT_EQ(PixelAt(x, y), kGreen) << "pixel " << x << ", " << y;
  }
  glGetFloatv(GL_PROJECTION_MATRIX, projectionAfter);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelviewAfter);
  EXPECT_EQ(std::vector<GLfloat>(projection, projection + 16), std::vector<GLfloat>(projectionAfter, projectionAfter + 16));
  EXPECT_EQ(std::vector<GLfloat>(modelview, modelview + 16), std::vector<GLfloat>(modelviewAfter, modelviewAfter + 16));
  EXPECT_EQ(GetInteger(GL_MATRIX_MODE), GL_MODELVIEW);

  const int32_t swap = LoadShader(WriteShaderFile("swap", "uniform sampler2D image;\n"
                                                           "void main()\n"
                                                           "{\n"
                                                           "gl_FragColor = texture2D(image, gl_TexCoord[0].st).grba;\n"
                                                           "}\n")
                                      .c_str());
  SetShader(swap);
  DrawRenderTarget(target, 0);
  SetShader(0);
  EXPECT_EQ(PixelAt(160, 120), kRed) << "drawn through the selected shader";
}

// Two-texture shader: unit 0 and the unit named by `second` are added up.
std::string SumShader(const char* name) {
  return WriteShaderFile(name, "uniform sampler2D first;\n"
                               "uniform sampler2D second;\n"
                               "void main()\n"
                               "{\n"
                               "vec2 uv = gl_TexCoord[0].st;\n"
                               "gl_FragColor = vec4((texture2D(first, uv) + texture2D(second, uv)).rgb, 1.0);\n"
                               "}\n");
}

// Red in the top half of texture 0 of one target, blue in the left half of
// texture 1 of another, green in the right half of texture 0 of a third.
struct ThreeTargets {
  int32_t top, left, right;
};

ThreeTargets MakeThreeTargets() {
  ThreeTargets t{MakeRenderTarget(320, 240, 1), MakeRenderTarget(320, 240, 2), MakeRenderTarget(320, 240, 1)};
  BindRenderTarget(t.top, 0);
  QueueBox(160, 60, 320, 120, 1, 0, 0);
  UnbindRenderTarget(t.top);
  BindRenderTarget(t.left, 1);
  QueueBox(80, 120, 160, 240, 0, 0, 1);
  UnbindRenderTarget(t.left);
  BindRenderTarget(t.right, 0);
  QueueBox(240, 120, 160, 240, 0, 1, 0);
  UnbindRenderTarget(t.right);
  glClear(GL_COLOR_BUFFER_BIT);
  return t;
}

GLint BindingOnUnit(int unit) {
  glActiveTextureARB(GL_TEXTURE0_ARB + unit);
  const GLint name = GetInteger(GL_TEXTURE_BINDING_2D);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  return name;
}

bool EnabledOnUnit(int unit) {
  glActiveTextureARB(GL_TEXTURE0_ARB + unit);
  const bool enabled = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
  glActiveTextureARB(GL_TEXTURE0_ARB);
  return enabled;
}

TEST_F(RenderTargets, DrawRenderTargetsCombinesUnitsZeroAndOne) {
  const ThreeTargets t = MakeThreeTargets();
  const int32_t sum = LoadShader(SumShader("sum").c_str());
  SetShader(sum);
  SetShaderParami(sum, "second", 1);
  DrawRenderTargets({{t.top, 0}, {t.left, 1}, {0, 0}, {0, 0}});
  SetShader(0);

  EXPECT_EQ(PixelAt(60, 40), kMagenta);
  EXPECT_EQ(PixelAt(260, 40), kRed);
  EXPECT_EQ(PixelAt(60, 200), kBlue);
  EXPECT_EQ(PixelAt(260, 200), kBlack);
  EXPECT_EQ(GetInteger(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);
  EXPECT_TRUE(EnabledOnUnit(0));
  EXPECT_EQ(BindingOnUnit(0), static_cast<GLint>(FindRenderTarget(t.top)->textures[0]));
  for (int unit = 1; unit <= 3; ++unit) EXPECT_FALSE(EnabledOnUnit(unit)) << "unit " << unit;
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderTargets, FourthPairGoesOnUnitThreeOnlyWhenTheThirdHandleIsZero) {
  const ThreeTargets t = MakeThreeTargets();
  const GLint right = static_cast<GLint>(FindRenderTarget(t.right)->textures[0]);
  const GLint left = static_cast<GLint>(FindRenderTarget(t.left)->textures[1]);
  GLuint sentinel = 0;
  glGenTextures(1, &sentinel);
  auto resetUnits = [&] {
    for (int unit = 2; unit <= 3; ++unit) {
      glActiveTextureARB(GL_TEXTURE0_ARB + unit);
      glBindTexture(GL_TEXTURE_2D, sentinel);
    }
    glActiveTextureARB(GL_TEXTURE0_ARB);
  };

  // Third handle 0: the fourth pair is bound on unit 3 and a shader sees it there.
  const int32_t sum = LoadShader(SumShader("sum3").c_str());
  SetShader(sum);
  SetShaderParami(sum, "second", 3);
  resetUnits();
  DrawRenderTargets({{t.top, 0}, {t.left, 1}, {0, 0}, {t.right, 0}});
  SetShader(0);
  EXPECT_EQ(BindingOnUnit(3), right);
  EXPECT_EQ(BindingOnUnit(2), static_cast<GLint>(sentinel));
  EXPECT_EQ(PixelAt(60, 40), kRed);
  EXPECT_EQ(PixelAt(260, 40), kYellow);
  EXPECT_EQ(PixelAt(260, 200), kGreen);
  EXPECT_EQ(PixelAt(60, 200), kBlack);

  // All four handles: the first three pairs go on units 0 to 2, unit 3 is left alone.
  resetUnits();
  DrawRenderTargets({{t.top, 0}, {t.left, 1}, {t.right, 0}, {t.left, 1}});
  EXPECT_EQ(BindingOnUnit(1), left);
  EXPECT_EQ(BindingOnUnit(2), right);
  EXPECT_EQ(BindingOnUnit(3), static_cast<GLint>(sentinel));
  for (int unit = 1; unit <= 3; ++unit) EXPECT_FALSE(EnabledOnUnit(unit)) << "unit " << unit;
  EXPECT_EQ(GetInteger(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Calls whose handle names no target or whose index is outside 0..3: only
// the flush happens. `t` is a target with one texture filled green.
struct NoTargetCase {
  const char* name;
  void (*call)(int32_t t);
};

class CallsNamingNoTarget : public RenderTargets, public ::testing::WithParamInterface<NoTargetCase> {};

TEST_P(CallsNamingNoTarget, OnlyFlush) {
  const int32_t t = MakeRenderTarget(32, 32, 1);
  FillTargetTexture(t, 0, 0, 1, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  QueueBox(100, 100, 20, 20, 1, 1, 1);
  GetParam().call(t);
  EXPECT_EQ(PixelAt(100, 100), kWhite) << "the pending box was flushed";
  EXPECT_EQ(PixelAt(250, 200), kBlack) << "nothing else was drawn";
  EXPECT_EQ(GetInteger(GL_FRAMEBUFFER_BINDING_EXT), 0);
  EXPECT_EQ(Viewport(), kWindowViewport);
  EXPECT_EQ(GetInteger(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CallsNamingNoTarget,
    ::testing::Values(
        NoTargetCase{"BindZero", [](int32_t) { BindRenderTarget(0, 0); }},
        NoTargetCase{"BindNegative", [](int32_t) { BindRenderTarget(-1, 0); }},
        NoTargetCase{"BindAboveCount", [](int32_t t) { BindRenderTarget(t + 1, 0); }},
        NoTargetCase{"BindAboveTen", [](int32_t) { BindRenderTarget(11, 0); }},
        NoTargetCase{"BindIndexFour", [](int32_t t) { BindRenderTarget(t, 4); }},
        NoTargetCase{"BindIndexNegative", [](int32_t t) { BindRenderTarget(t, -1); }},
        NoTargetCase{"DrawZero", [](int32_t) { DrawRenderTarget(0, 0); }},
        NoTargetCase{"DrawAboveCount", [](int32_t t) { DrawRenderTarget(t + 1, 0); }},
        NoTargetCase{"DrawIndexFour", [](int32_t t) { DrawRenderTarget(t, 4); }},
        NoTargetCase{"DrawsFirstHandleZero", [](int32_t t) { DrawRenderTargets({{0, 0}, {t, 0}, {0, 0}, {0, 0}}); }},
        NoTargetCase{"DrawsSecondHandleNegative",
                     [](int32_t t) { DrawRenderTargets({{t, 0}, {-1, 0}, {0, 0}, {0, 0}}); }},
        NoTargetCase{"DrawsThirdHandleNegative",
                     [](int32_t t) { DrawRenderTargets({{t, 0}, {t, 0}, {-2, 0}, {0, 0}}); }},
        NoTargetCase{"DrawsFourthAboveTen", [](int32_t t) { DrawRenderTargets({{t, 0}, {t, 0}, {0, 0}, {11, 0}}); }},
        NoTargetCase{"DrawsIndexOutside", [](int32_t t) { DrawRenderTargets({{t, 0}, {t, 9}, {0, 0}, {0, 0}}); }}),
    [](const ::testing::TestParamInfo<NoTargetCase>& info) { return std::string(info.param.name); });

}  // namespace
