#pragma once
// Off-screen render targets: an EXT framebuffer object with up to four RGBA8
// colour textures, kept in the RenderTargetTable.
//
// A render-target handle is the target's index plus one; 0 means none.
// Handles that name no target and texture indices outside 0..3 make a call do
// nothing beyond its flush. Before a window exists there is no GL context:
// every call here does nothing and MakeRenderTarget answers 0.
#include <GL/glew.h>

#include <cstdint>

constexpr int kRenderTargetTableCapacity = 10;
constexpr int kMaxTargetTextures = 4;

struct RenderTarget {
  int32_t width;
  int32_t height;
  GLuint framebuffer;
  int32_t textureCount;
  // Texture k is attached at GL_COLOR_ATTACHMENT0_EXT + k; slots not made hold 0.
  GLuint textures[kMaxTargetTextures];
};

struct RenderTargetTable {
  RenderTarget targets[kRenderTargetTableCapacity];
  int32_t count;  // targets made, taken in order, never released
};

extern RenderTargetTable renderTargetTable;

// Start-up: an empty table.
void CreateRenderTargetTable();

// Makes a target of width x height pixels with min(textureCount, 4) colour
// textures and binds the window's framebuffer again. Does not flush. Returns
// the handle, or 0 without a window or when the table is full.
int32_t MakeRenderTarget(int32_t width, int32_t height, int32_t textureCount);

// Flushes, clears the framebuffer bound now, then draws into texture `index`
// of the target, cleared to the clear colour, with the target's viewport.
// Saves the viewport; the projection stays in window pixels, so the window's
// extent maps onto the whole target.
void BindRenderTarget(int32_t handle, int32_t index);

// Flushes, restores the viewport saved by BindRenderTarget and draws to the
// window again, whatever `handle` is.
void UnbindRenderTarget(int32_t handle);

// Flushes, then draws texture `index` of the target over the whole viewport
// on texture unit 0, with the colour, blending and shader in force.
void DrawRenderTarget(int32_t handle, int32_t index);

struct TargetTexture {
  int32_t handle;
  int32_t index;
};

// Flushes, then draws one full-viewport quad with units[0] bound on texture
// unit 0 and units[1] on unit 1; units[2] goes on unit 2 when its handle is
// not 0, otherwise units[3] goes on unit 3 when its handle is not 0. Units 1
// to 3 end disabled, unit 0 active.
void DrawRenderTargets(const TargetTexture (&units)[4]);

// One textured quad over the whole viewport, under its own projection;
// texture t = 1 at the top, so a texture drawn under the window projection
// shows the right way up.
void DrawFullScreenQuad();

// The target of a made handle, or null when the handle names none.
const RenderTarget* FindRenderTarget(int32_t handle);
