#include <malloc.h>

#include <cstdio>

#include "host/host.h"

int main(int argc, char** argv) {
  // Diagnostics reach a pipe line by line, even if the process is killed.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  // Mesa's software renderer allocates and frees vertex buffers of a few
  // hundred kilobytes on every batch draw. With glibc's defaults that memory
  // goes back to the kernel each time and every draw page-faults it in again
  // (about a third of a frame full of boxes); keep it in the process instead.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  RunHost(argc, argv);
  return 0;
}
