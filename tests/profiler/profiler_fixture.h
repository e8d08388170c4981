#pragma once
// A private ProfileManager driven by a fake clock, so every figure is exact.
#include <gtest/gtest.h>

#include <cstdint>

#include "profiler/profile_manager.h"
#include "profiler/profile_report.h"
#include "profiler/tick_source.h"

struct FakeClock {
  static inline uint64_t now = 0;
  static inline uint64_t rate = 1000000;  // one tick is one microsecond
  static uint64_t read() { return now; }
  static uint64_t readRate() { return rate; }
};

class ProfilerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    systemSource_ = tickSource;
    FakeClock::now = 1000;
    FakeClock::rate = 1000000;
    useTickSource({FakeClock::read, FakeClock::readRate});
    forgetTimeUnits();
  }
  void TearDown() override {
    manager.releaseNodes();
    useTickSource(systemSource_);
    forgetTimeUnits();
  }

  static void advance(uint64_t ticks) { FakeClock::now += ticks; }

  // Enters, spends `ticks` inside, leaves.
  void spend(ZoneSite& site, uint64_t ticks) {
    manager.enterZone(site);
    advance(ticks);
    manager.leaveZone();
  }

  // Declared before the manager: clearing it resets their caches.
  ZoneSite a{"A"}, b{"B"}, c{"C"}, d{"D"};
  ProfileManager manager;

 private:
  TickSource systemSource_{};
};
