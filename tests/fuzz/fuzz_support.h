#pragma once
// Shared by the fuzz targets: the readers under test take file paths, so each
// input is written to a scratch file of this process first.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Stops the run with a message when an invariant of the code under test fails;
// libFuzzer then saves the input as a crash.
#define FUZZ_CHECK(condition)                                                         \
  do {                                                                                \
    if (!(condition)) {                                                               \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)

// A scratch file path of this process, in memory when /dev/shm exists.
inline const std::string& ScratchPath(const char* suffix) {
  static const std::string path = [suffix] {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/strobe-fuzz-" + std::to_string(getpid()) + suffix;
  }();
  return path;
}

// Writes `size` bytes to `path`, replacing what was there.
inline void WriteScratchFile(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(file != nullptr);
  if (size > 0) FUZZ_CHECK(std::fwrite(data, 1, size, file) == size);
  std::fclose(file);
}

// Removes the scratch file when the process ends.
inline void RemoveAtExit(const std::string& path) {
  static std::string remembered;
  remembered = path;
  std::atexit([] { std::remove(remembered.c_str()); });
}
