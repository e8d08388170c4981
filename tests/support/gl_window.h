#pragma once
// A real GL context for in-process tests: the host's own window (opened once
// per test process through OpenWindow) and pixel reads in window coordinates.
#include <GL/glew.h>

#include <array>
#include <cstdint>
#include <gtest/gtest.h>

constexpr int kTestWindowWidth = 320;
constexpr int kTestWindowHeight = 240;

// Opens the shared window on first use; true when a context is current.
bool EnsureTestWindow();

// A pixel as four 0..255 channels; a type of its own so that gtest finds its
// operator<< and prints pixels in failure messages.
struct Rgba : std::array<int, 4> {};
// Reads the back buffer at window pixel (x, y), origin at the top-left corner.
Rgba PixelAt(int x, int y);

// Fixture: a current context, identity modelview, cleared to opaque black with
// the host's GL defaults, as at the start of a frame.
class GLWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
};

std::ostream& operator<<(std::ostream& out, const Rgba& pixel);
