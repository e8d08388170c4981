#pragma once
// The one script state: creation, the module search path, loading and running
// res/main.lua, initialize, and the protected call every callback goes through.
extern "C" {
#include <lua.h>
}

// Creates the state with all standard libraries, restricts `require` to
// ./res/?.lua and loads res/main.lua without running it. A failed load prints
// "Could not open main script" and leaves the load's message where the chunk
// would be.
lua_State* CreateScriptState();

// Runs the loaded chunk, then calls initialize with the command-line
// arguments after the program's own path, as strings at keys 1..n.
void RunMainChunkAndInitialize(lua_State* L, int argc, char** argv);

// lua_pcall without a message handler; on failure prints "Error: %s\n" with
// the error text and pops the error value. Returns whether the call succeeded.
bool CallProtected(lua_State* L, int argumentCount, int resultCount);

// Looks the global up by name and calls it protected with no arguments.
void CallGlobal(lua_State* L, const char* name);
