#include "render/texture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host_runner.h"
#include "render/quad_pipe.h"
#include "render_test_support.h"

namespace {

std::string Fixture(const char* name) { return std::string(TEST_FIXTURES) + "/" + name; }

struct TextureInfo {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> texels;  // RGBA
};

TextureInfo ReadTexture(GLuint name) {
  TextureInfo info;
  glBindTexture(GL_TEXTURE_2D, name);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &info.width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &info.height);
  info.texels.resize(static_cast<size_t>(info.width) * info.height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, info.texels.data());
  return info;
}

// Loads with standard output captured.
GLuint LoadCapturing(const std::string& path, std::string& output) {
  ::testing::internal::CaptureStdout();
  const GLuint name = LoadTextureFile(path.c_str());
  fflush(stdout);
  output = ::testing::internal::GetCapturedStdout();
  return name;
}

using TextureTest = RenderTest;

TEST_F(TextureTest, FailuresPrintTheReasonAndReturnZero) {
  const std::string text = Fixture("notes.txt");
  const std::string missing = Fixture("no-such-image.png");
  struct Case {
    const std::string& path;
    const char* line;
  };
  for (const Case& c : {Case{missing, "Image loading error: can't fopen\n"},
                        Case{text, "Image loading error: unknown image type\n"}}) {
    SCOPED_TRACE(c.path);
    GLuint before = 0;
    glGenTextures(1, &before);
    std::string output;
    EXPECT_EQ(LoadCapturing(c.path, output), 0u);
    EXPECT_EQ(output, c.line);
    // No texture was made in between.
    GLuint after = 0;
    glGenTextures(1, &after);
    EXPECT_EQ(after, before + 1);
  }
}

TEST_F(TextureTest, RgbJpegGetsOpaqueAlpha) {
  std::string output;
  const GLuint name = LoadCapturing(Fixture("rgb.jpg"), output);
  ASSERT_NE(name, 0u) << output;
  EXPECT_EQ(output, "");
  const TextureInfo info = ReadTexture(name);
  ASSERT_EQ(info.width * info.height, 64);
  for (size_t i = 0; i < info.texels.size(); i += 4) {
    EXPECT_EQ(info.texels[i + 3], 255) << "texel " << i / 4;
    EXPECT_NEAR(info.texels[i], 200, 6);
    EXPECT_NEAR(info.texels[i + 1], 40, 6);
    EXPECT_NEAR(info.texels[i + 2], 90, 6);
  }
}

TEST_F(TextureTest, GreyPngSpreadsGreyOverRedGreenBlue) {
  std::string output;
  const GLuint name = LoadCapturing(Fixture("grey.png"), output);
  ASSERT_NE(name, 0u) << output;
  const TextureInfo info = ReadTexture(name);
  ASSERT_EQ(info.width * info.height, 64);
  int distinctGreys = 0;
  int lastGrey = -1;
  for (size_t i = 0; i < info.texels.size(); i += 4) {
    EXPECT_EQ(info.texels[i], info.texels[i + 1]);
    EXPECT_EQ(info.texels[i], info.texels[i + 2]);
    EXPECT_EQ(info.texels[i + 3], 255);
    if (info.texels[i] != lastGrey) ++distinctGreys, lastGrey = info.texels[i];
  }
  EXPECT_GT(distinctGreys, 2) << "the fixture is a gradient";
}

TEST_F(TextureTest, SizeIsKeptAndEveryLoadMakesANewName) {
  std::string output;
  const GLuint first = LoadCapturing(Fixture("size100x37.png"), output);
  const GLuint second = LoadCapturing(Fixture("size100x37.png"), output);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  EXPECT_NE(first, second);
  const TextureInfo info = ReadTexture(first);
  EXPECT_EQ(info.width, 100);
  EXPECT_EQ(info.height, 37);
  // Rows of 100 RGBA texels: the last texel is the image's colour too.
  EXPECT_EQ(info.texels[info.texels.size() - 4], 10);
  EXPECT_EQ(info.texels[info.texels.size() - 3], 200);
}

TEST_F(TextureTest, NewTextureStaysBoundWithLinearFilters) {
  std::string output;
  const GLuint name = LoadCapturing(Fixture("upright.png"), output);
  GLint bound = 0, minFilter = 0, magFilter = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
  EXPECT_EQ(static_cast<GLuint>(bound), name);
  EXPECT_EQ(minFilter, GL_LINEAR);
  EXPECT_EQ(magFilter, GL_LINEAR);
}

TEST_F(TextureTest, ImageIsShownUprightOnABox) {
  // upright.png: top row red, bottom row blue.
  std::string output;
  const GLuint name = LoadCapturing(Fixture("upright.png"), output);
  ASSERT_NE(name, 0u);
  FillPipe(name, 1, 1, 1, 1, 100, 100, 40, 40, 0);
  FlushBatches();
  const Rgba top = PixelAt(100, 90), bottom = PixelAt(100, 110);
  EXPECT_GT(top[0], 230) << Show(top);
  EXPECT_LT(top[2], 25) << Show(top);
  EXPECT_GT(bottom[2], 230) << Show(bottom);
  EXPECT_LT(bottom[0], 25) << Show(bottom);
}

// Image headers that claim more than the dimension limit. The decoder must
// refuse them before allocating anything.
std::string PngHeader(uint32_t width, uint32_t height) {
  std::string png("\x89PNG\r\n\x1a\n", 8);
  png += std::string("\0\0\0\x0dIHDR", 8);
  for (uint32_t value : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) png += static_cast<char>((value >> shift) & 0xff);
  png += std::string("\x08\x06\0\0\0", 5);  // 8-bit RGBA, no interlace
  png += std::string("\0\0\0\0", 4);        // CRC (not checked by the decoder)
  png += std::string("\0\0\0\0IDAT\0\0\0\0", 12);
  return png;
}

std::string BmpHeader(int32_t width, int32_t height) {
  std::string bmp(54, '\0');
  auto put32 = [&](int at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
  };
  bmp[0] = 'B', bmp[1] = 'M';
  put32(2, 54);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  bmp[26] = 1;   // planes
  bmp[28] = 24;  // bits per pixel
  return bmp;
}

TEST_F(TextureTest, OversizedHeadersAreRefused) {
  const std::string directory = std::filesystem::temp_directory_path() / "strobe-texture-test";
  std::filesystem::create_directories(directory);
  struct Case {
    const char* name;
    std::string contents;
  };
  const Case cases[] = {
      {"huge.png", PngHeader(100000, 100000)},
      {"wide.png", PngHeader(kMaxImageDimension + 1, 1)},
      {"tall.bmp", BmpHeader(1, kMaxImageDimension + 1)},
      {"huge.bmp", BmpHeader(30000, 30000)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = directory + "/" + c.name;
    WriteFile(path, c.contents);
    std::string output;
    EXPECT_EQ(LoadCapturing(path, output), 0u);
    EXPECT_EQ(output.rfind("Image loading error: ", 0), 0u) << output;
    EXPECT_NE(output.find("too large"), std::string::npos) << output;
  }
  std::filesystem::remove_all(directory);
}

TEST_F(TextureTest, DecoderAcceptsAnImageAtTheLimit) {
  const std::string path = std::filesystem::temp_directory_path() / "strobe-limit.bmp";
  // 8192 x 1, 24-bit: rows are 8192 * 3 bytes (already a multiple of 4).
  std::string bmp = BmpHeader(kMaxImageDimension, 1);
  bmp += std::string(kMaxImageDimension * 3, '\x7f');
  WriteFile(path, bmp);
  DecodedImage image = DecodeImageFile(path.c_str());
  EXPECT_NE(image.pixels, nullptr) << image.failure;
  EXPECT_EQ(image.width, kMaxImageDimension);
  EXPECT_EQ(image.height, 1);
  FreeDecodedImage(image);
  std::filesystem::remove(path);
}

// Blending: a half-transparent red box over a mid-grey background.
TEST_F(TextureTest, AdditiveAndNormalBlendingFigures) {
  struct Case {
    const char* flag;
    double red, green;  // expected, 0..1
  };
  const Case cases[] = {{"true", 1.0, 0.5}, {"0", 1.0, 0.5}, {"false", 0.75, 0.25}, {"nil", 0.75, 0.25}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flag);
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    RunScript(std::string("SetAdditiveBlend(") + c.flag + ")\nDrawBoxWithColor(100, 100, 40, 40, 0, 0, 1, 0, 0, 0.5)");
    FlushBatches();
    const Rgba pixel = PixelAt(100, 100);
    // Within one step of 1/255 of the exact figure (the grey itself rounds).
    EXPECT_NEAR(pixel[0], c.red * 255, 1.0) << Show(pixel);
    EXPECT_NEAR(pixel[1], c.green * 255, 1.0) << Show(pixel);
    EXPECT_NEAR(pixel[2], c.green * 255, 1.0) << Show(pixel);
  }
}

TEST_F(TextureTest, BlendChangeDrawsPendingBoxesWithTheModeTheyWereSubmittedUnder) {
  glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  RunScript(
      "SetAdditiveBlend(false)\n"
      "DrawBoxWithColor(100, 100, 40, 40, 0, 0, 1, 0, 0, 0.5)\n"
      "SetAdditiveBlend(true)\n"
      "DrawBoxWithColor(200, 100, 40, 40, 0, 0, 1, 0, 0, 0.5)\n");
  FlushBatches();
  EXPECT_NEAR(PixelAt(100, 100)[1], 0.25 * 255, 1.0);
  EXPECT_NEAR(PixelAt(200, 100)[1], 0.5 * 255, 1.0);
}

TEST_F(TextureTest, LoadImageReturnsTheNameToTheScript) {
  RunScript("image = LoadImage('" + Fixture("upright.png") + "')\nmissing = LoadImage('nowhere.png')");
  lua_getglobal(L_, "image");
  lua_getglobal(L_, "missing");
  EXPECT_GT(lua_tointeger(L_, -2), 0);
  EXPECT_EQ(lua_tointeger(L_, -1), 0);
  EXPECT_EQ(lua_type(L_, -1), LUA_TNUMBER);
}

}  // namespace
