#pragma once
// The on-screen profile: once per frame while showProfiling is set, update the
// statistics and draw the call tree in the default font at (25, 25), in white.
// Draws nothing when the host has no default font.
void RunProfilerOverlay();
