#include <cstdio>

#include "host/host.h"

int main(int argc, char** argv) {
  // Diagnostics reach a pipe line by line, even if the process is killed.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  RunHost(argc, argv);
  return 0;
}
