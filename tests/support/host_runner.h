#pragma once
// Runs the real strobe binary in a fresh temporary working directory.
#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

struct HostRunResult {
  std::string output;  // standard output
  std::string errors;  // standard error
  int exitStatus = -1; // -1 when the process did not exit normally
  bool timedOut = false;
  std::string directory;  // the working directory the run used (kept)
};

struct HostRunOptions {
  // Extra files, by path relative to the working directory (res/x.png ...).
  std::map<std::string, std::string> files;
  // Files copied in: destination (relative) -> source path.
  std::map<std::string, std::string> copies;
  std::vector<std::string> arguments;
  std::vector<std::pair<std::string, std::string>> environment;
  double timeoutSeconds = 20.0;
  // Runs on the test's thread while the host runs, with its process id.
  std::function<void(pid_t)> whileRunning;
  // Leave res/main.lua out of the working directory.
  bool withoutMainScript = false;
};

// Writes `mainLua` to res/main.lua (and the other files), runs the binary there
// under the current DISPLAY and collects what it printed. Kills it on timeout.
HostRunResult RunHost(const std::string& mainLua, const HostRunOptions& options = {});

// Reads a whole file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Writes a whole file, creating its parent directories.
void WriteFile(const std::string& path, const std::string& contents);

// Path of a file below the source tree (for fixtures).
std::string SourcePath(const std::string& relative);

// Counts non-overlapping occurrences of `needle` in `text`.
int CountOccurrences(const std::string& text, const std::string& needle);
