#include "profiler/profile_report.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr int nameWidth = 40;
constexpr int numbersWidth = reportRowLength - nameWidth;  // from the blank in column 41

const char* const notUpdatedMessage = "!!! Profile data must first be updated !!!";
const char* const nothingEnteredMessage = "!!! No profiles where executed !!!";

TimeUnit timeUnits[4] = {{0.0f, 0.0f, "s"}, {0.0f, 0.0f, "ms"}, {0.0f, 0.0f, "us"}, {0.0f, 0.0f, "ns"}};
float secondsPerTick = 0.0f;

void buildTimeUnits() {
  const uint64_t rate = tickRate();
  if (secondsPerTick == 0.0f) secondsPerTick = float(1.0 / double(rate));
  double unitsPerSecond = 1.0;
  for (TimeUnit& unit : timeUnits) {
    unit.threshold = float(double(rate) / unitsPerSecond);
    unit.factor = float(unitsPerSecond) * secondsPerTick;
    unitsPerSecond *= 1000.0;
  }
}

// Formats one piece of a row into exactly `width` characters: longer text is
// cut and no terminator is stored. The formats' field widths make every piece
// at least that wide; the blank fill is only a safeguard.
__attribute__((format(printf, 3, 4))) void writePiece(char* out, int width, const char* format, ...) {
  char piece[256];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(piece, sizeof piece, format, args);
  va_end(args);
  const int stored = std::clamp(length, 0, std::min(width, int(sizeof piece) - 1));
  std::memcpy(out, piece, size_t(stored));
  std::memset(out + stored, ' ', size_t(width - stored));
}

char* writeHeader(char* out, const char* title) {
  writePiece(out, reportRowLength, "%-*s %*s %*s %*s", nameWidth, title, 6, "calls", 15, "self time", 15, "total time");
  return out + reportRowLength;
}

const char* nameOf(const ProfileZone& zone) { return zone.name != nullptr ? zone.name : ""; }

char* writeNumbers(char* out, const ProfileData& data, float percentFactor) {
  const float total = totalTime(data);
  const TimeUnit& selfUnit = pickTimeUnit(data.selfTime.average);
  const TimeUnit& totalUnit = pickTimeUnit(total);
  writePiece(out, numbersWidth, " %*.1f %*.0f %-2s %*.0f%% %*.0f %-2s %*.0f%%",
             6, double(data.calls.average),
             6, double(data.selfTime.average * selfUnit.factor), selfUnit.suffix,
             4, double(data.selfTime.average * percentFactor),
             6, double(total * totalUnit.factor), totalUnit.suffix,
             4, double(total * percentFactor));
  return out + numbersWidth;
}

// Pre-order: children in creation order before the next sibling.
const ProfileNode* nextInTree(const ProfileNode* node) {
  if (node->firstChild != nullptr) return node->firstChild;
  if (node->nextSibling != nullptr) return node->nextSibling;
  for (const ProfileNode* up = node->parent; up->depth != 0; up = up->parent) {
    if (up->nextSibling != nullptr) return up->nextSibling;
  }
  return nullptr;
}

template <typename Writer>
std::string buildReport(uint32_t entries, Writer write) {
  // The string's own terminator takes the buffer's last byte.
  std::string text(reportBufferSize(entries) - 1, '\0');
  write(text.data());
  return text;
}

struct ZoneQueue {
  ProfileZone* head = nullptr;
  ProfileZone* tail = nullptr;
  uint32_t count = 0;

  bool empty() const { return count == 0; }
  void pushFront(ProfileZone* zone) {
    zone->next = head;
    head = zone;
    if (tail == nullptr) tail = zone;
    count += 1;
  }
  void pushBack(ProfileZone* zone) {
    zone->next = nullptr;
    if (tail == nullptr) {
      head = zone;
    } else {
      tail->next = zone;
    }
    tail = zone;
    count += 1;
  }
  ProfileZone* popFront() {
    ProfileZone* zone = head;
    head = zone->next;
    if (head == nullptr) tail = nullptr;
    count -= 1;
    return zone;
  }
};

float sortKey(const ProfileZone* zone) { return zone->data.selfTime.average; }

}  // namespace

const TimeUnit& pickTimeUnit(float ticks) {
  if (timeUnits[0].threshold == 0.0f) buildTimeUnits();
  for (int row = 0; row < 3; ++row) {
    if (ticks > timeUnits[row].threshold) return timeUnits[row];
  }
  return timeUnits[3];
}

void forgetTimeUnits() {
  secondsPerTick = 0.0f;
  for (TimeUnit& unit : timeUnits) unit.threshold = unit.factor = 0.0f;
}

const char* unavailableReason(const ProfileManager& manager) {
  if (manager.awaitingFirstUpdate != 0) return notUpdatedMessage;
  if (manager.initialized == 0) return nothingEnteredMessage;
  return nullptr;
}

void writeTreeReport(const ProfileManager& manager, char* buffer) {
  const float percentFactor = 100.0f / manager.rootNode.data.childTime.average;
  char* out = writeHeader(buffer, "call tree");
  *out++ = '\n';
  const ProfileNode* node = &manager.rootNode;
  while (node != nullptr) {
    // Two blanks per level; from depth 20 on the indentation fills the field.
    const int indent = 2 * int(node->depth);
    writePiece(out, nameWidth, "%*s%-*s", indent, "", nameWidth - indent, nameOf(*node->zone));
    out = writeNumbers(out + nameWidth, node->data, percentFactor);
    node = nextInTree(node);
    if (node != nullptr) *out++ = '\n';
  }
  *out = '\0';
}

void writeFlatReport(const ProfileManager& manager, char* buffer) {
  const float percentFactor = 100.0f / manager.rootZone.data.childTime.average;
  char* out = writeHeader(buffer, "sorted list");
  *out++ = '\n';
  for (const ProfileZone* zone = &manager.rootZone; zone != nullptr; zone = zone->next) {
    writePiece(out, nameWidth, "%-*s", nameWidth, nameOf(*zone));
    out = writeNumbers(out + nameWidth, zone->data, percentFactor);
    if (zone->next != nullptr) *out++ = '\n';
  }
  *out = '\0';
}

// A merge sort of the zone links over four queues: two hold the runs being
// merged, the other two receive the merged runs alternately. Merging takes from
// the second queue only when its key is strictly larger, and the distribution
// reverses the list, so tied zones change places on every sort.
void sortZones(ProfileManager& manager) {
  ZoneQueue queues[4];
  int side = 0;
  ProfileZone* zone = manager.rootZone.next;
  while (zone != nullptr) {
    ProfileZone* next = zone->next;
    queues[side].pushFront(zone);
    side ^= 1;
    zone = next;
  }

  int in = 0;
  uint32_t run = 1;
  while (!queues[in + 1].empty()) {
    const int out = in ^ 2;
    queues[out] = ZoneQueue{};
    queues[out + 1] = ZoneQueue{};
    int target = out;
    ZoneQueue& first = queues[in];
    ZoneQueue& second = queues[in + 1];
    while (!first.empty()) {
      uint32_t firstLeft = run;
      uint32_t secondLeft = run;
      for (;;) {
        const bool firstDone = firstLeft == 0 || first.empty();
        const bool secondDone = secondLeft == 0 || second.empty();
        bool takeSecond;
        if (firstDone) {
          if (secondDone) break;
          takeSecond = true;
        } else if (secondDone) {
          takeSecond = false;
        } else {
          takeSecond = sortKey(second.head) - sortKey(first.head) > 0.0f;
        }
        if (takeSecond) {
          queues[target].pushBack(second.popFront());
          secondLeft -= 1;
        } else {
          queues[target].pushBack(first.popFront());
          firstLeft -= 1;
        }
      }
      target = target == out ? out + 1 : out;
    }
    in = out;
    run *= 2;
  }

  const ZoneQueue& sorted = queues[in];
  manager.rootZone.next = sorted.head;
  manager.zoneTail = sorted.empty() ? &manager.rootZone : sorted.tail;
  manager.zoneTail->next = nullptr;
}

std::string treeReportText(const ProfileManager& manager) {
  if (const char* reason = unavailableReason(manager)) return reason;
  return buildReport(manager.nodeCount, [&](char* buffer) { writeTreeReport(manager, buffer); });
}

std::string flatReportText(ProfileManager& manager) {
  if (const char* reason = unavailableReason(manager)) return reason;
  if (manager.rootZone.next != nullptr) sortZones(manager);
  return buildReport(manager.zoneCount, [&](char* buffer) { writeFlatReport(manager, buffer); });
}

bool outputReports(ProfileManager& manager, const char* path) {
  FILE* file = stdout;
  if (path != nullptr) {
    file = std::fopen(path, "w");
    if (file == nullptr) return false;
  }
  if (const char* reason = unavailableReason(manager)) {
    std::fprintf(file, "%s\n\n", reason);
  } else {
    const std::string flat = flatReportText(manager);
    std::fwrite(flat.data(), 1, flat.size(), file);
    std::fputs("\n\n", file);
    const std::string tree = treeReportText(manager);
    std::fwrite(tree.data(), 1, tree.size(), file);
    std::fputs("\n\n", file);
  }
  if (path != nullptr) std::fclose(file);
  return true;
}
