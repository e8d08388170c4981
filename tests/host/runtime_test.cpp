#include <gtest/gtest.h>

#include "host_runner.h"

TEST(HostRuntime, MissingMainScriptPrintsThreeLinesAndExitsZero) {
  HostRunOptions options;
  options.withoutMainScript = true;
  const HostRunResult run = RunHost("", options);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.output,
            "Could not open main script\n"
            "Error: attempt to call a string value\n"
            "Error: attempt to call a nil value\n");
}
