// Bad input to every script function and to the profiler module, through the
// real binary on real scripts: the host never raises a script error, never
// crashes, exits with 0 and prints exactly the lines it documents.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "host_runner.h"

namespace {

const std::string kFixtures = std::string(TEST_FIXTURES) + "/misuse/";

// "{...}" in an expected output stands for any text, line ends included:
// times in profiler reports, GL info logs.
constexpr std::string_view kAnyText = "{...}";

bool MatchesPattern(std::string_view text, std::string_view pattern) {
  const size_t any = pattern.find(kAnyText);
  if (any == std::string_view::npos) return text == pattern;
  if (text.substr(0, any) != pattern.substr(0, any)) return false;
  text.remove_prefix(any);
  pattern.remove_prefix(any + kAnyText.size());
  const std::string_view literal = pattern.substr(0, pattern.find(kAnyText));
  if (literal.empty()) return pattern.empty() || MatchesPattern(text, pattern);
  for (size_t at = text.find(literal); at != std::string_view::npos; at = text.find(literal, at + 1))
    if (MatchesPattern(text.substr(at), pattern)) return true;
  return false;
}

void ExpectOutput(const std::string& output, const std::string& expected) {
  if (expected.find(kAnyText) == std::string::npos) {
    EXPECT_EQ(output, expected);
  } else {
    EXPECT_TRUE(MatchesPattern(output, expected)) << "output:\n" << output << "\nexpected:\n" << expected;
  }
}

HostRunResult RunMisuseScript(const std::string& script, const std::vector<std::string>& arguments = {}) {
  HostRunOptions options;
  options.copies["res/misuse.lua"] = kFixtures + "misuse.lua";
  options.copies["res/font/consolas-20.fnt"] = SourcePath("res/font/consolas-20.fnt");
  options.copies["res/font/consolas-20_0.png"] = SourcePath("res/font/consolas-20_0.png");
  options.copies["res/music/strobe-loop.ogg"] = SourcePath("res/music/strobe-loop.ogg");
  options.arguments = arguments;
  // Sanitizer builds start and draw several times slower.
  options.timeoutSeconds = 240.0;
  return RunHost(script, options);
}

// Exit status 0 and nothing from a sanitizer, whatever the script did.
void ExpectCleanExit(const HostRunResult& run) {
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitStatus, 0) << run.errors;
  EXPECT_EQ(run.errors.find("Sanitizer"), std::string::npos) << run.errors;
  EXPECT_EQ(run.errors.find("runtime error:"), std::string::npos) << run.errors;
}

struct ScriptCase {
  const char* name;
  const char* script;  // in fixtures/misuse/, run as res/main.lua
  std::vector<std::string> arguments;
  const char* expected;  // in fixtures/misuse/: the whole standard output
};

void PrintTo(const ScriptCase& c, std::ostream* out) { *out << c.script; }

const ScriptCase kScriptCases[] = {
    {"EveryGlobalBeforeTheWindow", "before_window.lua", {}, "before_window.out"},
    {"EveryGlobalInAFrame", "with_window.lua", {}, "with_window.out"},
    {"FilesThatAreNotWhatTheLoaderExpects", "files.lua", {}, "files.out"},
    {"HandlesAndIndicesThatNameNothing", "handles.lua", {}, "handles.out"},
    {"RecursionToStackOverflow", "recursion.lua", {}, "recursion.out"},
    {"RecursionToStackOverflowWhileProfiled", "recursion.lua", {"hooked"}, "recursion_hooked.out"},
    {"ProfilerModuleAndShowProfiling", "profiler_module.lua", {}, "profiler_module.out"},
    {"ErrorsInProfiledFunctionsAndCoroutines", "profiled_errors.lua", {}, "profiled_errors.out"},
};

class MisuseScript : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(MisuseScript, ExitsCleanlyWithTheDocumentedOutput) {
  const ScriptCase& c = GetParam();
  const HostRunResult run = RunMisuseScript(ReadFile(kFixtures + c.script), c.arguments);
  ExpectCleanExit(run);
  ExpectOutput(run.output, ReadFile(kFixtures + c.expected));
}

INSTANTIATE_TEST_SUITE_P(Misuse, MisuseScript, ::testing::ValuesIn(kScriptCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct WindowSizeCase {
  const char* name;
  const char* arguments;  // Lua expressions for OpenWindow
  bool opens;
};

void PrintTo(const WindowSizeCase& c, std::ostream* out) { *out << "OpenWindow(" << c.arguments << ")"; }

// One run each: a size that is taken opens the one window.
const WindowSizeCase kWindowSizeCases[] = {
    {"Nothing", "", false},
    {"Nil", "nil, nil", false},
    {"Zero", "0, 0", false},
    {"NegativeWidth", "-1, 64", false},
    {"NegativeHeight", "64, -1", false},
    {"Tables", "{}, {}", false},
    {"Booleans", "true, true", false},
    {"Words", "'wide', 'tall'", false},
    {"NotANumber", "0 / 0, 64", false},
    {"MinusHuge", "-math.huge, 64", false},
    {"BelowInt32", "-2 ^ 31 - 1, 64", false},
    {"Int32Overflow", "2 ^ 31, 64", false},
    {"TwoToThe63", "64, 2 ^ 63", false},
    {"Huge", "math.huge, math.huge", false},
    {"Billion", "1e9, 1e9", false},
    {"JustAboveTheLimit", "16385, 64", false},
    {"FractionsAreTruncated", "64.9, 48.9", true},
    {"NumericStrings", "'64', '48'", true},
    {"ExtraArguments", "64, 48, {}, print", true},
};

class WindowSize : public ::testing::TestWithParam<WindowSizeCase> {};

TEST_P(WindowSize, OpensOrPrintsTheErrorAndExitsZero) {
  const WindowSizeCase& c = GetParam();
  const HostRunResult run = RunMisuseScript(
      std::string("OpenWindow(") + c.arguments + ")\nprint('|')\nfunction initialize() end\n" +
      "function update() print('frame') os.exit(0) end\n");
  ExpectCleanExit(run);
  EXPECT_EQ(run.output, c.opens ? "|\nframe\n" : "Error, could not create window.|\n");
}

INSTANTIATE_TEST_SUITE_P(Misuse, WindowSize, ::testing::ValuesIn(kWindowSizeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MisuseScriptSupport, AnyTextPatternMatchesOnlyWhatItShould) {
  EXPECT_TRUE(MatchesPattern("a\nb", "a\nb"));
  EXPECT_FALSE(MatchesPattern("a\nb", "a\n"));
  EXPECT_TRUE(MatchesPattern("log: x\ny\ndone\n", "log: {...}\ndone\n"));
  EXPECT_TRUE(MatchesPattern("1 ms 2 ms\n", "{...} ms {...} ms\n"));
  EXPECT_FALSE(MatchesPattern("1 ms\n", "{...} ms {...} ms\n"));
  EXPECT_TRUE(MatchesPattern("tail", "tail{...}"));
  EXPECT_FALSE(MatchesPattern("head only", "tail{...}"));
}

}  // namespace
