// LoadFont, DrawText and the default font through the real host binary.
#include <gtest/gtest.h>

#include <string>

#include "host_runner.h"
#include "x11_window.h"

namespace {

HostRunOptions WithShippedFont() {
  HostRunOptions options;
  options.copies["res/font/consolas-20.fnt"] = SourcePath("res/font/consolas-20.fnt");
  options.copies["res/font/consolas-20_0.png"] = SourcePath("res/font/consolas-20_0.png");
  return options;
}

}  // namespace

TEST(HostText, DefaultFontWithAndWithoutAWindow) {
  struct Case {
    const char* name;
    bool withFont;
    bool withWindow;
  } cases[] = {
      {"font, no window", true, false},
      {"no font, no window", false, false},
      {"font and window", true, true},
      {"window, no font", false, true},
  };
  for (const Case& c : cases) {
    HostRunOptions options = c.withFont ? WithShippedFont() : HostRunOptions{};
    if (c.withWindow) options.whileRunning = [](pid_t pid) { SendCloseRequest(pid); };
    const std::string script = std::string(c.withWindow ? "OpenWindow(320, 240)\n" : "") +
                               "function initialize() print('initialize') end\n"
                               "function update() end\n";
    const HostRunResult run = RunHost(script, options);
    EXPECT_FALSE(run.timedOut) << c.name;
    EXPECT_EQ(run.exitStatus, 0) << c.name << "\n" << run.errors;
    EXPECT_EQ(run.output, "initialize\n") << c.name << ": the default font loads silently, or not at all";
  }
}

TEST(HostText, LoadFontAndDrawTextFromAScript) {
  HostRunOptions options = WithShippedFont();
  options.whileRunning = [](pid_t pid) { SendCloseRequest(pid); };
  const HostRunResult run = RunHost(R"(
OpenWindow(320, 240)
print(LoadFont("res/missing.fnt", "res/font/"))
print(LoadFont("res/font/consolas-20.fnt", "res/font/"))
print(LoadFont("res/font/consolas-20.fnt", "res/font/"))
local frame = 0
function initialize() end
function update(time, dt)
  frame = frame + 1
  local results = select("#", DrawText(1, "Hello\nworld", 10, 10, -1, false, 1, 1, 1, 1))
  DrawText(2, "same font again", 160, 10, 100, true, 1, 0, 0, 1)
  -- Handles outside 1..count draw nothing; a nil width wraps after every glyph.
  DrawText(0, "x", 10, 10, -1, false, 1, 1, 1, 1)
  DrawText(3, "x", 10, 10, -1, false, 1, 1, 1, 1)
  DrawText(-1, "x", 10, 10, -1, false, 1, 1, 1, 1)
  DrawText(4294967297, "x", 10, 10, -1, false, 1, 1, 1, 1)
  DrawText(1, "tab\there \233", 10, 100, nil, true)
  DrawText()
  if frame == 1 then print("results", results) end
end
)",
                                    options);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitStatus, 0) << run.errors;
  EXPECT_EQ(run.output, "0\n1\n2\nresults\t0\n");
}
