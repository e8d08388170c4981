#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "profiler_fixture.h"

namespace {

std::vector<const ProfileZone*> zoneList(const ProfileManager& manager) {
  std::vector<const ProfileZone*> zones;
  for (const ProfileZone* zone = &manager.rootZone; zone != nullptr; zone = zone->next) zones.push_back(zone);
  return zones;
}

void expectData(const ProfileData& data, float calls, float self, float child) {
  EXPECT_EQ(data.calls.average, calls);
  EXPECT_EQ(data.selfTime.average, self);
  EXPECT_EQ(data.childTime.average, child);
}

using ProfileManagerTest = ProfilerTest;

TEST_F(ProfileManagerTest, StartsInactiveWithTheRootAlone) {
  EXPECT_EQ(manager.initialized, 0);
  EXPECT_EQ(manager.awaitingFirstUpdate, 1);
  EXPECT_EQ(manager.currentNode, &manager.rootNode);
  EXPECT_EQ(manager.rootNode.parent, &manager.rootNode);
  EXPECT_EQ(manager.rootNode.zone, &manager.rootZone);
  EXPECT_STREQ(manager.rootZone.name, "<unprofiled>");
  EXPECT_EQ(manager.slotCount, 1u);
  EXPECT_EQ(manager.slotMask, 0u);
  EXPECT_EQ(manager.slots[0], nullptr);
  EXPECT_EQ(manager.zoneTail, &manager.rootZone);
  EXPECT_EQ(manager.damping, 0.9f);
  EXPECT_EQ(a.cache, &sentinelNode);
}

TEST_F(ProfileManagerTest, FirstEnterActivatesAndTheRootCallThenDecays) {
  manager.damping = 0.5f;
  FakeClock::now = 7000;
  manager.enterZone(a);
  EXPECT_EQ(manager.initialized, 1);
  EXPECT_EQ(manager.previousTick, 7000u);
  EXPECT_EQ(manager.rootNode.pendingCalls, 1u);
  EXPECT_EQ(manager.slotCount, 256u);
  ASSERT_NE(manager.poolHead, nullptr);
  EXPECT_EQ(manager.poolHead->end - manager.poolHead->items(), 128);
  EXPECT_EQ(manager.nodeCount, 2u);
  EXPECT_EQ(manager.zoneCount, 2u);
  EXPECT_EQ(a.zone.state, ZoneState::Registered);
  EXPECT_EQ(manager.currentNode, a.cache);
  EXPECT_EQ(a.cache->parent, &manager.rootNode);
  EXPECT_EQ(a.cache->depth, 1u);
  EXPECT_EQ(a.cache->cacheSlot, &a.cache);

  advance(50);
  manager.leaveZone();
  advance(30);
  manager.update();
  EXPECT_EQ(manager.awaitingFirstUpdate, 0);
  expectData(manager.rootNode.data, 1, 30, 50);
  expectData(a.cache->data, 1, 50, 0);
  expectData(manager.rootZone.data, 1, 30, 50);
  expectData(a.zone.data, 1, 50, 0);
  EXPECT_EQ(manager.rootZone.state, ZoneState::Registered);

  manager.update();
  EXPECT_EQ(manager.rootNode.data.calls.average, 0.5f);
  manager.update();
  EXPECT_EQ(manager.rootNode.data.calls.average, 0.25f);
  EXPECT_EQ(manager.rootZone.data.calls.average, 0.25f);
}

TEST_F(ProfileManagerTest, CachedNodeIsUsedWithoutProbingAndOtherParentsProbe) {
  manager.enterZone(a);
  ProfileNode* nodeA = manager.currentNode;
  manager.enterZone(b);
  ProfileNode* nodeBUnderA = b.cache;
  manager.leaveZone();

  // With the table emptied, only the cache can find B under A again.
  std::vector<ProfileNode*> emptyTable(manager.slotCount, nullptr);
  ProfileNode** table = manager.slots;
  manager.slots = emptyTable.data();
  manager.enterZone(b);
  manager.slots = table;
  EXPECT_EQ(manager.currentNode, nodeBUnderA);
  EXPECT_EQ(manager.nodeCount, 3u);
  manager.leaveZone();
  manager.leaveZone();

  manager.enterZone(b);
  ProfileNode* nodeBUnderRoot = b.cache;
  EXPECT_NE(nodeBUnderRoot, nodeBUnderA);
  EXPECT_EQ(nodeBUnderRoot->parent, &manager.rootNode);
  EXPECT_EQ(manager.nodeCount, 4u);
  EXPECT_EQ(manager.zoneCount, 3u);  // B is listed once
  manager.leaveZone();

  manager.enterZone(a);
  EXPECT_EQ(manager.currentNode, nodeA);
  manager.enterZone(b);
  EXPECT_EQ(b.cache, nodeBUnderA);
  EXPECT_EQ(manager.nodeCount, 4u);
  EXPECT_EQ(manager.rootNode.childCount, 2u);
  EXPECT_EQ(manager.rootNode.firstChild, nodeA);
  EXPECT_EQ(manager.rootNode.lastChild, nodeBUnderRoot);
  EXPECT_EQ(nodeA->nextSibling, nodeBUnderRoot);
  EXPECT_EQ(nodeBUnderA->depth, 2u);
}

TEST_F(ProfileManagerTest, RecursionCountsTheOuterZoneTimeOnce) {
  // A { 10 B { 20 A { 40 } 5 } 3 }
  manager.enterZone(a);
  ProfileNode* outerA = manager.currentNode;
  advance(10);
  manager.enterZone(b);
  advance(20);
  manager.enterZone(a);
  ProfileNode* innerA = manager.currentNode;
  advance(40);
  manager.leaveZone();
  advance(5);
  manager.leaveZone();
  advance(3);
  manager.leaveZone();
  manager.update();

  EXPECT_NE(innerA, outerA);
  EXPECT_EQ(innerA->depth, 3u);
  expectData(outerA->data, 1, 13, 65);
  expectData(b.cache->data, 1, 25, 40);
  expectData(innerA->data, 1, 40, 0);
  expectData(a.zone.data, 2, 53, 25);
  EXPECT_EQ(totalTime(a.zone.data), 78.0f);
  expectData(b.zone.data, 1, 25, 40);
  expectData(manager.rootNode.data, 1, 0, 78);
  for (const ProfileZone* zone : zoneList(manager)) EXPECT_EQ(zone->state, ZoneState::Registered);
  EXPECT_EQ(manager.zoneCount, 3u);
}

TEST_F(ProfileManagerTest, LeaveAtTheRootStaysAtTheRoot) {
  manager.leaveZone();
  EXPECT_EQ(manager.currentNode, &manager.rootNode);
  spend(a, 10);
  manager.leaveZone();
  EXPECT_EQ(manager.currentNode, &manager.rootNode);
}

TEST_F(ProfileManagerTest, TableAndPoolsGrowWhenThePoolsAreFull) {
  std::vector<ZoneSite> sites(300);
  std::vector<ProfileNode*> nodes;
  auto enterNew = [&](size_t i) {
    manager.enterZone(sites[i]);
    nodes.push_back(manager.currentNode);
    manager.leaveZone();
  };
  for (size_t i = 0; i < 128; ++i) enterNew(i);
  EXPECT_EQ(manager.nodeCount, 129u);
  EXPECT_EQ(manager.slotCount, 256u);
  EXPECT_EQ(manager.poolHead->nextFree, manager.poolHead->end);
  EXPECT_EQ(manager.poolHead->next, nullptr);

  enterNew(128);
  EXPECT_EQ(manager.slotCount, 512u);
  EXPECT_EQ(manager.slotMask, 511u);
  EXPECT_EQ(manager.nodeCount, 130u);
  ASSERT_NE(manager.poolHead->next, nullptr);
  EXPECT_EQ(manager.poolTail, manager.poolHead->next);
  EXPECT_EQ(manager.poolTail->end - manager.poolTail->items(), 128);
  EXPECT_EQ(nodes.back(), manager.poolTail->items());

  for (size_t i = 129; i < 257; ++i) enterNew(i);
  EXPECT_EQ(manager.slotCount, 1024u);
  EXPECT_EQ(manager.poolTail->end - manager.poolTail->items(), 256);
  EXPECT_EQ(manager.nodeCount, 258u);

  // Every node is found through the table once its cache is gone.
  for (size_t i = 0; i < nodes.size(); ++i) {
    sites[i].cache = &sentinelNode;
    manager.enterZone(sites[i]);
    EXPECT_EQ(manager.currentNode, nodes[i]) << i;
    manager.leaveZone();
  }
  EXPECT_EQ(manager.nodeCount, 258u);
  size_t occupied = 0;
  for (uint32_t slot = 0; slot < manager.slotCount; ++slot) occupied += manager.slots[slot] != nullptr;
  EXPECT_EQ(occupied, 257u);
  manager.releaseNodes();
}

TEST_F(ProfileManagerTest, DampingWeighsTheOldAverage) {
  struct Case {
    float damping;
    float expected;
  } cases[] = {{0.0f, 30.0f}, {0.5f, 20.0f}, {0.25f, 25.0f}, {1.0f, 10.0f}};
  for (const Case& test : cases) {
    SCOPED_TRACE(test.damping);
    ProfileManager local;
    ZoneSite zone("Z");
    local.damping = test.damping;
    local.enterZone(zone);
    advance(10);
    local.leaveZone();
    local.update();
    local.enterZone(zone);
    advance(30);
    local.leaveZone();
    local.update();
    EXPECT_EQ(zone.cache->data.selfTime.average, test.expected);
    EXPECT_EQ(zone.zone.data.selfTime.average, test.expected);
    EXPECT_EQ(zone.zone.data.calls.average, 1.0f);
    local.releaseNodes();
  }
}

TEST_F(ProfileManagerTest, NotANumberDampingTakesTheDampedRule) {
  manager.damping = NAN;
  spend(a, 10);
  manager.update();  // the first update is always plain
  EXPECT_EQ(a.zone.data.selfTime.average, 10.0f);
  spend(a, 10);
  manager.update();
  EXPECT_TRUE(std::isnan(a.zone.data.selfTime.average));
}

TEST_F(ProfileManagerTest, UpdateBeforeAnyEnterChargesTheRootWithTheWholeCounter) {
  FakeClock::now = 123456;
  manager.update();
  expectData(manager.rootNode.data, 0, 123456, 0);
  EXPECT_EQ(manager.initialized, 0);
  EXPECT_EQ(manager.awaitingFirstUpdate, 0);
}

TEST_F(ProfileManagerTest, ClearResetsCachesAndZonesReRegisterInOrderOfEntry) {
  manager.damping = 0.5f;
  manager.enterZone(a);
  spend(b, 20);
  manager.leaveZone();
  spend(c, 8);
  manager.update();
  manager.clear();

  EXPECT_EQ(a.cache, &sentinelNode);
  EXPECT_EQ(b.cache, &sentinelNode);
  EXPECT_EQ(c.cache, &sentinelNode);
  for (const ZoneSite* site : {&a, &b, &c}) {
    EXPECT_EQ(site->zone.state, ZoneState::Unregistered);
    EXPECT_EQ(site->zone.next, nullptr);
  }
  EXPECT_EQ(manager.rootZone.state, ZoneState::Unregistered);
  EXPECT_EQ(zoneList(manager).size(), 1u);
  EXPECT_EQ(manager.zoneTail, &manager.rootZone);
  EXPECT_EQ(manager.zoneCount, 1u);
  EXPECT_EQ(manager.nodeCount, 1u);
  EXPECT_EQ(manager.currentNode, &manager.rootNode);
  EXPECT_EQ(manager.rootNode.firstChild, nullptr);
  EXPECT_EQ(manager.rootNode.childCount, 0u);
  EXPECT_EQ(manager.rootNode.data.selfTime.average, 0.0f);
  EXPECT_EQ(manager.rootNode.pendingCalls, 1u);
  EXPECT_EQ(manager.initialized, 1);
  EXPECT_EQ(manager.slotCount, 256u);
  EXPECT_EQ(manager.poolHead, manager.poolTail);
  EXPECT_EQ(manager.previousTick, FakeClock::now);
  EXPECT_EQ(manager.damping, 0.5f);
  EXPECT_EQ(b.zone.data.selfTime.average, 20.0f);  // zone averages stay

  spend(c, 4);
  spend(a, 2);
  const std::vector<const ProfileZone*> expected = {&manager.rootZone, &c.zone, &a.zone};
  EXPECT_EQ(zoneList(manager), expected);
  EXPECT_EQ(manager.zoneTail, &a.zone);
  EXPECT_EQ(manager.nodeCount, 3u);

  // Damped from the zones' old averages, from zero for the fresh nodes.
  manager.update();
  EXPECT_EQ(c.zone.data.selfTime.average, 6.0f);
  EXPECT_EQ(c.cache->data.selfTime.average, 2.0f);
  EXPECT_EQ(b.zone.data.selfTime.average, 20.0f);  // out of the list, not updated
}

TEST_F(ProfileManagerTest, GuardLeavesOnEveryExit) {
  {
    ZoneGuard guard(a, manager);
    EXPECT_EQ(manager.currentNode, a.cache);
  }
  EXPECT_EQ(manager.currentNode, &manager.rootNode);
  try {
    ZoneGuard outer(a, manager);
    ZoneGuard inner(b, manager);
    advance(5);
    throw std::runtime_error("unwind");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(manager.currentNode, &manager.rootNode);
  manager.update();
  EXPECT_EQ(b.zone.data.selfTime.average, 5.0f);
  EXPECT_EQ(a.zone.data.calls.average, 2.0f);
}

// Zones made at run time live in a node-based map: rehashing keeps their
// addresses, which the tree and the caches hold.
TEST_F(ProfileManagerTest, RunTimeZonesInANodeBasedMapKeepTheirNodes) {
  struct NamedZone {
    ZoneSite site;
    std::string name;
  };
  std::unordered_map<int, NamedZone> zones;
  auto enter = [&](int key) {
    NamedZone& entry = zones.try_emplace(key).first->second;
    if (entry.site.zone.name == nullptr) {
      entry.name = "f" + std::to_string(key);
      entry.site.zone.name = entry.name.c_str();
    }
    manager.enterZone(entry.site);
    advance(1);
    manager.leaveZone();
  };
  enter(0);
  ProfileNode* first = zones.at(0).site.cache;
  for (int key = 1; key < 200; ++key) enter(key);
  enter(0);
  EXPECT_EQ(zones.at(0).site.cache, first);
  EXPECT_EQ(manager.nodeCount, 201u);
  manager.update();
  EXPECT_EQ(zones.at(0).site.zone.data.calls.average, 2.0f);
  EXPECT_STREQ(first->zone->name, "f0");
  manager.releaseNodes();
}

TEST_F(ProfileManagerTest, DeepTreesAreWalkedWithoutRecursion) {
  constexpr int depth = 5000;
  std::vector<ZoneSite> sites(depth);
  for (ZoneSite& site : sites) {
    manager.enterZone(site);
    advance(1);
  }
  for (int i = 0; i < depth; ++i) manager.leaveZone();
  manager.update();
  EXPECT_EQ(manager.rootNode.data.childTime.average, float(depth));
  EXPECT_EQ(totalTime(sites[depth / 2].zone.data), float(depth / 2));
  EXPECT_EQ(sites.back().cache->depth, uint32_t(depth));
  manager.releaseNodes();
}

}  // namespace
