#pragma once
// Shared by the render tests: a GL fixture with empty batches, and a script
// state with the host's global functions for driving the bindings.
#include <cstdlib>
#include <string>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include "gl_window.h"
#include "host/registry.h"
#include "render/flush.h"
#include "render/texture.h"

// Starts every test with empty batches, ordinary blending and a black frame.
class RenderTest : public GLWindowTest {
 protected:
  void SetUp() override {
    GLWindowTest::SetUp();
    FlushBatches();
    SetAdditiveBlend(false);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  void TearDown() override {
    if (L_) lua_close(L_);
  }

  // Runs a chunk in a script state that has the host's global functions.
  void RunScript(const std::string& chunk) {
    if (!L_) {
      L_ = luaL_newstate();
      luaL_openlibs(L_);
      RegisterGlobalFunctions(L_);
    }
    ASSERT_EQ(luaL_dostring(L_, chunk.c_str()), 0) << lua_tostring(L_, -1);
  }

  lua_State* L_ = nullptr;
};

// A pixel as text for failure messages.
inline std::string Show(const Rgba& pixel) {
  return "(" + std::to_string(pixel[0]) + ", " + std::to_string(pixel[1]) + ", " + std::to_string(pixel[2]) + ", " +
         std::to_string(pixel[3]) + ")";
}

// Each channel within `tolerance` of `expected`.
inline ::testing::AssertionResult PixelNear(const Rgba& actual, const Rgba& expected, int tolerance) {
  for (int i = 0; i < 4; ++i) {
    if (std::abs(actual[i] - expected[i]) > tolerance)
      return ::testing::AssertionFailure() << Show(actual) << " is not within " << tolerance << " of " << Show(expected);
  }
  return ::testing::AssertionSuccess();
}
