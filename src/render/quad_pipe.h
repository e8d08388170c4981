#pragma once
// The QuadPipe: one process-wide batch of textured, coloured quads.
//
// Boxes are collected here and sent to GL together when the batch is flushed
// (see render/flush.h for when that happens).
#include <GL/glew.h>

#include <cstdint>

constexpr int kQuadPipeCapacity = 2500;

// Corner k of quad q is element 4q + k of every array; the arrays are tightly
// packed so GL can read them as client-side vertex arrays with stride 0.
struct QuadPipe {
  uint32_t texture;  // texture of the pending quads; kept across flushes
  int32_t count;     // pending quads
  float vertices[kQuadPipeCapacity * 4 * 2];
  float colors[kQuadPipeCapacity * 4 * 4];
  float texCoords[kQuadPipeCapacity * 4 * 2];
  uint32_t indices[kQuadPipeCapacity * 4];
};

// Zero-initialised static storage; never allocated.
extern QuadPipe quadPipe;

// Appends a box centred on (x, y), width x height pixels, turned clockwise on
// screen by `angle` degrees. Flushes first when the texture differs from the
// pending one or the batch is full.
void FillPipe(uint32_t texture, float red, float green, float blue, float alpha, double x, double y,
              double width, double height, double angle);

// Draws the pending quads and empties the batch. An empty batch makes no GL
// call. One quad goes out in immediate mode, more as one glDrawElements.
void FlushPipe();
