// The script module "profiler" in a plain script state: its table, damping and
// the argument errors of output and damping.
#include <gtest/gtest.h>

#include <string>
#include <vector>

extern "C" {
#include <lauxlib.h>
#include <lualib.h>
}

#include "profiler/profile_manager.h"
#include "profiler/wrap_profiler.h"

namespace {

class ProfilerModule : public ::testing::Test {
 protected:
  void SetUp() override {
    L_ = luaL_newstate();
    luaL_openlibs(L_);
    AddProfilerModuleLoader(L_);
    savedDamping_ = profileManager.damping;
  }
  void TearDown() override {
    lua_close(L_);
    profileManager.damping = savedDamping_;
  }

  // Runs a chunk and returns its first result as text: "" for none, the type
  // name for a value that has no text, "error: ..." when the chunk fails.
  std::string Eval(const std::string& chunk) {
    const int top = lua_gettop(L_);
    std::string result;
    if (luaL_dostring(L_, chunk.c_str()) != 0) {
      result = std::string("error: ") + lua_tostring(L_, -1);
    } else if (lua_gettop(L_) > top) {
      const char* text = lua_tostring(L_, top + 1);
      result = text != nullptr ? text : luaL_typename(L_, top + 1);
    }
    lua_settop(L_, top);
    return result;
  }

  lua_State* L_ = nullptr;
  float savedDamping_ = 0.0f;
};

TEST_F(ProfilerModule, RegistersTheNineFunctionsInOrder) {
  const std::vector<std::string> expected = {"update", "clear",      "output",      "damping",    "start",
                                             "stop",   "is_running", "tree_string", "flat_string"};
  std::vector<std::string> names;
  for (const luaL_Reg* row = kProfilerModuleFunctions; row->name != nullptr; ++row) names.push_back(row->name);
  EXPECT_EQ(names, expected);

  const std::vector<lua_CFunction> functions = {ProfilerLua_update,     ProfilerLua_clear, ProfilerLua_output,
                                                ProfilerLua_damping,    ProfilerLua_start, ProfilerLua_stop,
                                                ProfilerLua_is_running, ProfilerLua_tree_string,
                                                ProfilerLua_flat_string};
  for (size_t i = 0; i < functions.size(); ++i) EXPECT_EQ(kProfilerModuleFunctions[i].func, functions[i]) << names[i];
}

TEST_F(ProfilerModule, RequireGivesTheTableWithItsFieldsAndTheGlobal) {
  EXPECT_EQ(Eval("return tostring(profiler)"), "nil") << "nothing is opened before the script asks";
  EXPECT_EQ(Eval("local p = require 'profiler'\n"
                 "assert(p == profiler and p == package.loaded.profiler)\n"
                 "local keys = {}\n"
                 "for k, v in pairs(p) do keys[#keys + 1] = k .. '=' .. type(v) end\n"
                 "table.sort(keys)\n"
                 "return table.concat(keys, ' ')"),
            "_COPYRIGHT=string _DESCRIPTION=string _NAME=string _VERSION=string clear=function "
            "damping=function flat_string=function is_running=function output=function start=function "
            "stop=function tree_string=function update=function");
  EXPECT_EQ(Eval("return profiler._DESCRIPTION"),
            "A hierarchical zone profiler that shows where the time of a program goes.");
  EXPECT_EQ(Eval("return profiler._NAME .. ' ' .. profiler._VERSION"), "Zone Profiler 1.0");
  EXPECT_NE(Eval("return profiler._COPYRIGHT").find("Copyright"), std::string::npos);
}

TEST_F(ProfilerModule, DampingReadsBackInSinglePrecision) {
  ASSERT_EQ(Eval("require 'profiler'"), "");
  EXPECT_EQ(Eval("return tostring(profiler.damping() == 0.9)"), "false");
  EXPECT_EQ(Eval("return string.format('%.17g', profiler.damping())"), "0.89999997615814209");
  EXPECT_EQ(Eval("return profiler.damping(0.3)"), "") << "setting returns nothing";
  EXPECT_EQ(Eval("return string.format('%.17g', profiler.damping())"), "0.30000001192092896");
  EXPECT_FLOAT_EQ(profileManager.damping, 0.3f);
  EXPECT_EQ(Eval("return profiler.damping('0.5')"), "") << "a numeric string is a number";
  EXPECT_FLOAT_EQ(profileManager.damping, 0.5f);
  // Any count but one reads the damping and sets nothing.
  EXPECT_EQ(Eval("return profiler.damping(0.1, 0.2)"), "0.5");
}

TEST_F(ProfilerModule, WrongArgumentTypesRaiseTheUsualArgumentError) {
  ASSERT_EQ(Eval("require 'profiler'"), "");
  struct Case {
    const char* call;
    const char* message;
  };
  const Case cases[] = {
      {"profiler.output({})", "bad argument #1 to 'output' (string expected, got table)"},
      {"profiler.output(nil)", "bad argument #1 to 'output' (string expected, got nil)"},
      {"profiler.output(true)", "bad argument #1 to 'output' (string expected, got boolean)"},
      {"profiler.damping('fast')", "bad argument #1 to 'damping' (number expected, got string)"},
      {"profiler.damping(nil)", "bad argument #1 to 'damping' (number expected, got nil)"},
      {"profiler.damping({})", "bad argument #1 to 'damping' (number expected, got table)"},
  };
  for (const Case& c : cases) {
    const std::string raised = Eval(std::string("local ok, e = pcall(function() ") + c.call + " end) return e");
    // The message follows the caller's position, as for any host function.
    EXPECT_EQ(raised.substr(raised.find(": ") + 2), c.message) << c.call;
  }
}

}  // namespace
