#include <gtest/gtest.h>
#include <time.h>

#include "profiler/tick_source.h"

namespace {

uint64_t monotonicNanoseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint64_t(now.tv_sec) * 1000000000u + uint64_t(now.tv_nsec);
}

// Runs first in this executable: nothing has read the clock yet.
TEST(TickSource, FirstReadingInstallsTheSystemSource) {
  const TickSource initial = tickSource;
  EXPECT_NE(initial.read, systemTickSource().read);
  readTicks();
  EXPECT_EQ(tickSource.read, systemTickSource().read);
  EXPECT_EQ(tickSource.rate, systemTickSource().rate);
}

TEST(TickSource, ReadingsNeverGoBack) {
  uint64_t previous = readTicks();
  for (int i = 0; i < 100000; ++i) {
    const uint64_t now = readTicks();
    ASSERT_GE(now, previous);
    previous = now;
  }
}

// The rate must turn ticks into the same seconds as CLOCK_MONOTONIC.
TEST(TickSource, RateMatchesTheMonotonicClock) {
  const uint64_t rate = tickRate();
  ASSERT_GT(rate, 0u);
  const uint64_t startTicks = readTicks();
  const uint64_t startNanoseconds = monotonicNanoseconds();
  timespec pause{0, 50000000};
  nanosleep(&pause, nullptr);
  const uint64_t endNanoseconds = monotonicNanoseconds();
  const uint64_t endTicks = readTicks();
  const double tickSeconds = double(endTicks - startTicks) / double(rate);
  const double clockSeconds = double(endNanoseconds - startNanoseconds) * 1e-9;
  // The tick span brackets the clock span; a few microseconds of slack cover that.
  EXPECT_NEAR(tickSeconds, clockSeconds, clockSeconds * 0.005 + 20e-6);
}

uint64_t readZero() { return 0; }
uint64_t rateFive() { return 5; }
uint64_t rateSeven() { return 7; }
uint64_t rateZero() { return 0; }

TEST(TickSource, KeptRateIsForgottenWithTheSource) {
  const TickSource system = tickSource;
  useTickSource({readZero, rateFive});
  EXPECT_EQ(tickRate(), 5u);
  tickSource.rate = rateSeven;  // kept: not read again
  EXPECT_EQ(tickRate(), 5u);
  useTickSource({readZero, rateZero});
  EXPECT_EQ(tickRate(), 0u);
  tickSource.rate = rateSeven;  // a kept 0 is read again
  EXPECT_EQ(tickRate(), 7u);
  useTickSource(system);
}

}  // namespace
