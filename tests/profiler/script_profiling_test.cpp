// Script profiling through the real host: the hook's zone names, where the
// host's fixed zones sit in the call tree, the reports from a script, and the
// module reached both ways.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host_runner.h"

namespace {

struct ReportRow {
  int depth;
  std::string name;
  double calls;
};

// The rows of one call-tree report (header excluded), from its header line up
// to the first line that is not a row.
std::vector<ReportRow> ParseTree(const std::string& output, size_t from = 0) {
  std::vector<ReportRow> rows;
  const size_t header = output.find("call tree ", from);
  if (header == std::string::npos) return rows;
  std::istringstream lines(output.substr(output.find('\n', header) + 1));
  std::string line;
  while (std::getline(lines, line) && line.size() == 79 && line.rfind("sorted list ", 0) != 0) {
    const size_t indent = line.find_first_not_of(' ');
    const std::string field = line.substr(0, 40);
    rows.push_back({static_cast<int>(indent / 2), field.substr(indent, field.find_last_not_of(' ') + 1 - indent),
                    std::stod(line.substr(41, 6))});
  }
  return rows;
}

// The row of `name` whose parent is `parent`; top-level zones are children of
// "<unprofiled>", the root.
const ReportRow* FindChild(const std::vector<ReportRow>& rows, const std::string& parent, const std::string& name) {
  std::vector<const ReportRow*> path;
  for (const ReportRow& row : rows) {
    path.resize(static_cast<size_t>(row.depth));
    const std::string parentName = path.empty() ? "" : path.back()->name;
    if (row.name == name && parentName == parent) return &row;
    path.push_back(&row);
  }
  return nullptr;
}

std::string Dump(const std::vector<ReportRow>& rows) {
  std::string text;
  for (const ReportRow& row : rows) text += std::string(2 * row.depth, ' ') + row.name + "\n";
  return text;
}

HostRunOptions WithDefaultFont() {
  HostRunOptions options;
  options.copies["res/font/consolas-20.fnt"] = SourcePath("res/font/consolas-20.fnt");
  options.copies["res/font/consolas-20_0.png"] = SourcePath("res/font/consolas-20_0.png");
  return options;
}

TEST(ScriptProfiling, ReportsBeforeAnyUpdateAndBeforeAnyZone) {
  const HostRunResult run = RunHost(
      "local profiler = require 'profiler'\n"
      "print(profiler.tree_string())\n"
      "print(profiler.flat_string())\n"
      "profiler.update()\n"
      "print(profiler.tree_string())\n"
      "print(profiler.flat_string())\n"
      "function initialize() end\n");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.output,
            "!!! Profile data must first be updated !!!\n"
            "!!! Profile data must first be updated !!!\n"
            "!!! No profiles where executed !!!\n"
            "!!! No profiles where executed !!!\n");
}

// Line numbers matter: foo is defined on line 4, the closures on line 5.
const char* const kProfiledScript =
    "local profiler = require 'profiler'\n"                                                  // 1
    "OpenWindow(64, 64)\n"                                                                    // 2
    "local font = LoadFont('res/font/consolas-20.fnt', 'res/font/')\n"                        // 3
    "function foo() DrawBox(10, 10, 4, 4, 0, 0) DrawBox(20, 10, 4, 4, 0, 7) end\n"            // 4
    "local function make() return function() DrawLine(0, 0, 9, 9, 1, 1,1,1,1, 1,1,1,1) end end\n"  // 5
    "local closures = { make(), make() }\n"                                                   // 6
    "local target = MakeRenderTarget(16, 16, 1)\n"                                            // 7
    "local frames = 0\n"                                                                      // 8
    "function initialize() profiler.damping(0) profiler.start() end\n"                        // 9
    "function update()\n"                                                                     // 10
    "  frames = frames + 1\n"
    "  foo()\n"
    "  for _, f in ipairs(closures) do local each = f; each() end\n"
    "  DrawText(font, 'hi', 0, 0, -1, false, 1, 1, 1, 1)\n"
    "  GetSpectrum()\n"
    "  DrawRenderTarget(target, 0)\n"
    "  DrawRenderTargets(target, 0, target, 0, 0, 0, 0, 0)\n"
    "  DrawBox(30, 30, 4, 4, 0, 0) DrawBox(40, 30, 4, 4, 0, 0)\n"
    "  if frames == 4 then ShowProfiling(true) end\n"
    "  if frames == 6 then\n"
    "    profiler.update()\n"
    "    print(profiler.tree_string())\n"
    "    print(profiler.flat_string())\n"
    "    print(profiler.is_running())\n"
    "    profiler.stop()\n"
    "    print(profiler.is_running())\n"
    "    ShowProfiling(false)\n"
    "  end\n"
    "  if frames == 9 then profiler.update() print(profiler.tree_string()) os.exit(0) end\n"
    "end\n";

class ProfiledRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { run_ = new HostRunResult(RunHost(kProfiledScript, WithDefaultFont())); }
  static void TearDownTestSuite() { delete run_; }

  // The report printed in frame 6, while the hook and the overlay were on.
  static std::vector<ReportRow> Tree() { return ParseTree(run_->output); }
  // The report printed in frame 9, after stop and with the overlay off.
  static std::vector<ReportRow> LaterTree() { return ParseTree(run_->output, run_->output.rfind("call tree ")); }

  static HostRunResult* run_;
};
HostRunResult* ProfiledRun::run_ = nullptr;

TEST_F(ProfiledRun, ExitsNormallyWithNoError) {
  EXPECT_EQ(run_->exitStatus, 0);
  EXPECT_EQ(run_->output.find("Error"), std::string::npos) << run_->output;
}

TEST_F(ProfiledRun, ScriptAndHostFunctionsGetZonesUnderTheFrame) {
  const std::vector<ReportRow> rows = Tree();
  ASSERT_NE(FindChild(rows, "<unprofiled>", "LuaUpdate"), nullptr) << run_->output;
  EXPECT_NE(FindChild(rows, "LuaUpdate", "@res/main.lua(4):foo"), nullptr) << Dump(rows);
  EXPECT_NE(FindChild(rows, "@res/main.lua(4):foo", "C:DrawBox"), nullptr) << Dump(rows);
  EXPECT_NE(FindChild(rows, "C:DrawBox", "FillPipe"), nullptr) << Dump(rows);
  EXPECT_NE(FindChild(rows, "LuaUpdate", "C:ipairs"), nullptr) << Dump(rows);
  // Functions the host calls itself carry no name.
  for (const ReportRow& row : rows) {
    EXPECT_EQ(row.name.find(":initialize"), std::string::npos) << row.name;
    EXPECT_EQ(row.name.rfind("@res/main.lua(10)", 0), std::string::npos) << row.name;
  }
}

TEST_F(ProfiledRun, TwoClosuresOfOneFunctionAreTwoZones) {
  const std::string flat = run_->output.substr(run_->output.find("sorted list "));
  EXPECT_EQ(CountOccurrences(flat.substr(0, flat.find("\ntrue\n")), "\n@res/main.lua(5):each "), 2) << flat;
}

TEST_F(ProfiledRun, FlushesSitWhereTheyRan) {
  const std::vector<ReportRow> rows = Tree();
  // The texture change in foo's second DrawBox flushes the first box early,
  // before FillPipe is entered: under the zone current at that moment.
  EXPECT_NE(FindChild(rows, "C:DrawBox", "FlushPipeSimple"), nullptr) << Dump(rows);
  // The render-target calls flush the pending quads and lines first.
  EXPECT_NE(FindChild(rows, "C:DrawRenderTarget", "FlushLinePipeAdvanced"), nullptr) << Dump(rows);
  // The two boxes left at the end of update are flushed at the end of the frame.
  EXPECT_NE(FindChild(rows, "LuaUpdate", "FlushPipeAdvanced"), nullptr) << Dump(rows);
}

TEST_F(ProfiledRun, HostZonesSitUnderTheCallsThatMakeThem) {
  const std::vector<ReportRow> rows = Tree();
  EXPECT_NE(FindChild(rows, "C:DrawText", "MakeText"), nullptr) << Dump(rows);
  EXPECT_NE(FindChild(rows, "C:GetSpectrum", "SpectrumAnalyze"), nullptr) << Dump(rows);
  EXPECT_NE(FindChild(rows, "C:DrawRenderTarget", "DrawRenderTarget"), nullptr) << Dump(rows);
  EXPECT_NE(FindChild(rows, "C:DrawRenderTargets", "DrawRenderTargets"), nullptr) << Dump(rows);
  EXPECT_NE(FindChild(rows, "C:DrawLine", "FillLinePipe"), nullptr) << Dump(rows);
}

TEST_F(ProfiledRun, FrameZonesCountOncePerFrame) {
  // With a damping of 0 each figure is the last interval's. The script's
  // update in frame 6 closes an interval that began with the overlay's update
  // in frame 5: one swap and one frame start lie between them, while the
  // overlay zone itself was entered just before it.
  const std::vector<ReportRow> rows = Tree();
  for (const char* name : {"LuaUpdate", "SwapBuffers"}) {
    const ReportRow* row = FindChild(rows, "<unprofiled>", name);
    ASSERT_NE(row, nullptr) << name << "\n" << Dump(rows);
    EXPECT_EQ(row->calls, 1.0) << name;
  }
  EXPECT_NE(FindChild(rows, "ShowProfiling", "MakeText"), nullptr) << Dump(rows);
}

TEST_F(ProfiledRun, StopRemovesTheHookAndTheOverlayZoneStopsWithTheOverlay) {
  EXPECT_NE(run_->output.find("\ntrue\nfalse\n"), std::string::npos) << run_->output;
  // Frames 7 to 9 ran after stop and with the overlay off.
  const std::vector<ReportRow> rows = LaterTree();
  const ReportRow* foo = FindChild(rows, "LuaUpdate", "@res/main.lua(4):foo");
  ASSERT_NE(foo, nullptr) << "nodes stay in the tree\n" << Dump(rows);
  EXPECT_EQ(foo->calls, 0.0) << "no zone for foo once the hook is gone";
  const ReportRow* overlay = FindChild(rows, "<unprofiled>", "ShowProfiling");
  ASSERT_NE(overlay, nullptr) << Dump(rows);
  EXPECT_EQ(overlay->calls, 0.0);
  // stop's own zone was left, so the frame zones are still at the top level.
  for (const char* name : {"LuaUpdate", "SwapBuffers"}) {
    const ReportRow* row = FindChild(rows, "<unprofiled>", name);
    ASSERT_NE(row, nullptr) << name << "\n" << Dump(rows);
    EXPECT_EQ(row->calls, 3.0) << name;
  }
  EXPECT_NE(FindChild(rows, "LuaUpdate", "FillPipe"), nullptr) << "host zones go on without the hook\n" << Dump(rows);
  EXPECT_EQ(FindChild(rows, "C:stop", "LuaUpdate"), nullptr) << Dump(rows);
}

TEST(ScriptProfiling, OutputWritesAFileOrStandardOutput) {
  const HostRunResult run = RunHost(
      "local profiler = require 'profiler'\n"
      "OpenWindow(64, 64)\n"
      "local frames = 0\n"
      "function initialize() end\n"
      "function update()\n"
      "  frames = frames + 1\n"
      "  if frames == 3 then\n"
      "    profiler.update()\n"
      "    profiler.output('report.txt')\n"
      "    profiler.output('no/such/folder/report.txt')\n"
      "    print('--')\n"
      "    profiler.output('ignored.txt', 'also ignored')\n"
      "    os.exit(0)\n"
      "  end\n"
      "end\n");
  EXPECT_EQ(run.exitStatus, 0);
  const std::string file = ReadFile(run.directory + "/report.txt");
  EXPECT_EQ(file.rfind("sorted list ", 0), 0u) << file;
  EXPECT_NE(file.find("\n\ncall tree "), std::string::npos) << file;
  EXPECT_NE(file.find("  LuaUpdate "), std::string::npos) << file;
  EXPECT_EQ(ReadFile(run.directory + "/ignored.txt"), "");
  // With two arguments both are ignored and the reports go to standard output.
  const std::string printed = run.output.substr(run.output.find("--\n") + 3);
  EXPECT_EQ(printed.rfind("sorted list ", 0), 0u) << run.output;
  EXPECT_NE(printed.find("\n\ncall tree "), std::string::npos) << run.output;
}

TEST(ScriptProfiling, ModuleIsOpenedOnlyOnRequestAndAlsoReachableThroughLoadlib) {
  const HostRunResult run = RunHost(
      "print(profiler, package.loaded.profiler)\n"
      "local open = assert(package.loadlib('', 'luaopen_ProfilerLua'))\n"
      "local viaLoadlib = open()\n"
      "print(type(viaLoadlib.start), viaLoadlib == profiler)\n"
      "print(require('profiler').damping == viaLoadlib.damping)\n"
      "function initialize() end\n");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.output, "nil\tnil\nfunction\ttrue\ntrue\n");
}

TEST(ScriptProfiling, OverlayWithoutDefaultFontDrawsNothingAndRuns) {
  const HostRunResult run = RunHost(
      "OpenWindow(64, 64)\n"
      "local frames = 0\n"
      "function initialize() ShowProfiling(true) end\n"
      "function update()\n"
      "  frames = frames + 1\n"
      "  if frames == 5 then print(require('profiler').tree_string():match('^call tree') ~= nil) os.exit(0) end\n"
      "end\n");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.output, "true\n") << run.errors;
}

}  // namespace
