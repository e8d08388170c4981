// The script runtime and frame loop, through the real binary.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host/registry.h"
#include "host_runner.h"
#include "x11_window.h"

namespace {

struct OutputCase {
  const char* name;
  const char* script;
  std::vector<std::string> arguments;
  const char* expectedOutput;
};

// Scripts that never open a window: the run ends right after start-up.
const OutputCase kStartupCases[] = {
    {"SyntaxError", "function initialize( end",
     {},
     "Could not open main script\n"
     "Error: attempt to call a string value\n"
     "Error: attempt to call a nil value\n"},
    {"ErrorInMainChunkStillCallsInitialize",
     "function initialize() print('initialize ran', x) end\nx = 1\nerror('boom')\nx = 2\n",
     {},
     "Error: res/main.lua:3: boom\ninitialize ran\t1\n"},
    {"NoArgumentsGiveAnEmptyTable",
     "function initialize(args) print(type(args), #args, next(args)) end",
     {},
     "table\t0\tnil\n"},
    {"ArgumentsStayStrings",
     "function initialize(args) print(#args, args[1], type(args[1]), args[2], type(args[2])) end",
     {"a", "2"},
     "2\ta\tstring\t2\tstring\n"},
    {"MissingInitialize", "x = 1", {}, "Error: attempt to call a nil value\n"},
    {"TableErrorValue", "function initialize() error({}) end", {},
     "Error: (error object is a table value)\n"},
    {"NilErrorValue", "function initialize() error(nil) end", {}, "Error: (error object is a nil value)\n"},
    {"NumberErrorValue", "function initialize() error(42, 0) end", {}, "Error: 42\n"},
    {"FunctionsExistWhileTheMainChunkRuns",
     "print(type(OpenWindow), type(GetKey), type(GetMouse))\nfunction initialize() end",
     {},
     "function\tfunction\tfunction\n"},
    {"NoWindowMeansNoUpdate",
     "function initialize() print('init') end\nfunction update() print('update') end",
     {},
     "init\n"},
    {"FailedWindowIsReportedWithoutLineEnd",
     "OpenWindow(0, 100)\nprint('|after')\nfunction initialize() end\nfunction update() print('update') end",
     {},
     "Error, could not create window.|after\n"},
    {"BindingsWithFewerArgumentsKeepTheStackSound",
     "print(GetKey())\nprint(select('#', GetKey()))\nOpenWindow(320)\nprint('|', select('#', OpenWindow()))\n"
     "function initialize() end",
     {},
     "false\n1\nError, could not create window.Error, could not create window.|\t0\n"},
    {"BindingsWithMoreArgumentsGiveTheSameResults",
     "print(select('#', GetKey('a', 1, 2, 3)), GetKey('a', 1, 2, 3))\n"
     "print(select('#', GetMouse(7, 8)), GetMouse(7, 8))\nfunction initialize() end",
     {},
     "1\tfalse\n4\t0\t0\tfalse\tfalse\n"},
};

class StartupCase : public ::testing::TestWithParam<OutputCase> {};

TEST_P(StartupCase, PrintsExactlyAndExitsZero) {
  HostRunOptions options;
  options.arguments = GetParam().arguments;
  const HostRunResult run = RunHost(GetParam().script, options);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.output, GetParam().expectedOutput);
}

INSTANTIATE_TEST_SUITE_P(Runtime, StartupCase, ::testing::ValuesIn(kStartupCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HostRuntime, MissingMainScriptPrintsThreeLinesAndExitsZero) {
  HostRunOptions options;
  options.withoutMainScript = true;
  const HostRunResult run = RunHost("", options);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.output,
            "Could not open main script\n"
            "Error: attempt to call a string value\n"
            "Error: attempt to call a nil value\n");
}

TEST(HostRuntime, RequireSearchesOnlyTheResFolder) {
  HostRunOptions options;
  options.files["res/util.lua"] = "return 'from res'";
  options.files["util.lua"] = "return 'from the working directory'";
  options.files["other.lua"] = "return 'must not be found'";
  const HostRunResult run = RunHost(
      "print(package.path)\nprint(require 'util')\nprint(pcall(require, 'other'))\nfunction initialize() end",
      options);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.output.substr(0, run.output.find("false")),
            "./res/?.lua\nfrom res\n");
  EXPECT_NE(run.output.find("module 'other' not found"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("must not be found"), std::string::npos);
}

TEST(HostRuntime, FirstUpdateGetsTimeSinceStartAndASmallDt) {
  const HostRunResult run = RunHost(
      "OpenWindow(64, 64)\nfunction initialize() end\n"
      "local frames = 0\n"
      "function update(time, dt)\n"
      "  frames = frames + 1\n"
      "  print(string.format('%d %.6f %.6f', frames, time, dt))\n"
      "  if frames == 3 then os.exit(0) end\n"
      "end\n");
  ASSERT_EQ(run.exitStatus, 0);
  std::istringstream lines(run.output);
  double previous = 0.0;
  for (int frame = 1; frame <= 3; ++frame) {
    int number = 0;
    double time = 0.0;
    double dt = 0.0;
    ASSERT_TRUE(lines >> number >> time >> dt) << run.output;
    ASSERT_EQ(number, frame) << run.output;
    EXPECT_GT(time, 0.0);
    EXPECT_GE(dt, 0.0);
    EXPECT_LT(dt, time) << "time counts from the start of the windowing library, dt from the last frame";
    EXPECT_LT(dt, 1.0);
    if (frame > 1) {
      EXPECT_NEAR(time - previous, dt, 1e-5);
    }
    previous = time;
  }
}

TEST(HostRuntime, MissingUpdateIsReportedEveryFrameAndTheWindowStaysOpen) {
  HostRunOptions options;
  options.timeoutSeconds = 2.0;
  const HostRunResult run = RunHost("OpenWindow(64, 64)\nfunction initialize() end\n", options);
  EXPECT_TRUE(run.timedOut) << "the loop must go on while the window is open";
  EXPECT_GE(CountOccurrences(run.output, "Error: attempt to call a nil value\n"), 3);
  EXPECT_EQ(run.output.find("Error: attempt to call a nil value\n"), 0u);
  // Nothing but that line, once per frame.
  EXPECT_EQ(CountOccurrences(run.output, "\n"), CountOccurrences(run.output, "Error: attempt to call a nil value\n"));
}

TEST(HostRuntime, CloseRequestEndsTheLoopAfterTheFrameAndExitsZero) {
  HostRunOptions options;
  options.whileRunning = [](pid_t pid) {
    SleepSeconds(0.3);
    SendCloseRequest(pid);
  };
  const HostRunResult run = RunHost(
      "OpenWindow(64, 64)\nfunction initialize() end\nframes = 0\n"
      "function update() frames = frames + 1 if frames == 1 then print('running') end end\n",
      options);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.output, "running\n");
}

TEST(Registry, FunctionsAreRegisteredInTheScriptApiOrder) {
  const std::vector<std::string> apiOrder = {
      "OpenWindow",       "DrawBox",         "DrawBoxWithColor", "DrawLine",         "GetKey",
      "GetMouse",         "PlayMusic",       "GetSpectrum",      "LoadImage",        "SetAdditiveBlend",
      "LoadShader",       "SetShader",       "SetShaderParami",  "SetShaderParamf",  "BindRenderTarget",
      "UnbindRenderTarget", "DrawRenderTarget", "MakeRenderTarget", "DrawRenderTargets", "ShowProfiling",
      "LoadFont",         "DrawText",        "SetVolume"};
  size_t next = 0;
  for (size_t i = 0; i < kGlobalFunctionCount; ++i) {
    while (next < apiOrder.size() && apiOrder[next] != kGlobalFunctions[i].name) ++next;
    ASSERT_LT(next, apiOrder.size()) << kGlobalFunctions[i].name << " is unknown or out of order";
  }
}

}  // namespace
