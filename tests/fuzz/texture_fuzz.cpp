// Image files: LoadTextureFile on arbitrary bytes, into a real texture of a
// real GL context: the host's own window, opened once. OpenWindow resets the
// window hints, so it is a visible window; tools/fuzz.sh runs this target
// under Xvfb.
#include <cstdint>

#include "fuzz_support.h"
#include "render/texture.h"
#include "window/window.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RemoveAtExit(ScratchPath(".img"));
  InitWindowing();
  if (!OpenWindow(16, 16)) {
    std::fprintf(stderr, "texture_fuzz: no GL context (no display? run under xvfb-run)\n");
    std::exit(1);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = ScratchPath(".img");
  WriteScratchFile(path, data, size);
  const GLuint texture = LoadTextureFile(path.c_str());
  if (texture != 0) {
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    FUZZ_CHECK(width > 0 && width <= kMaxImageDimension && height > 0 && height <= kMaxImageDimension);
    glDeleteTextures(1, &texture);
  }
  FUZZ_CHECK(glGetError() == GL_NO_ERROR);
  return 0;
}
