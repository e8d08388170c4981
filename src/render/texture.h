#pragma once
// Textures from image files.
#include <GL/glew.h>

#include <cstdint>
#include <string>

// Largest width or height accepted from an image file: a small file must not
// be able to make the decoder allocate gigabytes.
constexpr int kMaxImageDimension = 8192;

struct DecodedImage {
  int width = 0;
  int height = 0;
  unsigned char* pixels = nullptr;  // width * height RGBA bytes, top row first
  std::string failure;              // reason when pixels is null
};

// Decodes an image file (JPEG, PNG, BMP, GIF, PSD, PIC, TGA) to 8-bit RGBA.
// The caller releases the pixels with FreeDecodedImage.
DecodedImage DecodeImageFile(const char* path);
void FreeDecodedImage(DecodedImage& image);

// Decodes an image file into a new GL texture (linear filters, no mipmaps)
// and returns its name, leaving it bound. On failure prints
// "Image loading error: <reason>" and returns 0. Without a window there is no
// GL context, so it fails before touching the file or GL.
GLuint LoadTextureFile(const char* path);

// Switches the blend function between additive and ordinary alpha blending,
// flushing the batches first even when the mode does not change.
void SetAdditiveBlend(bool on);
