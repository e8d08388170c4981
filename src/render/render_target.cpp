#include "render/render_target.h"

#include <algorithm>

#include "profiler/profile_manager.h"
#include "render/flush.h"
#include "window/window.h"

RenderTargetTable renderTargetTable;

namespace {

// The framebuffer and multitexture entry points exist only once a window's
// context has loaded them.
bool TargetsAvailable() { return HasWindow() && GLEW_EXT_framebuffer_object && GLEW_ARB_multitexture; }

bool IsTextureIndex(int32_t index) { return index >= 0 && index < kMaxTargetTextures; }

// The texture a (handle, index) pair names; false when it names none.
bool FindTargetTexture(const TargetTexture& pair, GLuint& name) {
  const RenderTarget* target = FindRenderTarget(pair.handle);
  if (target == nullptr || !IsTextureIndex(pair.index)) return false;
  name = target->textures[pair.index];
  return true;
}

GLuint MakeTargetTexture(int32_t width, int32_t height) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  // GL refuses a side beyond its limit anyway, but Mesa's software renderer
  // smashes its stack on sides near 2^30 first. Such a texture keeps no
  // storage, so its target is incomplete and receives nothing.
  if (width <= kMaxWindowSize && height <= kMaxWindowSize)
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  return name;
}

// Makes the target's next colour texture and attaches it to the bound framebuffer.
void AddColorTexture(RenderTarget& target) {
  if (target.textureCount >= kMaxTargetTextures) return;
  const GLuint texture = MakeTargetTexture(target.width, target.height);
  target.textures[target.textureCount] = texture;
  glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT + target.textureCount, GL_TEXTURE_2D,
                            texture, 0);
  ++target.textureCount;
}

void BindOnUnit(GLenum unit, GLuint texture) {
  glActiveTextureARB(unit);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
}

}  // namespace

void CreateRenderTargetTable() { renderTargetTable = RenderTargetTable(); }

const RenderTarget* FindRenderTarget(int32_t handle) {
  if (handle < 1 || handle > renderTargetTable.count) return nullptr;
  return &renderTargetTable.targets[handle - 1];
}

int32_t MakeRenderTarget(int32_t width, int32_t height, int32_t textureCount) {
  if (!TargetsAvailable() || renderTargetTable.count >= kRenderTargetTableCapacity) return 0;
  RenderTarget& target = renderTargetTable.targets[renderTargetTable.count];
  target = RenderTarget();
  target.width = width;
  target.height = height;
  glGenFramebuffersEXT(1, &target.framebuffer);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, target.framebuffer);
  const int32_t texturesToMake = std::min(textureCount, kMaxTargetTextures);
  for (int32_t i = 0; i < texturesToMake; ++i) AddColorTexture(target);
  // Completeness is not acted on: an incomplete target (no textures) still
  // gets its handle and simply receives nothing.
  glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  ++renderTargetTable.count;
  return renderTargetTable.count;
}

void BindRenderTarget(int32_t handle, int32_t index) {
  if (!TargetsAvailable()) return;
  FlushBatches();
  const RenderTarget* target = FindRenderTarget(handle);
  if (target == nullptr || !IsTextureIndex(index)) return;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, target->framebuffer);
  glPushAttrib(GL_VIEWPORT_BIT);
  glViewport(0, 0, target->width, target->height);
  glDrawBuffer(GL_COLOR_ATTACHMENT0_EXT + index);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
}

void UnbindRenderTarget(int32_t /*handle*/) {
  if (!TargetsAvailable()) return;
  FlushBatches();
  glPopAttrib();
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

void DrawFullScreenQuad() {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, 1.0, 1.0, 0.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();

  // Bottom right, top right, top left, bottom left: counter-clockwise on
  // screen, so the quad survives back-face culling.
  glBegin(GL_QUADS);
  glTexCoord2f(1.0f, 0.0f);
  glVertex2i(1, 1);
  glTexCoord2f(1.0f, 1.0f);
  glVertex2i(1, 0);
  glTexCoord2f(0.0f, 1.0f);
  glVertex2i(0, 0);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2i(0, 1);
  glEnd();

  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

void DrawRenderTarget(int32_t handle, int32_t index) {
  if (!TargetsAvailable()) return;
  FlushBatches();
  GLuint texture = 0;
  if (!FindTargetTexture({handle, index}, texture)) return;
  PROFILE_ZONE(drawZone, "DrawRenderTarget");
  profileManager.enterZone(drawZone);
  glBindTexture(GL_TEXTURE_2D, texture);
  DrawFullScreenQuad();
  profileManager.leaveZone();
}

void DrawRenderTargets(const TargetTexture (&units)[4]) {
  if (!TargetsAvailable()) return;
  FlushBatches();
  PROFILE_ZONE(drawZone, "DrawRenderTargets");
  ZoneGuard guard(drawZone);
  // At most three units: the fourth pair is used only when the third handle is 0.
  const int extraUnit = units[2].handle != 0 ? 2 : (units[3].handle != 0 ? 3 : -1);
  GLuint textures[3] = {0, 0, 0};
  if (!FindTargetTexture(units[0], textures[0]) || !FindTargetTexture(units[1], textures[1])) return;
  if (extraUnit >= 0 && !FindTargetTexture(units[extraUnit], textures[2])) return;

  glBindTexture(GL_TEXTURE_2D, textures[0]);
  BindOnUnit(GL_TEXTURE1_ARB, textures[1]);
  if (extraUnit >= 0) BindOnUnit(GL_TEXTURE0_ARB + extraUnit, textures[2]);
  DrawFullScreenQuad();

  // The unit enabled last is still active.
  glDisable(GL_TEXTURE_2D);
  glActiveTextureARB(GL_TEXTURE2_ARB);
  glDisable(GL_TEXTURE_2D);
  glActiveTextureARB(GL_TEXTURE1_ARB);
  glDisable(GL_TEXTURE_2D);
  glActiveTextureARB(GL_TEXTURE0_ARB);
}
