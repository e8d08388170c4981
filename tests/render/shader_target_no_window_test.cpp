// Without a window there is no GL context and no extension entry point: the
// shader and render-target functions must neither call GL nor take entries.
#include <gtest/gtest.h>

#include "render/render_target.h"
#include "render/shader_program.h"
#include "window/window.h"

namespace {

TEST(ShadersAndTargetsWithoutWindow, DoNothingAndAnswerZero) {
  ASSERT_FALSE(HasWindow());
  CreateShaderTable();
  CreateRenderTargetTable();

  EXPECT_EQ(LoadShader("no/such/file.shader"), 0);
  EXPECT_EQ(MakeRenderTarget(64, 64, 2), 0);
  SetShader(1);
  SetShader(-1);
  SetShaderParami(1, "value", 1);
  SetShaderParamf(1, "value", 1.0f);
  BindRenderTarget(1, 0);
  UnbindRenderTarget(1);
  DrawRenderTarget(1, 0);
  DrawRenderTargets({{1, 0}, {1, 0}, {1, 0}, {1, 0}});

  EXPECT_EQ(shaderTable.count, 0);
  EXPECT_EQ(renderTargetTable.count, 0);
  EXPECT_EQ(currentShader, 0) << "the selection must not claim a program GL never got";
}

}  // namespace
