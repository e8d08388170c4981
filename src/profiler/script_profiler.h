#pragma once
// Script-function profiling: a call/return hook that makes every named script
// function (and every host function a script calls by name) a zone of its own.
#include <string>
#include <unordered_map>

#include "profiler/profile_manager.h"

extern "C" {
#include <lua.h>
}

// One per function value ever seen by the hook. The call tree holds the
// addresses of `site.zone` and `site.cache`, so an entry must never move.
struct ScriptFunctionEntry {
  ZoneSite site;
  std::string name;  // site.zone.name points here once set
};

// Keyed by the function value's identity (lua_topointer). unordered_map is
// node-based: its elements keep their addresses across rehashing.
using ScriptFunctionTable = std::unordered_map<const void*, ScriptFunctionEntry>;

extern ScriptFunctionTable scriptFunctionTable;

// Whether scriptHook is installed; one flag for the whole process.
extern bool hookInstalled;

// The entry of the function the debug record describes, made and named on
// first sight: "C:<name>" for host functions, "<chunk>(<line>):<name>" for
// script functions, "<unknown>" otherwise.
ScriptFunctionEntry& zoneForFunction(lua_State* L, lua_Debug* ar);

// Installed for call and return events: enters the function's zone on a call
// and leaves the current zone on a return. Functions the runtime cannot name,
// the base level and tail returns are passed over.
void scriptHook(lua_State* L, lua_Debug* ar);
