#pragma once
// The profiler's two text reports: the call tree (one row per node, in tree
// order) and the sorted list (one row per zone, largest average self time
// first), built from the averages of the last update.
//
// Every row is 79 characters: the name field (40), then a blank, calls (6), a
// blank, self time (15) and total time (15) with their units and percentages,
// separated by blanks. Rows are joined by "\n"; there is none after the last.
// A report over k entries is built in 80 * (k + 1) bytes, header row included,
// ending with a zero byte.
#include <cstddef>
#include <cstdint>
#include <string>

#include "profiler/profile_manager.h"

constexpr int reportRowLength = 79;

constexpr size_t reportBufferSize(uint32_t entries) { return size_t(reportRowLength + 1) * (entries + 1); }

struct TimeUnit {
  float threshold;  // in ticks: the unit is used for times above it
  float factor;     // units per tick
  const char* suffix;
};

// The largest unit whose threshold the time (in ticks) exceeds; "ns" for zero
// or a time that is not a number. The unit table is built from the tick rate on
// first use and kept.
const TimeUnit& pickTimeUnit(float ticks);

// Makes the next pickTimeUnit rebuild the table; for a changed tick source.
void forgetTimeUnits();

// The message to give instead of a report, or null when a report can be given.
const char* unavailableReason(const ProfileManager& manager);

// `buffer` holds reportBufferSize(nodeCount) bytes.
void writeTreeReport(const ProfileManager& manager, char* buffer);
// `buffer` holds reportBufferSize(zoneCount) bytes. Writes the zones in their
// list order; it does not sort.
void writeFlatReport(const ProfileManager& manager, char* buffer);

// Orders the zones after rootZone by self-time average, largest first, and sets
// zoneTail. Tied zones do not keep their order: they move on every sort.
void sortZones(ProfileManager& manager);

// The call tree, or the message. Does not sort.
std::string treeReportText(const ProfileManager& manager);
// The sorted list (sorting the zones first), or the message.
std::string flatReportText(ProfileManager& manager);

// Writes the sorted list and the call tree, each followed by "\n\n" (or only
// the message and "\n\n"), to the file at `path`, replacing it, or to standard
// output when `path` is null. False only when the file cannot be opened.
bool outputReports(ProfileManager& manager, const char* path);
