// The exact GL calls of the shader and render-target functions, recorded from
// the real host with apitrace's GLX wrapper.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host_runner.h"

namespace {

const char* const kGlxTraceWrapper = "/usr/lib/x86_64-linux-gnu/apitrace/wrappers/glxtrace.so";

const char* const kPassShader =
    "[vertex]\n"
    "void main()\n"
    "{\n"
    "gl_Position = ftransform();\n"
    "gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "}\n"
    "[fragment]\n"
    "uniform sampler2D image;\n"
    "void main()\n"
    "{\n"
    "gl_FragColor = texture2D(image, gl_TexCoord[0].st);\n"
    "}\n";

// Runs the host on `mainLua` under the tracer; returns every traced GL call
// as "name(arguments) = result", without its call number.
std::vector<std::string> TraceHost(const std::string& mainLua, HostRunOptions options, HostRunResult& run) {
  const std::string trace = ::testing::TempDir() + "strobe_calls_" + std::to_string(getpid()) + ".trace";
  unlink(trace.c_str());
  options.files["res/pass.shader"] = kPassShader;
  options.environment.push_back({"LD_PRELOAD", kGlxTraceWrapper});
  options.environment.push_back({"TRACE_FILE", trace});
  run = RunHost(mainLua, options);

  std::vector<std::string> calls;
  if (access(trace.c_str(), R_OK) != 0) return calls;  // no GL call at all
  FILE* dump = popen(("apitrace dump --color=never '" + trace + "' 2>/dev/null").c_str(), "r");
  std::string line;
  for (int c = fgetc(dump); c != EOF; c = fgetc(dump)) {
    if (c != '\n') {
      line += static_cast<char>(c);
      continue;
    }
    const size_t space = line.find(' ');
    if (!line.empty() && isdigit(static_cast<unsigned char>(line[0])) && space != std::string::npos) {
      calls.push_back(line.substr(space + 1));
    }
    line.clear();
  }
  pclose(dump);
  unlink(trace.c_str());
  return calls;
}

std::string NameOf(const std::string& call) { return call.substr(0, call.find('(')); }

// The calls between the marker uniform lookups for `from` and `to` (a script
// marks a place with SetShaderParami(shader, "<name>", 0)).
std::vector<std::string> Between(const std::vector<std::string>& calls, const std::string& from,
                                 const std::string& to) {
  std::vector<std::string> segment;
  bool inside = false;
  for (size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].find("name = \"" + from + "\"") != std::string::npos) {
      inside = true;
      ++i;  // the marker's own glUniform1iARB
      continue;
    }
    if (calls[i].find("name = \"" + to + "\"") != std::string::npos) break;
    if (inside) segment.push_back(calls[i]);
  }
  return segment;
}

// The values after "<key> = " in the calls named `name`, in call order.
std::vector<std::string> ValuesOf(const std::vector<std::string>& calls, const std::string& name,
                                  const std::string& key) {
  std::vector<std::string> values;
  for (const std::string& call : calls) {
    if (NameOf(call) != name) continue;
    const size_t at = call.find(key + " = ");
    if (at == std::string::npos) continue;
    const size_t start = at + key.size() + 3;
    values.push_back(call.substr(start, call.find_first_of(",)", start) - start));
  }
  return values;
}

std::vector<std::string> Names(const std::vector<std::string>& calls) {
  std::vector<std::string> names;
  for (const std::string& call : calls) names.push_back(NameOf(call));
  return names;
}

class GLCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(kGlxTraceWrapper, R_OK) != 0) GTEST_SKIP() << "apitrace is not installed";
  }
};

const std::vector<std::string> kFullScreenQuad = {
    "glMatrixMode(mode = GL_PROJECTION)", "glPushMatrix()", "glLoadIdentity()",
    "glOrtho(left = 0, right = 1, bottom = 1, top = 0, zNear = -1, zFar = 1)",
    "glMatrixMode(mode = GL_MODELVIEW)", "glPushMatrix()", "glLoadIdentity()",
    "glBegin(mode = GL_QUADS)",
    "glTexCoord2f(s = 1, t = 0)", "glVertex2i(x = 1, y = 1)",
    "glTexCoord2f(s = 1, t = 1)", "glVertex2i(x = 1, y = 0)",
    "glTexCoord2f(s = 0, t = 1)", "glVertex2i(x = 0, y = 0)",
    "glTexCoord2f(s = 0, t = 0)", "glVertex2i(x = 0, y = 1)",
    "glEnd()",
    "glMatrixMode(mode = GL_PROJECTION)", "glPopMatrix()", "glMatrixMode(mode = GL_MODELVIEW)", "glPopMatrix()"};

TEST_F(GLCalls, RenderTargetCallsInOrder) {
  HostRunResult run;
  const std::vector<std::string> calls = TraceHost(R"(
    OpenWindow(320, 240)
    local shader = LoadShader("res/pass.shader")
    local function mark(name) SetShaderParami(shader, name, 0) end
    local a = MakeRenderTarget(160, 120, 2)
    local b = MakeRenderTarget(32, 32, 1)
    function update()
      DrawBoxWithColor(100, 100, 40, 40, 0, 0, 1, 0, 0, 1)
      mark("bind")
      BindRenderTarget(a, 1)
      mark("unbind")
      UnbindRenderTarget(7)
      mark("draw")
      DrawRenderTarget(b, 0)
      mark("units")
      DrawRenderTargets(a, 0, a, 1, 0, 0, b, 0)
      mark("end")
      os.exit(0)
    end
  )", {}, run);
  ASSERT_FALSE(calls.empty()) << run.output << run.errors;

  const std::vector<std::string> bind = Between(calls, "bind", "unbind");
  const std::vector<std::string> bindAfterFlush = {
      "glClear(mask = GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT)", "glLoadIdentity()",
      "glBindFramebufferEXT(target = GL_FRAMEBUFFER, framebuffer = 1)", "glPushAttrib(mask = GL_VIEWPORT_BIT)",
      "glViewport(x = 0, y = 0, width = 160, height = 120)", "glDrawBuffer(mode = GL_COLOR_ATTACHMENT1)",
      "glClear(mask = GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT)", "glLoadIdentity()"};
  ASSERT_GT(bind.size(), bindAfterFlush.size());
  EXPECT_EQ(NameOf(bind.front()), "glBindTexture") << "the pending box is flushed first";
  EXPECT_EQ(std::vector<std::string>(bind.end() - bindAfterFlush.size(), bind.end()), bindAfterFlush);
  EXPECT_EQ(Names(std::vector<std::string>(bind.begin(), bind.end() - bindAfterFlush.size())),
            (std::vector<std::string>{"glBindTexture", "glColor4f", "glBegin", "glTexCoord2i", "glVertex2f",
                                      "glTexCoord2i", "glVertex2f", "glTexCoord2i", "glVertex2f", "glTexCoord2i",
                                      "glVertex2f", "glEnd", "glColor4f"}));

  EXPECT_EQ(Between(calls, "unbind", "draw"),
            (std::vector<std::string>{"glPopAttrib()", "glBindFramebufferEXT(target = GL_FRAMEBUFFER, framebuffer = 0)"}));

  // Target a's two textures, then target b's, as attached when they were made.
  const std::vector<std::string> textures = ValuesOf(calls, "glFramebufferTexture2DEXT", "texture");
  ASSERT_EQ(textures.size(), 3u);
  const std::string bindA0 = "glBindTexture(target = GL_TEXTURE_2D, texture = " + textures[0] + ")";
  const std::string bindA1 = "glBindTexture(target = GL_TEXTURE_2D, texture = " + textures[1] + ")";
  const std::string bindB0 = "glBindTexture(target = GL_TEXTURE_2D, texture = " + textures[2] + ")";
  std::vector<std::string> draw = {bindB0};
  draw.insert(draw.end(), kFullScreenQuad.begin(), kFullScreenQuad.end());
  EXPECT_EQ(Between(calls, "draw", "units"), draw);

  std::vector<std::string> units = {
      bindA0,
      "glActiveTextureARB(texture = GL_TEXTURE1)", "glEnable(cap = GL_TEXTURE_2D)",
      bindA1,
      "glActiveTextureARB(texture = GL_TEXTURE3)", "glEnable(cap = GL_TEXTURE_2D)",
      bindB0};
  units.insert(units.end(), kFullScreenQuad.begin(), kFullScreenQuad.end());
  units.insert(units.end(), {"glDisable(cap = GL_TEXTURE_2D)", "glActiveTextureARB(texture = GL_TEXTURE2)",
                             "glDisable(cap = GL_TEXTURE_2D)", "glActiveTextureARB(texture = GL_TEXTURE1)",
                             "glDisable(cap = GL_TEXTURE_2D)", "glActiveTextureARB(texture = GL_TEXTURE0)"});
  EXPECT_EQ(Between(calls, "units", "end"), units);
}

TEST_F(GLCalls, ShaderCallsInOrder) {
  HostRunResult run;
  const std::vector<std::string> calls = TraceHost(R"(
    OpenWindow(64, 48)
    local shader = LoadShader("res/pass.shader")
    local function mark(name) SetShaderParami(shader, name, 0) end
    function update()
      mark("same")
      DrawBox(10, 10, 4, 4, 0, 0)
      SetShader(0)
      mark("select")
      SetShader(shader)
      mark("params")
      SetShaderParamf(shader, "image", 2.5)
      SetShaderParami(99, "image", 1)
      mark("fixed")
      DrawLine(0, 0, 10, 10, 1, 1, 1, 1, 1, 1, 1, 1, 1)
      SetShader(-1)
      mark("end")
      os.exit(0)
    end
  )", {}, run);
  ASSERT_FALSE(calls.empty()) << run.output << run.errors;
  const std::vector<std::string> programs = ValuesOf(calls, "glCreateProgramObjectARB", "");
  ASSERT_EQ(programs.size(), 1u);
  const std::string program = programs[0];

  EXPECT_EQ(Between(calls, "same", "select"), std::vector<std::string>{}) << "SetShader(0) with 0 selected";
  const std::vector<std::string> select = Between(calls, "select", "params");
  ASSERT_FALSE(select.empty());
  EXPECT_EQ(NameOf(select.front()), "glBindTexture") << "the pending box is flushed first";
  EXPECT_EQ(select.back(), "glUseProgramObjectARB(programObj = " + program + ")");
  EXPECT_EQ(Between(calls, "params", "fixed"),
            (std::vector<std::string>{"glGetUniformLocationARB(programObj = " + program + ", name = \"image\") = 0",
                                      "glUniform1fARB(location = 0, v0 = 2.5)"}))
      << "the second call names no record and makes no GL call";
  const std::vector<std::string> fixed = Between(calls, "fixed", "end");
  ASSERT_FALSE(fixed.empty());
  EXPECT_EQ(NameOf(fixed.front()), "glLineWidth") << "the pending line is flushed first";
  EXPECT_EQ(fixed.back(), "glUseProgramObjectARB(programObj = 0)");
}

TEST_F(GLCalls, NothingReachesGLBeforeTheWindow) {
  const std::string beforeWindow = R"(
    print("before", LoadShader("res/pass.shader"), MakeRenderTarget(64, 64, 2))
    SetShader(1)
    SetShaderParami(1, "image", 1)
    SetShaderParamf(1, "image", 2)
    BindRenderTarget(1, 0)
    UnbindRenderTarget(1)
    DrawRenderTarget(1, 0)
    DrawRenderTargets(1, 0, 1, 0, 1, 0, 1, 0)
    function initialize() end
  )";
  HostRunResult run;
  EXPECT_TRUE(TraceHost(beforeWindow, {}, run).empty()) << "a run without a window makes no GL call";
  EXPECT_EQ(run.output, "before\t0\t0\n");
  EXPECT_EQ(run.exitStatus, 0);

  // The same calls, then a window: the tables were left untouched, so the
  // first real load and target get handle 1, and only they reach GL.
  const std::vector<std::string> calls = TraceHost(beforeWindow + R"(
    OpenWindow(64, 48)
    print("after", LoadShader("res/pass.shader"), MakeRenderTarget(64, 64, 2))
    os.exit(0)
  )", {}, run);
  EXPECT_NE(run.output.find("after\t1\t1\n"), std::string::npos) << run.output;
  int shaderObjects = 0, framebufferBinds = 0;
  for (const std::string& call : calls) {
    const std::string name = NameOf(call);
    shaderObjects += name == "glCreateShaderObjectARB";
    framebufferBinds += name == "glBindFramebufferEXT";
    EXPECT_NE(name, "glUseProgramObjectARB");
    EXPECT_NE(name, "glUniform1iARB");
    EXPECT_NE(name, "glUniform1fARB");
    EXPECT_NE(name, "glPushAttrib");
    EXPECT_NE(name, "glPopAttrib");
    EXPECT_NE(name, "glActiveTextureARB");
  }
  EXPECT_EQ(shaderObjects, 2);
  EXPECT_EQ(framebufferBinds, 2) << "MakeRenderTarget's own bind and unbind only";
}

}  // namespace
