#pragma once
// The hierarchical zone profiler: zones, the call tree of (parent node, zone)
// pairs, and the damped per-node and per-zone statistics.
//
// Single-threaded: only the thread that runs the frame loop and the scripts may
// enter zones, update or clear. Everything here is constant-initialised, so the
// profiler works before any start-up code runs.
#include <cstdint>

#include "profiler/constant_init.h"
#include "profiler/tick_source.h"

struct CountSample {
  uint32_t current;  // entries during the last update interval
  float average;
};

struct TickSample {
  uint64_t current;  // ticks during the last update interval
  float average;
};

struct ProfileData {
  CountSample calls;
  TickSample selfTime;   // in the node or zone itself
  TickSample childTime;  // in its children
};

inline float totalTime(const ProfileData& data) { return data.selfTime.average + data.childTime.average; }

enum class ZoneState : uint32_t {
  Unregistered = 0,  // not in the zone list
  Registered = 1,    // in the zone list
  Updating = 2,      // update is below one of this zone's nodes
};

struct ProfileZone {
  ProfileZone* next;  // zone list
  ZoneState state;
  const char* name;  // not owned
  ProfileData data;  // all nodes of the zone together
};

struct ProfileNode {
  uint32_t pendingCalls;  // since the last update
  uint64_t pendingTicks;  // self ticks since the last update
  ProfileZone* zone;
  ProfileNode* parent;  // the root is its own parent
  ProfileNode* nextSibling;
  ProfileNode* firstChild;
  ProfileNode* lastChild;
  uint32_t childCount;
  uint32_t depth;  // 0 only for the root
  ProfileNode** cacheSlot;  // the cache the node was created through
  ProfileData data;
};

// All zero; its null parent never matches the current node, so a cache that
// points here always misses.
extern ProfileNode sentinelNode;

// A zone and the node cache of the one place that enters it. Fixed zones are
// declared with PROFILE_ZONE; zones made at run time (one per script function)
// are default-constructed in a container whose elements never move, then get a
// name, because the call tree holds the addresses of the zone and the cache.
struct ZoneSite {
  ProfileZone zone;
  ProfileNode* cache;

  constexpr ZoneSite() : zone{}, cache(&sentinelNode) {}
  constexpr explicit ZoneSite(const char* name)
      : zone{nullptr, ZoneState::Unregistered, name, {}}, cache(&sentinelNode) {}
  ZoneSite(const ZoneSite&) = delete;
  ZoneSite& operator=(const ZoneSite&) = delete;
};

// Declares a statically initialised zone site named `variable`, at namespace or
// function scope: PROFILE_ZONE(fillPipeZone, "FillPipe");
#define PROFILE_ZONE(variable, zoneName) static PROFILE_CONSTINIT ZoneSite variable{zoneName}

// A block of nodes handed out in order and only released as a whole; the nodes
// follow the header in the same allocation.
struct NodePool {
  NodePool* next;
  ProfileNode* nextFree;
  ProfileNode* end;

  ProfileNode* items() { return reinterpret_cast<ProfileNode*>(this + 1); }
};

class ProfileManager {
 public:
  constexpr ProfileManager()
      : currentNode(&rootNode),
        slots(emptyTable),
        zoneTail(&rootZone),
        rootNode{0, 0, &rootZone, &rootNode, nullptr, nullptr, nullptr, 0, 0, nullptr, {}},
        rootZone{nullptr, ZoneState::Unregistered, "<unprofiled>", {}} {}
  ProfileManager(const ProfileManager&) = delete;
  ProfileManager& operator=(const ProfileManager&) = delete;

  // Enters a zone through its cache. The cached node is reused while its parent
  // is the current node; only then is the table probed.
  void enterZone(ProfileZone& zone, ProfileNode*& cache) {
    if (cache->parent != currentNode) cache = findOrCreateNode(cache, zone);
    ProfileNode* node = cache;
    node->pendingCalls += 1;
    accumulateTicks();  // the lookup above is charged to the outer node
    currentNode = node;
  }
  void enterZone(ZoneSite& site) { enterZone(site.zone, site.cache); }

  // Leaves the innermost zone; at the root it stays at the root.
  void leaveZone() {
    accumulateTicks();
    currentNode = currentNode->parent;
  }

  // Folds the counts since the last update into the averages: plain on the
  // first update or with a damping of 0, damped otherwise.
  void update();

  // Drops the call tree and the zone list (zone averages stay) and starts over,
  // active, with every cache back at the sentinel.
  void clear();

  // The first step of clear: resets every cache and releases the pools and the
  // node table. Also how a manager that goes away (in tests) returns its memory.
  void releaseNodes();

  // Read by the reports and the script module. Only `damping` is set from
  // outside; the zone sort also relinks the zone list after rootZone and zoneTail.
  uint64_t previousTick = 0;
  ProfileNode* currentNode;
  uint32_t slotMask = 0;
  ProfileNode** slots;
  uint32_t slotCount = 1;
  uint32_t nodeCount = 1;
  uint32_t zoneCount = 1;
  ProfileZone* zoneTail;
  NodePool* poolTail = nullptr;
  NodePool* poolHead = nullptr;
  ProfileNode rootNode;
  ProfileZone rootZone;
  float damping = 0.9f;
  int initialized = 0;
  int awaitingFirstUpdate = 1;

 private:
  struct WalkFrame {
    ProfileNode* node;
    bool ownsZone;
  };

  void accumulateTicks();
  ProfileNode* findOrCreateNode(ProfileNode*& cache, ProfileZone& zone);
  ProfileNode* createNode(ProfileNode*& cache, ProfileZone& zone);
  ProfileNode* takeNode(ProfileNode*& cache, ProfileZone& zone);
  void insertNode(ProfileNode* node);
  void ensureActive();
  void makeTable(uint32_t count);
  void growTable(uint32_t count);
  void addPool(uint32_t count);
  template <bool damped>
  void walkTree();
  void pushFrame(ProfileNode* node, uint32_t& top);
  template <bool damped>
  void popFrame(const WalkFrame& frame);

  // The node table before activation: one empty slot, never released.
  ProfileNode* emptyTable[1] = {nullptr};
  // The tree walk's stack, kept between updates and grown when the tree deepens.
  WalkFrame* walkFrames = nullptr;
  uint32_t walkCapacity = 0;
};

// The process's one profiler.
extern ProfileManager profileManager;

// Enters a zone for the rest of a scope and leaves it on every exit.
class ZoneGuard {
 public:
  explicit ZoneGuard(ZoneSite& site, ProfileManager& manager = profileManager) : manager_(manager) {
    manager_.enterZone(site);
  }
  ~ZoneGuard() { manager_.leaveZone(); }
  ZoneGuard(const ZoneGuard&) = delete;
  ZoneGuard& operator=(const ZoneGuard&) = delete;

 private:
  ProfileManager& manager_;
};

inline void ProfileManager::accumulateTicks() {
  const uint64_t now = readTicks();
  currentNode->pendingTicks += now - previousTick;
  previousTick = now;
}
