#include "render/texture.h"

#include <cstdio>

#include <stb/stb_image.h>

#include "render/flush.h"
#include "render/jpeg_check.h"
#include "window/window.h"

static_assert(kMaxImageDimension == 8192, "keep STBI_MAX_DIMENSIONS in stb_image_impl.c in step");

namespace {

// Closes the file on every path.
struct FileCloser {
  FILE* file;
  ~FileCloser() {
    if (file) std::fclose(file);
  }
};

}  // namespace

DecodedImage DecodeImageFile(const char* path) {
  DecodedImage image;
  FileCloser file{std::fopen(path, "rb")};
  if (!file.file) {
    image.failure = "can't fopen";
    return image;
  }
  if (!JpegHuffmanTablesFit(file.file)) {
    image.failure = "bad DHT header";
    return image;
  }
  // The header is checked first so an oversized image is refused before any
  // decoder allocates for it, whatever the format.
  int width = 0, height = 0, components = 0;
  if (stbi_info_from_file(file.file, &width, &height, &components) &&
      (width > kMaxImageDimension || height > kMaxImageDimension)) {
    image.failure = "image too large";
    return image;
  }
  image.pixels = stbi_load_from_file(file.file, &image.width, &image.height, &components, 4);
  // The PSD decoder hands out images of no pixels; the others refuse them.
  if (image.pixels && (image.width <= 0 || image.height <= 0)) {
    FreeDecodedImage(image);
    image.width = image.height = 0;
    image.failure = "0-pixel image";
    return image;
  }
  if (!image.pixels) {
    const char* reason = stbi_failure_reason();
    image.failure = reason ? reason : "unknown failure";
    // Some decoders refuse an oversized header before the check above sees it.
    if (image.failure == "too large") image.failure = "image too large";
    image.width = image.height = 0;
  }
  return image;
}

void FreeDecodedImage(DecodedImage& image) {
  stbi_image_free(image.pixels);
  image.pixels = nullptr;
}

GLuint LoadTextureFile(const char* path) {
  if (!HasWindow()) {
    std::printf("Image loading error: no window is open, so there is no GL context for %s\n", path);
    return 0;
  }
  DecodedImage image = DecodeImageFile(path);
  if (!image.pixels) {
    std::printf("Image loading error: %s\n", image.failure.c_str());
    return 0;
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               image.pixels);
  FreeDecodedImage(image);
  return name;
}

void SetAdditiveBlend(bool on) {
  FlushBatches();
  glBlendFunc(GL_SRC_ALPHA, on ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
}
