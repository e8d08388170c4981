// The GL calls the batches make, as recorded by apitrace around a real run of
// the host binary. Each case of the script runs in a frame of its own; a
// frame's calls are those between two buffer swaps.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "host_runner.h"
#include "x11_window.h"

namespace {

const char kTracer[] = "/usr/lib/x86_64-linux-gnu/apitrace/wrappers/glxtrace.so";

using Calls = std::vector<std::string>;

struct TracedRun {
  HostRunResult host;
  Calls beforeFirstSwap;
  std::vector<Calls> frames;  // frames[i]: the calls of frame i + 2 of the run
};

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

bool FileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

std::string RunCommand(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  pclose(pipe);
  return output;
}

// "123 glName(args) = result" gives "glName(args) = result". Only GL calls
// count: no glX calls (of which the buffer swap marks frame ends), and not
// apitrace's "fake" lines, which restate vertex-array pointers.
bool ParseGLCall(const std::string& line, std::string& call) {
  const size_t space = line.find(' ');
  if (space == 0 || space == std::string::npos) return false;
  for (size_t i = 0; i < space; ++i)
    if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
  call = line.substr(space + 1);
  if (call.size() < 3 || call.compare(0, 2, "gl") != 0 || !std::isupper(static_cast<unsigned char>(call[2])) ||
      call[2] == 'X')
    return false;
  return call.find("// fake") == std::string::npos;
}

// The script gets the path of a file to create once its cases are done; the
// run is then closed like a user would close it.
TracedRun TraceHost(const std::string& mainLua, const std::map<std::string, std::string>& copies) {
  TracedRun run;
  const std::string scratch = std::filesystem::temp_directory_path() / ("strobe-trace-" + std::to_string(getpid()));
  std::filesystem::create_directories(scratch);
  const std::string tracePath = scratch + "/run.trace";
  const std::string donePath = scratch + "/done";
  std::filesystem::remove(tracePath);
  std::filesystem::remove(donePath);

  HostRunOptions options;
  options.copies = copies;
  options.arguments = {donePath};
  // A sanitizer build must accept the tracer being loaded ahead of it.
  options.environment = {{"LD_PRELOAD", kTracer},
                         {"TRACE_FILE", tracePath},
                         {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
  options.timeoutSeconds = 60;
  options.whileRunning = [&](pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    while (!FileExists(donePath) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    SendCloseRequest(pid);
  };
  run.host = RunHost(mainLua, options);

  Calls* current = &run.beforeFirstSwap;
  bool windowReady = false;
  const std::string dump = RunCommand("apitrace dump --color=never '" + tracePath + "' 2>/dev/null");
  size_t start = 0;
  while (start < dump.size()) {
    size_t end = dump.find('\n', start);
    if (end == std::string::npos) end = dump.size();
    const std::string line = dump.substr(start, end - start);
    start = end + 1;
    if (line.find("glXSwapBuffers") != std::string::npos) {
      // The windowing library may present the new context before OpenWindow
      // sets the GL defaults (glShadeModel first); that is not a frame.
      if (!windowReady) continue;
      run.frames.emplace_back();
      current = &run.frames.back();
      continue;
    }
    std::string call;
    if (!ParseGLCall(line, call)) continue;
    current->push_back(call);
    windowReady = windowReady || StartsWith(current->back(), "glShadeModel");
  }
  std::filesystem::remove_all(scratch);
  return run;
}

int Count(const Calls& calls, const std::string& prefix) {
  int n = 0;
  for (const std::string& call : calls) n += StartsWith(call, prefix);
  return n;
}

// The calls starting with any of `prefixes`, in order.
Calls Select(const Calls& calls, const std::vector<std::string>& prefixes) {
  Calls selected;
  for (const std::string& call : calls)
    for (const std::string& prefix : prefixes)
      if (StartsWith(call, prefix)) {
        // Texture names depend on what ran before; only the call matters.
        selected.push_back(StartsWith(call, "glGenTextures") ? "glGenTextures" : call);
        break;
      }
  return selected;
}

std::string Join(const Calls& calls) {
  std::string text;
  for (const std::string& call : calls) text += call + "\n";
  return text;
}

// Frame N of the run runs cases[N - 1]; frame 1 stays empty so that the
// window's own set-up calls are not mixed into a case.
const char kCasesScript[] = R"lua(
print("before window: " .. LoadImage("res/upright.png"))
OpenWindow(320, 240)
local done
local image
local frame = 0
local cases = {
  function() end,
  -- 2: nothing drawn
  function() end,
  -- 3: one full batch
  function()
    for i = 1, 2500 do DrawBoxWithColor(i % 300, 100, 4, 4, i, 0, 1, 0, 0, 1) end
  end,
  -- 4: the 2501st box flushes the full batch (LoadImage marks the moment and flushes nothing)
  function()
    for i = 1, 2501 do DrawBox(100, 100, 4, 4, 0, 0) end
    LoadImage("res/upright.png")
  end,
  -- 5: alternating textures
  function()
    DrawBox(50, 50, 10, 10, 0, 0)
    DrawBox(70, 50, 10, 10, 0, image)
    DrawBox(90, 50, 10, 10, 0, 0)
    DrawBox(110, 50, 10, 10, 0, image)
  end,
  -- 6: fractional widths
  function()
    for i = 1, 3 do DrawLine(10, 10 * i, 200, 10 * i, 2.5, 1, 0, 0, 1, 0, 0, 1, 1) end
  end,
  -- 7: two width-1 segments, then a width-4 one
  function()
    DrawLine(10, 10, 200, 10, 1, 1, 1, 1, 1, 1, 1, 1, 1)
    DrawLine(10, 20, 200, 20, 1, 1, 1, 1, 1, 1, 1, 1, 1)
    DrawLine(10, 30, 200, 30, 4, 1, 1, 1, 1, 1, 1, 1, 1)
    LoadImage("res/upright.png")
  end,
  -- 8: every SetAdditiveBlend flushes, boxes before lines
  function()
    DrawLine(10, 10, 200, 10, 4, 1, 1, 1, 1, 1, 1, 1, 1)
    DrawBox(100, 100, 10, 10, 0, 0)
    SetAdditiveBlend(true)
    DrawBox(100, 100, 10, 10, 0, 0)
    SetAdditiveBlend(true)
    SetAdditiveBlend(0)
    SetAdditiveBlend(nil)
    SetAdditiveBlend(false)
  end,
}

function initialize(args)
  done = args[1]
  image = LoadImage("res/upright.png")
  print("image: " .. image)
end

function update()
  frame = frame + 1
  if cases[frame] then cases[frame]() end
  if frame == #cases + 2 then io.open(done, "w"):close() end
end
)lua";

class GLCallsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(FileExists(kTracer)) << "apitrace's tracer is missing (Debian package apitrace-tracers)";
    run_ = new TracedRun(TraceHost(kCasesScript, {{"res/upright.png", std::string(TEST_FIXTURES) + "/upright.png"}}));
  }
  static void TearDownTestSuite() { delete run_; }

  // The calls of frame `number` of the run (the first frame is 1).
  static const Calls& Frame(int number) {
    static const Calls none;
    const size_t index = static_cast<size_t>(number - 2);
    return index < run_->frames.size() ? run_->frames[index] : none;
  }

  static TracedRun* run_;
};

TracedRun* GLCallsTest::run_ = nullptr;

TEST_F(GLCallsTest, RunCompletedItsCases) {
  EXPECT_FALSE(run_->host.timedOut);
  EXPECT_GE(run_->frames.size(), 9u) << run_->host.output;
  EXPECT_EQ(run_->host.output.find("Error"), std::string::npos) << run_->host.output;
}

TEST_F(GLCallsTest, LoadImageBeforeTheWindowMakesNoGLCall) {
  EXPECT_EQ(run_->host.output.rfind("Image loading error: no window is open", 0), 0u) << run_->host.output;
  EXPECT_NE(run_->host.output.find("\nbefore window: 0\n"), std::string::npos) << run_->host.output;
  // Nothing touches textures before OpenWindow sets the GL defaults.
  const Calls& setup = run_->beforeFirstSwap;
  const auto defaults = std::find(setup.begin(), setup.end(), "glShadeModel(mode = GL_SMOOTH)");
  ASSERT_NE(defaults, setup.end()) << Join(setup);
  EXPECT_EQ(Count(Calls(setup.begin(), defaults), "glGenTextures"), 0);
  EXPECT_EQ(Count(Calls(setup.begin(), defaults), "glTexImage2D"), 0);
  // Textures: the one in initialize and one marker each in frames 4 and 7.
  int generated = Count(setup, "glGenTextures");
  for (const Calls& frame : run_->frames) generated += Count(frame, "glGenTextures");
  EXPECT_EQ(generated, 3);
}

TEST_F(GLCallsTest, EmptyFlushMakesNoGLCall) {
  EXPECT_EQ(Frame(2), (Calls{"glLoadIdentity()", "glClear(mask = GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT)"}));
}

TEST_F(GLCallsTest, FullBatchGoesOutAsOneDrawElements) {
  const Calls& frame = Frame(3);
  EXPECT_EQ(Select(frame, {"glDrawElements", "glBegin"}),
            (Calls{"glDrawElements(mode = GL_QUADS, count = 10000, type = GL_UNSIGNED_INT, indices = blob(40000))"}))
      << Join(frame);
  EXPECT_EQ(Select(frame, {"glEnableClientState", "glDisableClientState"}),
            (Calls{"glEnableClientState(array = GL_VERTEX_ARRAY)", "glEnableClientState(array = GL_COLOR_ARRAY)",
                   "glEnableClientState(array = GL_TEXTURE_COORD_ARRAY)",
                   "glDisableClientState(array = GL_TEXTURE_COORD_ARRAY)",
                   "glDisableClientState(array = GL_COLOR_ARRAY)", "glDisableClientState(array = GL_VERTEX_ARRAY)"}));
}

TEST_F(GLCallsTest, BoxAfterAFullBatchFlushesItFirst) {
  const Calls& frame = Frame(4);
  EXPECT_EQ(Select(frame, {"glDrawElements", "glGenTextures", "glBegin"}),
            (Calls{"glDrawElements(mode = GL_QUADS, count = 10000, type = GL_UNSIGNED_INT, indices = blob(40000))",
                   "glGenTextures", "glBegin(mode = GL_QUADS)"}))
      << Join(frame);
}

TEST_F(GLCallsTest, AlternatingTexturesAreEachDrawnInImmediateMode) {
  const Calls& frame = Frame(5);
  EXPECT_EQ(Count(frame, "glDrawElements"), 0) << Join(frame);
  EXPECT_EQ(Select(frame, {"glBindTexture", "glBegin"}),
            (Calls{"glBindTexture(target = GL_TEXTURE_2D, texture = 0)", "glBegin(mode = GL_QUADS)",
                   "glBindTexture(target = GL_TEXTURE_2D, texture = 1)", "glBegin(mode = GL_QUADS)",
                   "glBindTexture(target = GL_TEXTURE_2D, texture = 0)", "glBegin(mode = GL_QUADS)",
                   "glBindTexture(target = GL_TEXTURE_2D, texture = 1)", "glBegin(mode = GL_QUADS)"}));
  // Immediate mode: colour, four corners with fixed texture coordinates, colour reset.
  ASSERT_GE(frame.size(), 15u) << Join(frame);
  const Calls firstQuad(frame.begin() + 2, frame.begin() + 15);
  EXPECT_EQ(firstQuad,
            (Calls{"glBindTexture(target = GL_TEXTURE_2D, texture = 0)", "glColor4f(red = 1, green = 1, blue = 1, alpha = 1)",
                   "glBegin(mode = GL_QUADS)", "glTexCoord2i(s = 1, t = 1)", "glVertex2f(x = 55, y = 55)",
                   "glTexCoord2i(s = 1, t = 0)", "glVertex2f(x = 55, y = 45)", "glTexCoord2i(s = 0, t = 0)",
                   "glVertex2f(x = 45, y = 45)", "glTexCoord2i(s = 0, t = 1)", "glVertex2f(x = 45, y = 55)", "glEnd()",
                   "glColor4f(red = 1, green = 1, blue = 1, alpha = 1)"}))
      << Join(frame);
}

TEST_F(GLCallsTest, FractionalWidthMakesABatchPerSegment) {
  const Calls& frame = Frame(6);
  EXPECT_EQ(Count(frame, "glDrawElements"), 0) << Join(frame);
  EXPECT_EQ(Select(frame, {"glLineWidth", "glBegin"}),
            (Calls{"glLineWidth(width = 2)", "glBegin(mode = GL_LINES)", "glLineWidth(width = 2)",
                   "glBegin(mode = GL_LINES)", "glLineWidth(width = 2)", "glBegin(mode = GL_LINES)"}));
  // Immediate mode: each end with its colour, untextured, colour reset after.
  ASSERT_GE(frame.size(), 11u) << Join(frame);
  EXPECT_EQ(Calls(frame.begin() + 2, frame.begin() + 11),
            (Calls{"glLineWidth(width = 2)", "glBindTexture(target = GL_TEXTURE_2D, texture = 0)",
                   "glBegin(mode = GL_LINES)", "glColor4f(red = 1, green = 0, blue = 0, alpha = 1)",
                   "glVertex2f(x = 10, y = 10)", "glColor4f(red = 0, green = 0, blue = 1, alpha = 1)",
                   "glVertex2f(x = 200, y = 10)", "glEnd()", "glColor4f(red = 1, green = 1, blue = 1, alpha = 1)"}))
      << Join(frame);
}

TEST_F(GLCallsTest, WidthChangeFlushesTheEarlierSegmentsTogether) {
  const Calls& frame = Frame(7);
  EXPECT_EQ(Select(frame, {"glLineWidth", "glDrawElements", "glGenTextures", "glBegin"}),
            (Calls{"glLineWidth(width = 1)",
                   "glDrawElements(mode = GL_LINES, count = 4, type = GL_UNSIGNED_INT, indices = blob(16))",
                   "glGenTextures", "glLineWidth(width = 4)", "glBegin(mode = GL_LINES)"}))
      << Join(frame);
}

TEST_F(GLCallsTest, SetAdditiveBlendFlushesOnEveryCall) {
  const Calls& frame = Frame(8);
  EXPECT_EQ(Select(frame, {"glBegin", "glBlendFunc"}),
            (Calls{"glBegin(mode = GL_QUADS)", "glBegin(mode = GL_LINES)",
                   "glBlendFunc(sfactor = GL_SRC_ALPHA, dfactor = GL_ONE)", "glBegin(mode = GL_QUADS)",
                   "glBlendFunc(sfactor = GL_SRC_ALPHA, dfactor = GL_ONE)",
                   "glBlendFunc(sfactor = GL_SRC_ALPHA, dfactor = GL_ONE)",
                   "glBlendFunc(sfactor = GL_SRC_ALPHA, dfactor = GL_ONE_MINUS_SRC_ALPHA)",
                   "glBlendFunc(sfactor = GL_SRC_ALPHA, dfactor = GL_ONE_MINUS_SRC_ALPHA)"}))
      << Join(frame);
}

}  // namespace
