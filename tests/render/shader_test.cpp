#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "render/line_pipe.h"
#include "shader_target_helpers.h"

namespace {

const char* const kMagentaFragment =
    "void main()\n"
    "{\n"
    "gl_FragColor = vec4(1.0, 0.0, 1.0, 1.0);\n"
    "}\n";

// Green shows the float parameter: level 1 gives 64, level 2 gives 128.
const char* const kLevelFragment =
    "uniform float level;\n"
    "void main()\n"
    "{\n"
    "gl_FragColor = vec4(0.0, level * 0.25, 1.0, 1.0);\n"
    "}\n";

const char* const kModeFragment =
    "uniform int mode;\n"
    "void main()\n"
    "{\n"
    "if (mode == 1) gl_FragColor = vec4(1.0, 0.0, 0.0, 1.0);\n"
    "else gl_FragColor = vec4(0.0, 0.0, 1.0, 1.0);\n"
    "}\n";

GLint ProgramInUse() { return GetInteger(GL_CURRENT_PROGRAM); }

using Shaders = ShaderTargetTest;

TEST_F(Shaders, UniformColourShaderRepaintsBoxes) {
  const int32_t magenta = LoadShader(WriteShaderFile("magenta", kMagentaFragment).c_str());
  ASSERT_EQ(magenta, 1);

  QueueBox(60, 60, 40, 40, 1, 1, 1);
  SetShader(magenta);
  QueueBox(200, 60, 40, 40, 1, 1, 1);
  SetShader(0);
  QueueBox(200, 180, 40, 40, 1, 1, 1);
  FlushBatches();

  EXPECT_EQ(PixelAt(60, 60), kWhite) << "drawn before the shader was selected";
  EXPECT_EQ(PixelAt(200, 60), kMagenta) << "drawn under the shader";
  EXPECT_EQ(PixelAt(200, 180), kWhite) << "drawn after the fixed pipeline came back";
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Shaders, FloatParameterReachesGLOnlyAtTheFlush) {
  const int32_t level = LoadShader(WriteShaderFile("level", kLevelFragment).c_str());
  SetShader(level);
  SetShaderParamf(level, "level", 1.0f);
  QueueBox(80, 120, 40, 40, 1, 1, 1);
  SetShaderParamf(level, "level", 2.0f);
  QueueBox(240, 120, 40, 40, 1, 1, 1);
  FlushBatches();

  for (int x : {80, 240}) {
    const Rgba pixel = PixelAt(x, 120);
    EXPECT_NEAR(pixel[1], 128, 2) << "box at x " << x << " " << ::testing::PrintToString(pixel);
    EXPECT_EQ(pixel[2], 255);
  }

  // With a flush between the two settings each box keeps its own value.
  SetShaderParamf(level, "level", 1.0f);
  QueueBox(80, 40, 20, 20, 1, 1, 1);
  FlushBatches();
  SetShaderParamf(level, "level", 2.0f);
  QueueBox(240, 40, 20, 20, 1, 1, 1);
  FlushBatches();
  EXPECT_NEAR(PixelAt(80, 40)[1], 64, 2);
  EXPECT_NEAR(PixelAt(240, 40)[1], 128, 2);
}

TEST_F(Shaders, IntegerParameterSelectsBranch) {
  const int32_t mode = LoadShader(WriteShaderFile("mode", kModeFragment).c_str());
  SetShader(mode);
  SetShaderParami(mode, "mode", 1);
  QueueBox(80, 120, 40, 40, 1, 1, 1);
  FlushBatches();
  SetShaderParami(mode, "mode", 0);
  QueueBox(240, 120, 40, 40, 1, 1, 1);
  FlushBatches();
  EXPECT_EQ(PixelAt(80, 120), kRed);
  EXPECT_EQ(PixelAt(240, 120), kBlue);
}

TEST_F(Shaders, SelectingTheCurrentHandleDoesNotFlush) {
  const int32_t magenta = LoadShader(WriteShaderFile("magenta", kMagentaFragment).c_str());
  SetShader(magenta);
  QueueBox(100, 100, 20, 20, 1, 1, 1);
  SetShader(magenta);
  EXPECT_EQ(PixelAt(100, 100), kBlack) << "the box must still be pending";
  FlushBatches();
  EXPECT_EQ(PixelAt(100, 100), kMagenta);
}

TEST_F(Shaders, MinusOneFromZeroFlushesBothBatchesAndSelectsFixedPipeline) {
  const int32_t magenta = LoadShader(WriteShaderFile("magenta", kMagentaFragment).c_str());
  ASSERT_EQ(currentShader, 0);
  // A program put in use behind the table's back shows which pipeline the
  // pending box and line were drawn with, and that -1 leaves the program.
  glUseProgramObjectARB(FindShaderProgram(magenta)->program);
  SetShader(0);
  QueueBox(100, 100, 20, 20, 1, 1, 1);
  FillLinePipe(200, 50, 200, 150, 3, 1, 1, 1, 1, 1, 1, 1, 1);
  EXPECT_EQ(PixelAt(100, 100), kBlack) << "SetShader(0) with 0 selected must not flush";

  SetShader(-1);
  EXPECT_EQ(PixelAt(100, 100), kMagenta) << "box flushed before the switch";
  EXPECT_EQ(PixelAt(200, 100), kMagenta) << "line flushed before the switch";
  EXPECT_EQ(ProgramInUse(), 0);
  EXPECT_EQ(currentShader, -1);

  // -1 is now the selection: selecting it again does not flush, 0 does.
  QueueBox(250, 200, 20, 20, 1, 1, 1);
  SetShader(-1);
  EXPECT_EQ(PixelAt(250, 200), kBlack);
  SetShader(0);
  EXPECT_EQ(PixelAt(250, 200), kWhite);
}

TEST_F(Shaders, EleventhLoadReturnsZeroSilently) {
  const std::string path = WriteShaderFile("magenta", kMagentaFragment);
  for (int handle = 1; handle <= kShaderTableCapacity; ++handle) EXPECT_EQ(LoadShader(path.c_str()), handle);
  const GLhandleARB lastProgram = FindShaderProgram(kShaderTableCapacity)->program;

  ::testing::internal::CaptureStdout();
  EXPECT_EQ(LoadShader(path.c_str()), 0);
  EXPECT_EQ(LoadShader("no/such/file.shader"), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(shaderTable.count, kShaderTableCapacity);
  // No GL object was made for the refused loads.
  EXPECT_EQ(glCreateProgramObjectARB(), lastProgram + 1);
}

TEST_F(Shaders, MissingFileIsReportedAndStillTakesAHandle) {
  const int32_t magenta = LoadShader(WriteShaderFile("magenta", kMagentaFragment).c_str());
  ::testing::internal::CaptureStdout();
  const int32_t missing = LoadShader("no/such/file.shader");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Shader (no/such/file.shader), Could not load\n");
  EXPECT_EQ(missing, magenta + 1);
  EXPECT_EQ(FindShaderProgram(missing)->program, 0u);

  // Its handle selects the fixed-function pipeline; its parameters go nowhere.
  SetShader(magenta);
  SetShader(missing);
  SetShaderParamf(missing, "level", 1.0f);
  QueueBox(100, 100, 20, 20, 1, 1, 1);
  FlushBatches();
  EXPECT_EQ(PixelAt(100, 100), kWhite);
  EXPECT_EQ(ProgramInUse(), 0);
}

TEST_F(Shaders, EveryLinkPrintsOneInfoLine) {
  const std::string good = WriteShaderFile("magenta", kMagentaFragment);
  const std::string broken = WriteShaderFile("broken", "void main() { gl_FragColor = nothing; }\n");

  ::testing::internal::CaptureStdout();
  EXPECT_EQ(LoadShader(good.c_str()), 1);
  const std::string goodOutput = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(goodOutput.rfind("Shader (" + good + "), GLSL Info: ", 0), 0u) << goodOutput;
  EXPECT_EQ(CountOccurrences(goodOutput, "Shader ("), 1);
  EXPECT_EQ(goodOutput.back(), '\n');

  ::testing::internal::CaptureStdout();
  EXPECT_EQ(LoadShader(broken.c_str()), 2) << "a shader that does not compile still gets its handle";
  const std::string brokenOutput = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(brokenOutput.rfind("Shader (" + broken + "), GLSL Info: ", 0), 0u) << brokenOutput;
  EXPECT_EQ(CountOccurrences(brokenOutput, "Shader ("), 1);
  EXPECT_GT(brokenOutput.size(), ("Shader (" + broken + "), GLSL Info: \n").size()) << "the link log is printed";
}

TEST_F(Shaders, HandlesNamingNoRecordDoNothing) {
  const int32_t level = LoadShader(WriteShaderFile("level", kLevelFragment).c_str());
  SetShader(level);
  SetShaderParamf(level, "level", 1.0f);
  const GLhandleARB program = FindShaderProgram(level)->program;
  const GLint location = glGetUniformLocationARB(program, "level");

  QueueBox(100, 100, 20, 20, 1, 1, 1);
  for (int32_t handle : {level + 1, kShaderTableCapacity, kShaderTableCapacity + 1, 1 << 30}) {
    SetShader(handle);
    EXPECT_EQ(currentShader, level) << "handle " << handle;
    EXPECT_EQ(ProgramInUse(), static_cast<GLint>(program)) << "handle " << handle;
    SetShaderParamf(handle, "level", 3.0f);
    SetShaderParami(handle, "level", 3);
  }
  for (int32_t handle : {0, -1, -100}) {
    SetShaderParamf(handle, "level", 3.0f);
    SetShaderParami(handle, "level", 3);
  }
  EXPECT_EQ(PixelAt(100, 100), kBlack) << "no flush for a handle that names no record";
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "no GL call with a program that does not exist";
  GLfloat value = 0.0f;
  glGetUniformfvARB(program, location, &value);
  EXPECT_EQ(value, 1.0f);
}

TEST(ShadersInTheHost, ScriptFunctionsReachTheTableInRegistryOrder) {
  HostRunOptions options;
  options.files["res/shaders/magenta.shader"] = std::string(kPassVertexSection) + "[fragment]\n" + kMagentaFragment;
  const HostRunResult run = RunHost(R"(
    OpenWindow(64, 48)
    local handles = {}
    handles[1] = LoadShader("res/shaders/magenta.shader")
    for i = 2, 11 do handles[i] = LoadShader("res/missing.shader") end
    print("handles " .. table.concat(handles, " "))
    SetShader(handles[1])
    SetShaderParamf(handles[1], "level", 2)
    SetShaderParami(handles[1], "mode", 1)
    SetShader(0)
    os.exit(0)
  )", options);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.output.rfind("Shader (res/shaders/magenta.shader), GLSL Info: ", 0), 0u) << run.output;
  EXPECT_EQ(CountOccurrences(run.output, "Shader (res/missing.shader), Could not load\n"), 9);
  EXPECT_NE(run.output.find("handles 1 2 3 4 5 6 7 8 9 10 0\n"), std::string::npos) << run.output;
}

}  // namespace

namespace {

// The demo's glow shaders are plain shader files of this host: they must
// compile with an empty log and the blur must spread light sideways only.
TEST_F(Shaders, DemoGlowShadersCompileAndBlur) {
  for (const char* name : {"res/shaders/glow_blur.shader", "res/shaders/glow_combine.shader"}) {
    const std::string path = SourcePath(name);
    ::testing::internal::CaptureStdout();
    EXPECT_GT(LoadShader(path.c_str()), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Shader (" + path + "), GLSL Info: \n");
  }
  const int32_t blur = 1;
  const int32_t target = MakeRenderTarget(kTestWindowWidth, kTestWindowHeight, 1);
  BindRenderTarget(target, 0);
  QueueBox(160, 120, 8, 8, 1, 1, 1);
  UnbindRenderTarget(target);

  SetShader(blur);
  SetShaderParamf(blur, "stepX", 2.0f / kTestWindowWidth);
  SetShaderParamf(blur, "stepY", 0.0f);
  DrawRenderTarget(target, 0);
  SetShader(0);
  const Rgba centre = PixelAt(160, 120);
  const Rgba beside = PixelAt(166, 120);
  EXPECT_LT(centre[0], 255) << "the centre gives light away";
  EXPECT_GT(beside[0], 0) << "light reaches beyond the box's edge";
  EXPECT_EQ(PixelAt(160, 126), kBlack) << "a blur across does not spread downwards";
}

}  // namespace
