#include "profiler/tick_source.h"

#include "profiler/constant_init.h"

#include <time.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define STROBE_HAS_TSC 1
#endif

namespace {

uint64_t monotonicNanoseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint64_t(now.tv_sec) * 1000000000u + uint64_t(now.tv_nsec);
}

uint64_t monotonicRate() { return 1000000000u; }

#ifdef STROBE_HAS_TSC

uint64_t readTsc() { return __rdtsc(); }

// The TSC rate is not published in a portable way, so it is measured against
// CLOCK_MONOTONIC, from the moment the source was selected to the first need.
struct ClockPair {
  uint64_t tsc;
  uint64_t nanoseconds;
};

ClockPair calibrationStart;

ClockPair readClockPair() {
  // The TSC readings around the clock call bracket it; their midpoint matches it.
  const uint64_t before = __rdtsc();
  const uint64_t nanoseconds = monotonicNanoseconds();
  const uint64_t after = __rdtsc();
  return {before + (after - before) / 2, nanoseconds};
}

uint64_t measuredTscRate() {
  // 20 ms keep the error of two bracketed readings to a few parts per million.
  constexpr uint64_t minimumSpan = 20000000;
  ClockPair now = readClockPair();
  const uint64_t elapsed = now.nanoseconds - calibrationStart.nanoseconds;
  if (elapsed < minimumSpan) {
    const uint64_t rest = minimumSpan - elapsed;
    timespec pause{time_t(rest / 1000000000u), long(rest % 1000000000u)};
    while (nanosleep(&pause, &pause) != 0) {
    }
    now = readClockPair();
  }
  const unsigned __int128 ticks = now.tsc - calibrationStart.tsc;
  const uint64_t span = now.nanoseconds - calibrationStart.nanoseconds;
  return uint64_t(ticks * 1000000000u / span);
}

bool hasInvariantTsc() {
  unsigned eax, ebx, ecx, edx;
  if (!__get_cpuid(0x80000007, &eax, &ebx, &ecx, &edx)) return false;
  return (edx & (1u << 8)) != 0;
}

#endif

// Selection happens on first use; the chosen pair then replaces these.
uint64_t selectAndRead() {
  tickSource = systemTickSource();
  return tickSource.read();
}

uint64_t selectAndRate() {
  tickSource = systemTickSource();
  return tickSource.rate();
}

uint64_t keptRate = 0;

}  // namespace

PROFILE_CONSTINIT TickSource tickSource = {selectAndRead, selectAndRate};

TickSource systemTickSource() {
#ifdef STROBE_HAS_TSC
  if (hasInvariantTsc()) {
    if (calibrationStart.nanoseconds == 0) calibrationStart = readClockPair();
    return {readTsc, measuredTscRate};
  }
#endif
  return {monotonicNanoseconds, monotonicRate};
}

uint64_t tickRate() {
  if (keptRate == 0) keptRate = tickSource.rate();
  return keptRate;
}

void useTickSource(TickSource source) {
  tickSource = source;
  keptRate = 0;
}
