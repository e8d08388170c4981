#include "host_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

void WriteFile(const std::string& path, const std::string& contents) {
  fs::path target(path);
  if (target.has_parent_path()) fs::create_directories(target.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << contents;
}

std::string SourcePath(const std::string& relative) {
  return std::string(STROBE_SOURCE_DIR) + "/" + relative;
}

int CountOccurrences(const std::string& text, const std::string& needle) {
  int count = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size()))
    ++count;
  return count;
}

namespace {

std::string MakeTemporaryDirectory() {
  std::string pattern = (fs::temp_directory_path() / "strobe-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

void Drain(int fd, std::string& into) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return;
    into.append(buffer, static_cast<size_t>(n));
  }
}

}  // namespace

HostRunResult RunHost(const std::string& mainLua, const HostRunOptions& options) {
  HostRunResult result;
  result.directory = MakeTemporaryDirectory();
  if (!options.withoutMainScript) WriteFile(result.directory + "/res/main.lua", mainLua);
  for (const auto& [path, contents] : options.files) WriteFile(result.directory + "/" + path, contents);
  for (const auto& [path, source] : options.copies) {
    fs::path target = fs::path(result.directory) / path;
    fs::create_directories(target.parent_path());
    fs::copy_file(source, target, fs::copy_options::overwrite_existing);
  }

  int outPipe[2];
  int errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) throw std::runtime_error("pipe failed");

  const pid_t pid = fork();
  if (pid == 0) {
    dup2(outPipe[1], STDOUT_FILENO);
    dup2(errPipe[1], STDERR_FILENO);
    close(outPipe[0]);
    close(errPipe[0]);
    if (chdir(result.directory.c_str()) != 0) _exit(127);
    for (const auto& [name, value] : options.environment) setenv(name.c_str(), value.c_str(), 1);
    if (getenv("SDL_AUDIODRIVER") == nullptr) setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(STROBE_BINARY));
    for (const std::string& argument : options.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(STROBE_BINARY, argv.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  fcntl(outPipe[0], F_SETFL, O_NONBLOCK);
  fcntl(errPipe[0], F_SETFL, O_NONBLOCK);

  std::thread watcher;
  if (options.whileRunning) watcher = std::thread([&] { options.whileRunning(pid); });

  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(static_cast<int>(options.timeoutSeconds * 1000));
  int status = 0;
  bool exited = false;
  while (!exited) {
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    poll(fds, 2, 20);
    Drain(outPipe[0], result.output);
    Drain(errPipe[0], result.errors);
    if (waitpid(pid, &status, WNOHANG) == pid) {
      exited = true;
    } else if (std::chrono::steady_clock::now() > deadline) {
      result.timedOut = true;
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      exited = true;
    }
  }
  if (watcher.joinable()) watcher.join();
  Drain(outPipe[0], result.output);
  Drain(errPipe[0], result.errors);
  close(outPipe[0]);
  close(errPipe[0]);
  if (!result.timedOut && WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  return result;
}
