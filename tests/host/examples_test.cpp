// The shipped scripts (the demo in res/ and every folder in examples/) run on
// the real host without a diagnostic and put a real picture on the screen, and
// the README's script reference names exactly the registered functions.
// gtest before Xlib: Xlib's None and Bool macros break gtest's headers.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
// clang-format on
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/registry.h"
#include "host_runner.h"
#include "x11_window.h"

namespace fs = std::filesystem;

namespace {

// What any failure inside the host or a script prints (Error: ..., Error, could
// not create window., Image loading error: ..., BASS error: N, Shader (...), Could not load).
const char* const kDiagnostics[] = {"Error", "error:", "Could not"};

struct ScreenStats {
  size_t pixels = 0;
  size_t distinctColours = 0;
  size_t mostCommonCount = 0;
  size_t whiteInOverlayCorner = 0;  // where the profiler overlay's first row starts
};

// Takes the whole screen of `display`: on a private server the host's window
// is the only thing on it.
ScreenStats CaptureScreen(const std::string& display) {
  ScreenStats stats;
  Display* x = XOpenDisplay(display.c_str());
  if (x == nullptr) return stats;
  const Window root = DefaultRootWindow(x);
  XWindowAttributes attributes;
  XGetWindowAttributes(x, root, &attributes);
  XImage* image = XGetImage(x, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
  if (image != nullptr) {
    std::unordered_map<unsigned long, size_t> counts;
    for (int py = 0; py < image->height; ++py)
      for (int px = 0; px < image->width; ++px) {
        const unsigned long colour = XGetPixel(image, px, py) & 0xffffff;
        ++counts[colour];
        if (colour == 0xffffff && px >= 20 && px < 200 && py >= 20 && py < 50) ++stats.whiteInOverlayCorner;
      }
    stats.pixels = static_cast<size_t>(image->width) * image->height;
    stats.distinctColours = counts.size();
    for (const auto& entry : counts) stats.mostCommonCount = std::max(stats.mostCommonCount, entry.second);
    XDestroyImage(image);
  }
  XCloseDisplay(x);
  return stats;
}

struct ScriptRun {
  std::string output;
  int exitStatus = -1;
  ScreenStats screen;
  bool windowSeen = false;
};

// Runs the host in `directory` (the way a user does: cd there, run strobe),
// taps `key` once (a keysym, 0 for none), lets it draw for `seconds` (or until
// `awaitedFile` exists, then a moment more), captures the screen and closes
// the window as a user would.
ScriptRun RunScriptFolder(const std::string& directory, const std::string& display, double seconds,
                          const std::string& awaitedFile, unsigned long key) {
  ScriptRun run;
  const std::string log = directory + "/.host-output";
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || chdir(directory.c_str()) != 0) _exit(127);
    dup2(fd, STDOUT_FILENO);
    dup2(fd, STDERR_FILENO);
    setenv("DISPLAY", display.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    execl(STROBE_BINARY, STROBE_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  {
    X11Session session(display);
    run.windowSeen = session.waitForWindowOf(pid, 20);
    if (run.windowSeen) {
      if (key != 0) {
        session.focus();
        SleepSeconds(0.5);
        session.key(key, true);
        SleepSeconds(0.3);
        session.key(key, false);
      }
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      if (!awaitedFile.empty())
        while (!fs::exists(directory + "/" + awaitedFile) && std::chrono::steady_clock::now() < deadline)
          SleepSeconds(0.1);
      SleepSeconds(seconds);
      run.screen = CaptureScreen(display);
      session.requestClose();
    }
  }
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (waitpid(pid, &status, WNOHANG) != pid) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    SleepSeconds(0.05);
  }
  if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  run.output = ReadFile(log);
  return run;
}

struct FolderCase {
  const char* name;
  const char* directory;    // inside the copy of the source tree
  const char* awaitedFile;  // written by the script before the picture is taken ("" for none)
  std::vector<std::string> expectedOutput;
  bool overlayShown = false;  // the picture is taken while ShowProfiling(true) holds
  unsigned long key = 0;      // tapped once the window is up
};

const FolderCase kFolders[] = {
    // P switches the demo's profiler overlay on.
    {"Demo", ".", "", {"Shader (res/shaders/glow_blur.shader), GLSL Info:"}, true, XK_p},
    {"HelloBox", "examples/hello_box", "", {}},
    {"TextLayout", "examples/text_layout", "", {}},
    {"RenderTargets", "examples/render_targets", "", {"Shader (res/ripple.shader), GLSL Info:"}},
    {"MusicSpectrum", "examples/music_spectrum", "", {}},
    {"Profiling", "examples/profiling", "profile.txt",
     {"call tree", "sorted list", "@res/main.lua(", ":drawGrid", "C:DrawBoxWithColor", "FillPipe"},
     true},
};

void PrintTo(const FolderCase& folder, std::ostream* out) { *out << folder.directory; }

// The head of a long output: a failing script prints a line every frame.
std::string Head(const std::string& text) { return text.size() > 2000 ? text.substr(0, 2000) + "..." : text; }

class ShippedScripts : public ::testing::TestWithParam<FolderCase> {
 protected:
  // One private X server for all runs (other tests' windows would overlap the
  // host's on the shared display), and one copy of res/ and examples/ so the
  // examples' ../../res paths work and nothing is written into the sources.
  static void SetUpTestSuite() {
    server_ = std::make_unique<PrivateXServer>();
    std::string pattern = (fs::temp_directory_path() / "strobe-examples-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    tree_ = pattern;
    for (const char* folder : {"res", "examples"})
      fs::copy(SourcePath(folder), tree_ + "/" + folder, fs::copy_options::recursive);
  }
  static void TearDownTestSuite() {
    server_.reset();
    fs::remove_all(tree_);
  }
  static std::unique_ptr<PrivateXServer> server_;
  static std::string tree_;
};

std::unique_ptr<PrivateXServer> ShippedScripts::server_;
std::string ShippedScripts::tree_;

TEST_P(ShippedScripts, RunWithoutDiagnosticsAndDrawAPicture) {
  const FolderCase& folder = GetParam();
  ASSERT_FALSE(server_->display().empty()) << "Xvfb did not start";
  const std::string directory = tree_ + "/" + folder.directory;
  ASSERT_TRUE(fs::exists(directory + "/res/main.lua")) << directory;
  if (*folder.awaitedFile) fs::remove(directory + "/" + folder.awaitedFile);  // left by a run in the sources

  const ScriptRun run = RunScriptFolder(directory, server_->display(), 3.0, folder.awaitedFile, folder.key);
  ASSERT_TRUE(run.windowSeen) << Head(run.output);
  EXPECT_EQ(run.exitStatus, 0) << Head(run.output);
  for (const char* diagnostic : kDiagnostics)
    EXPECT_EQ(run.output.find(diagnostic), std::string::npos) << "'" << diagnostic << "' in:\n" << Head(run.output);

  std::string everything = run.output;
  if (*folder.awaitedFile) everything += ReadFile(directory + "/" + folder.awaitedFile);
  for (const std::string& expected : folder.expectedOutput)
    EXPECT_NE(everything.find(expected), std::string::npos) << "'" << expected << "' missing from:\n" << Head(everything);

  // Not blank: many colours, and no single colour (the background) fills it.
  ASSERT_GT(run.screen.pixels, 0u);
  EXPECT_GE(run.screen.distinctColours, 16u);
  EXPECT_LT(run.screen.mostCommonCount, run.screen.pixels * 97 / 100);
  // The overlay's "call tree" heading is white text at (25, 25).
  if (folder.overlayShown) {
    EXPECT_GE(run.screen.whiteInOverlayCorner, 30u);
  }
}

INSTANTIATE_TEST_SUITE_P(Folders, ShippedScripts, ::testing::ValuesIn(kFolders),
                         [](const ::testing::TestParamInfo<FolderCase>& info) { return info.param.name; });

// The function names of the README's script reference: the first cell of each
// row of every table under "## Script reference" whose header cell is
// "function", when it starts with a global's name (upper camel case).
std::set<std::string> ReferencedFunctions(const std::string& readme) {
  std::set<std::string> names;
  std::istringstream lines(readme);
  std::string line;
  bool inReference = false;
  bool inFunctionTable = false;
  while (std::getline(lines, line)) {
    if (line.rfind("## ", 0) == 0) inReference = line == "## Script reference";
    if (!inReference) continue;
    if (line.empty() || line[0] != '|') {
      inFunctionTable = false;
      continue;
    }
    std::string cell = line.substr(1, line.find('|', 1) - 1);
    cell.erase(0, cell.find_first_not_of(' '));
    cell.erase(cell.find_last_not_of(' ') + 1);
    std::string lower = cell;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    if (lower == "function") {
      inFunctionTable = true;
      continue;
    }
    if (!inFunctionTable || cell.size() < 2 || cell[0] != '`' || !isupper(static_cast<unsigned char>(cell[1])))
      continue;
    const size_t end = cell.find_first_not_of(
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", 1);
    names.insert(cell.substr(1, end - 1));
  }
  return names;
}

TEST(Reference, ReadmeListsExactlyTheRegisteredFunctions) {
  const std::string readme = ReadFile(SourcePath("README.md"));
  ASSERT_FALSE(readme.empty());
  const std::set<std::string> referenced = ReferencedFunctions(readme);
  std::set<std::string> registered;
  for (size_t i = 0; i < kGlobalFunctionCount; ++i) registered.insert(kGlobalFunctions[i].name);
  for (const std::string& name : registered) EXPECT_EQ(referenced.count(name), 1u) << name << " is not in the README";
  for (const std::string& name : referenced) EXPECT_EQ(registered.count(name), 1u) << name << " is not registered";
}

TEST(Reference, TheParserFindsFunctionRowsOnly) {
  const std::string readme =
      "## Script reference\n\n| callback | when |\n|---|---|\n| `MusicEnd()` | end |\n\n"
      "| Function | Arguments |\n|---|---|\n| `DrawBox(x, y)` | centre |\n| `profiler.update()` | x |\n"
      "| `GetMouse()` | none |\n\n## Development\n\n| function |\n|---|\n| `NotReference()` |\n";
  EXPECT_EQ(ReferencedFunctions(readme), (std::set<std::string>{"DrawBox", "GetMouse"}));
}

// The demo shows off the whole API: every registered function is called
// somewhere in res/*.lua.
TEST(Reference, TheDemoCallsEveryRegisteredFunction) {
  std::string demo;
  for (const auto& entry : fs::directory_iterator(SourcePath("res")))
    if (entry.path().extension() == ".lua") demo += ReadFile(entry.path().string());
  ASSERT_FALSE(demo.empty());
  for (size_t i = 0; i < kGlobalFunctionCount; ++i)
    EXPECT_NE(demo.find(std::string(kGlobalFunctions[i].name) + "("), std::string::npos)
        << kGlobalFunctions[i].name << " is not used by the demo";
}

}  // namespace
