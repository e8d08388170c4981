#pragma once

// Draws everything batched so far: the QuadPipe, then the LinePipe, so that
// pending lines land over pending boxes.
//
// The flush rule: pending boxes and lines are drawn with whatever GL state is
// in force when they are flushed. So every operation that changes state they
// depend on (blend mode, shader program, framebuffer, viewport, texture units)
// calls FlushBatches() before making the change, and the frame loop calls it
// before the buffer swap. Operations that only create things (loading images,
// shaders, fonts, making render targets, setting uniforms) and text drawing do
// not flush.
void FlushBatches();
