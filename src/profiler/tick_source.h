#pragma once
// The profiler's clock: a monotonic tick counter and its rate in ticks per second.
//
// The source is a pair of plain function pointers so that tests can drive a fake
// clock. It starts out as a self-selecting source: the first reading picks the
// machine's fastest correct counter (the TSC when the CPU says it is invariant,
// CLOCK_MONOTONIC in nanoseconds otherwise) and installs it. All of this is
// constant-initialised, so zones can be entered before main.
#include <cstdint>

struct TickSource {
  uint64_t (*read)();  // the counter now
  uint64_t (*rate)();  // ticks per second; may be slow (the TSC rate is measured)
};

extern TickSource tickSource;

inline uint64_t readTicks() { return tickSource.read(); }

// The rate, read from the source once and kept; read again only while the kept
// value is 0.
uint64_t tickRate();

// Installs another source (a fake clock in tests) and forgets the kept rate.
void useTickSource(TickSource source);

// The machine's own source, selected as described above.
TickSource systemTickSource();
