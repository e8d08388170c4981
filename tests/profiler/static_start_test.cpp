// The process's profiler and fixed zones work before main: they are constant
// initialised, so the order of dynamic initialisation does not matter.
#include <gtest/gtest.h>

#include <string>

#include "profiler/profile_manager.h"
#include "profiler/profile_report.h"

namespace {

PROFILE_ZONE(startUpZone, "StartUp");

void enterNestedZone() {
  PROFILE_ZONE(nestedZone, "Nested");
  ZoneGuard guard(nestedZone);
}

struct EnteredBeforeMain {
  EnteredBeforeMain() {
    ZoneGuard guard(startUpZone);
    enterNestedZone();
    enterNestedZone();
  }
} enteredBeforeMain;

TEST(StaticStart, ZonesEnteredBeforeMainAreInTheTree) {
  EXPECT_EQ(profileManager.initialized, 1);
  EXPECT_EQ(profileManager.currentNode, &profileManager.rootNode);
  EXPECT_EQ(profileManager.zoneCount, 3u);
  EXPECT_EQ(profileManager.nodeCount, 3u);
  ASSERT_EQ(profileManager.rootZone.next, &startUpZone.zone);
  EXPECT_STREQ(startUpZone.zone.next->name, "Nested");
  EXPECT_EQ(startUpZone.cache->parent, &profileManager.rootNode);

  profileManager.update();
  EXPECT_EQ(startUpZone.zone.data.calls.average, 1.0f);
  EXPECT_EQ(startUpZone.zone.next->data.calls.average, 2.0f);
  const std::string tree = treeReportText(profileManager);
  ASSERT_EQ(tree.size(), 4u * 80 - 1);
  EXPECT_EQ(tree.substr(2 * 80, 9), "  StartUp");
  EXPECT_EQ(tree.substr(3 * 80, 10), "    Nested");
}

}  // namespace
