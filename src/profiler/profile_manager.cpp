#include "profiler/profile_manager.h"

#include <cstdlib>

PROFILE_CONSTINIT ProfileNode sentinelNode{};
PROFILE_CONSTINIT ProfileManager profileManager;

namespace {

constexpr uint32_t firstTableSlots = 256;
constexpr uint32_t firstPoolNodes = firstTableSlots / 2;

// The profiler has no way to report a failure to its callers (the script hook
// among them), so running out of memory ends the process.
void* zeroedBlock(size_t bytes) {
  void* block = std::calloc(1, bytes);
  if (block == nullptr) std::abort();
  return block;
}

uint32_t lowBits(const void* address) { return uint32_t(reinterpret_cast<uintptr_t>(address)); }

uint32_t hashPair(const ProfileNode* parent, const ProfileZone* zone) {
  uint32_t h = lowBits(parent) + lowBits(zone);
  h = h + (h << 12) + 0x7ed55d16u;
  h = (h ^ 0xc761c23cu) ^ (h >> 19);
  return h;
}

// Odd, so probing a power-of-two table visits every slot.
uint32_t probeStep(uint32_t h) { return ((h << 8) + (h >> 4)) | 1u; }

bool holdsPair(const ProfileNode* node, const ProfileNode* parent, const ProfileZone* zone) {
  return node->parent == parent && node->zone == zone;
}

template <typename Sample>
void applyPlain(Sample& sample) {
  sample.average = float(sample.current);
}

template <typename Sample>
void applyDamped(Sample& sample, float damping) {
  const float current = float(sample.current);
  sample.average = current + (sample.average - current) * damping;
}

template <bool damped>
void applyAverages(ProfileData& data, float damping) {
  if constexpr (damped) {
    applyDamped(data.calls, damping);
    applyDamped(data.selfTime, damping);
    applyDamped(data.childTime, damping);
  } else {
    applyPlain(data.calls);
    applyPlain(data.selfTime);
    applyPlain(data.childTime);
  }
}

}  // namespace

ProfileNode* ProfileManager::findOrCreateNode(ProfileNode*& cache, ProfileZone& zone) {
  const uint32_t h = hashPair(currentNode, &zone);
  uint32_t index = h & slotMask;
  if (slots[index] != nullptr) {
    if (holdsPair(slots[index], currentNode, &zone)) return slots[index];
    const uint32_t step = probeStep(h);
    for (;;) {
      index = (index + step) & slotMask;
      if (slots[index] == nullptr) break;
      if (holdsPair(slots[index], currentNode, &zone)) return slots[index];
    }
  }

  if (zone.state == ZoneState::Unregistered) {
    zone.state = ZoneState::Registered;
    zoneTail->next = &zone;
    zoneTail = &zone;
    zoneCount += 1;
  }
  if (initialized == 0) {
    ensureActive();
    return createNode(cache, zone);
  }
  // Grown while at most half full; the new pool brings the pools to half the
  // new table, so the pools are full exactly when the table must grow.
  if (slotCount < 2u * nodeCount) {
    growTable(2u * slotCount);
    addPool(nodeCount - 1);
    return createNode(cache, zone);
  }
  nodeCount += 1;
  ProfileNode* node = takeNode(cache, zone);
  slots[index] = node;
  return node;
}

ProfileNode* ProfileManager::createNode(ProfileNode*& cache, ProfileZone& zone) {
  ProfileNode* node = takeNode(cache, zone);
  nodeCount += 1;
  insertNode(node);
  return node;
}

// No bound check: the growth rule keeps nextFree inside poolTail.
ProfileNode* ProfileManager::takeNode(ProfileNode*& cache, ProfileZone& zone) {
  ProfileNode* node = poolTail->nextFree++;
  ProfileNode* parent = currentNode;
  node->zone = &zone;
  node->parent = parent;
  node->depth = parent->depth + 1;
  parent->childCount += 1;
  if (parent->firstChild == nullptr) {
    parent->firstChild = node;
  } else {
    parent->lastChild->nextSibling = node;
  }
  parent->lastChild = node;
  node->cacheSlot = &cache;
  return node;
}

void ProfileManager::insertNode(ProfileNode* node) {
  const uint32_t h = hashPair(node->parent, node->zone);
  const uint32_t step = probeStep(h);
  uint32_t index = h & slotMask;
  while (slots[index] != nullptr) index = (index + step) & slotMask;
  slots[index] = node;
}

void ProfileManager::ensureActive() {
  initialized = 1;
  rootNode.pendingCalls = 1;
  rootNode.pendingTicks = 0;
  previousTick = readTicks();
  makeTable(firstTableSlots);
  addPool(firstPoolNodes);
}

void ProfileManager::makeTable(uint32_t count) {
  slots = static_cast<ProfileNode**>(zeroedBlock(count * sizeof(ProfileNode*)));
  slotCount = count;
  slotMask = count - 1;
}

void ProfileManager::growTable(uint32_t count) {
  if (slots != emptyTable) std::free(slots);
  makeTable(count);
  for (NodePool* pool = poolHead; pool != nullptr; pool = pool->next) {
    for (ProfileNode* node = pool->items(); node != pool->nextFree; ++node) insertNode(node);
  }
}

void ProfileManager::addPool(uint32_t count) {
  static_assert(sizeof(NodePool) % alignof(ProfileNode) == 0, "nodes follow the pool header");
  auto* pool = static_cast<NodePool*>(zeroedBlock(sizeof(NodePool) + count * sizeof(ProfileNode)));
  pool->nextFree = pool->items();
  pool->end = pool->items() + count;
  if (poolHead == nullptr) {
    poolHead = pool;
  } else {
    poolTail->next = pool;
  }
  poolTail = pool;
}

void ProfileManager::update() {
  accumulateTicks();
  for (ProfileZone* zone = &rootZone; zone != nullptr; zone = zone->next) {
    zone->data.calls.current = 0;
    zone->data.selfTime.current = 0;
    zone->data.childTime.current = 0;
  }
  // A damping that is not a number is not 0, so it takes the damped branch.
  if (awaitingFirstUpdate != 0 || damping == 0.0f) {
    awaitingFirstUpdate = 0;
    walkTree<false>();
    for (ProfileZone* zone = &rootZone; zone != nullptr; zone = zone->next) applyAverages<false>(zone->data, damping);
  } else {
    walkTree<true>();
    for (ProfileZone* zone = &rootZone; zone != nullptr; zone = zone->next) applyAverages<true>(zone->data, damping);
  }
}

// Depth first over an explicit stack, so deep trees do not use the call stack.
template <bool damped>
void ProfileManager::walkTree() {
  uint32_t top = 0;
  for (ProfileNode* node = &rootNode; node != nullptr; node = node->firstChild) pushFrame(node, top);
  while (top > 0) {
    top -= 1;
    ProfileNode* sibling = walkFrames[top].node->nextSibling;
    popFrame<damped>(walkFrames[top]);
    for (ProfileNode* node = sibling; node != nullptr; node = node->firstChild) pushFrame(node, top);
  }
}

void ProfileManager::pushFrame(ProfileNode* node, uint32_t& top) {
  if (top == walkCapacity) {
    walkCapacity = walkCapacity == 0 ? 64 : 2 * walkCapacity;
    walkFrames = static_cast<WalkFrame*>(std::realloc(walkFrames, walkCapacity * sizeof(WalkFrame)));
    if (walkFrames == nullptr) std::abort();
  }
  ProfileZone& zone = *node->zone;
  node->data.selfTime.current = node->pendingTicks;
  node->data.calls.current = node->pendingCalls;
  zone.data.selfTime.current += node->pendingTicks;
  zone.data.calls.current += node->pendingCalls;
  node->data.childTime.current = 0;
  node->pendingTicks = 0;
  node->pendingCalls = 0;

  const bool ownsZone = zone.state != ZoneState::Updating;
  if (ownsZone) {
    zone.state = ZoneState::Updating;
  } else {
    // A recursion: the outer node of this zone already counts this node's time
    // as child time. Wraps below zero for a moment; the owner's pop makes it good.
    zone.data.childTime.current -= node->data.selfTime.current;
  }
  walkFrames[top++] = {node, ownsZone};
}

template <bool damped>
void ProfileManager::popFrame(const WalkFrame& frame) {
  ProfileNode* node = frame.node;
  if (frame.ownsZone) {
    node->zone->data.childTime.current += node->data.childTime.current;
    node->zone->state = ZoneState::Registered;
  }
  applyAverages<damped>(node->data, damping);
  if (node->depth != 0) {
    node->parent->data.childTime.current += node->data.selfTime.current + node->data.childTime.current;
  }
}

void ProfileManager::releaseNodes() {
  NodePool* pool = poolHead;
  while (pool != nullptr) {
    for (ProfileNode* node = pool->items(); node != pool->nextFree; ++node) *node->cacheSlot = &sentinelNode;
    NodePool* next = pool->next;
    std::free(pool);
    pool = next;
  }
  poolHead = nullptr;
  poolTail = nullptr;
  if (slots != emptyTable) {
    std::free(slots);
    slots = emptyTable;
    slotCount = 1;
    slotMask = 0;
  }
  // The walk stack was sized for the tree that is gone.
  std::free(walkFrames);
  walkFrames = nullptr;
  walkCapacity = 0;
}

void ProfileManager::clear() {
  releaseNodes();
  ProfileZone* zone = &rootZone;
  while (zone != nullptr) {
    ProfileZone* next = zone->next;
    zone->state = ZoneState::Unregistered;
    zone->next = nullptr;
    zone = next;
  }
  zoneTail = &rootZone;
  zoneCount = 1;

  rootNode = ProfileNode{};
  rootNode.parent = &rootNode;
  rootNode.zone = &rootZone;
  currentNode = &rootNode;
  nodeCount = 1;

  ensureActive();
}
