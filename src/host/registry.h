#pragma once
// The global functions the host gives every script, in registration order.
#include <cstddef>

extern "C" {
#include <lua.h>
}

struct GlobalFunction {
  const char* name;
  lua_CFunction function;
};

extern const GlobalFunction kGlobalFunctions[];
extern const size_t kGlobalFunctionCount;

// Stores each function as an ordinary global, in table order.
void RegisterGlobalFunctions(lua_State* L);
