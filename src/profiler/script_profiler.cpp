#include "profiler/script_profiler.h"

#include <cstdio>

ScriptFunctionTable scriptFunctionTable;
bool hookInstalled = false;

namespace {

// Formats into a string of exactly the formatted length.
std::string ScriptFunctionName(const char* source, int line, const char* name) {
  const int length = std::snprintf(nullptr, 0, "%s(%d):%s", source, line, name);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length), '\0');
  std::snprintf(text.data(), text.size() + 1, "%s(%d):%s", source, line, name);
  return text;
}

}  // namespace

ScriptFunctionEntry& zoneForFunction(lua_State* L, lua_Debug* ar) {
  lua_getinfo(L, "f", ar);
  const void* identity = lua_topointer(L, -1);
  lua_pop(L, 1);

  ScriptFunctionEntry& entry = scriptFunctionTable[identity];
  // The name is fixed at the first call; later names of the same function do
  // not change it.
  if (entry.site.zone.name != nullptr) return entry;

  lua_getinfo(L, "S", ar);
  switch (ar->what[0]) {
    case 'C':
      entry.name = std::string("C:") + ar->name;
      break;
    case 'L':
      entry.name = ScriptFunctionName(ar->source, ar->linedefined, ar->name);
      break;
    default:
      entry.name = "<unknown>";
      break;
  }
  entry.site.zone.name = entry.name.c_str();
  return entry;
}

void scriptHook(lua_State* L, lua_Debug* ar) {
  if (ar->i_ci == 0 || ar->event == LUA_HOOKTAILRET) return;
  lua_getinfo(L, "n", ar);
  if (ar->name == nullptr) return;
  if (ar->event == LUA_HOOKCALL) {
    profileManager.enterZone(zoneForFunction(L, ar).site);
  } else {
    profileManager.leaveZone();
  }
}
