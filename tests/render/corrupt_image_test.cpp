// Image files that once got past the decoders' checks (found by fuzzing):
// each is refused with a reason instead of a write past a table or an image
// of no pixels.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "render/jpeg_check.h"
#include "render/texture.h"

namespace {

std::string ReadFixture(const char* name) {
  std::ifstream in(std::string(TEST_FIXTURES) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A DHT segment whose 16 code counts start with `first` and `second`.
std::string HuffmanSegment(unsigned char first, unsigned char second) {
  const size_t codes = size_t{first} + second;
  const size_t length = 2 + 17 + codes;
  std::string segment = {'\xFF', '\xC4', static_cast<char>(length >> 8), static_cast<char>(length & 0xFF), '\0'};
  segment += static_cast<char>(first);
  segment += static_cast<char>(second);
  segment += std::string(14 + codes, '\0');
  return segment;
}

// The progressive fixture with the counts of its first table after a scan raised past 256.
std::string ProgressiveWithBadTableBetweenScans() {
  std::string jpeg = ReadFixture("progressive.jpg");
  const size_t scan = jpeg.find("\xFF\xDA");
  const size_t table = jpeg.find("\xFF\xC4", scan);
  EXPECT_NE(table, std::string::npos);
  jpeg[table + 5] = '\xFF';
  jpeg[table + 6] = '\xFF';
  return jpeg;
}

struct Case {
  const char* name;
  std::string bytes;
  const char* failure;  // nullptr: decodes
};

TEST(CorruptImageTest, DecodeRefusesBrokenFilesAndKeepsGoodOnes) {
  const std::string psdZeroHeight =
      std::string("8BPS\0\1\0\0\0\0\0\0\0\3\0\0\0\0\0\0\0\2\0\x08\0\3", 26) + std::string(12, '\0') +
      std::string(2, '\0');
  const Case cases[] = {
      {"jpeg_bad_table.jpg",
       std::string("\xFF\xD8", 2) + HuffmanSegment(255, 255) + std::string("\xFF\xD9", 2), "bad DHT header"},
      {"jpeg_fill_then_bad_table.jpg",
       std::string("\xFF\xFF\xD8\xFF\xFF", 5) + HuffmanSegment(200, 57).substr(1), "bad DHT header"},
      {"progressive_bad_table.jpg", ProgressiveWithBadTableBetweenScans(), "bad DHT header"},
      {"progressive.jpg", ReadFixture("progressive.jpg"), nullptr},
      {"rgb.jpg", ReadFixture("rgb.jpg"), nullptr},
      {"psd_zero_height.psd", psdZeroHeight, "0-pixel image"},
  };
  const std::filesystem::path directory = std::filesystem::temp_directory_path() / "strobe-corrupt-image-test";
  std::filesystem::create_directories(directory);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = (directory / c.name).string();
    std::ofstream(path, std::ios::binary) << c.bytes;
    DecodedImage image = DecodeImageFile(path.c_str());
    if (c.failure == nullptr) {
      EXPECT_NE(image.pixels, nullptr) << image.failure;
      EXPECT_GT(image.width, 0);
      EXPECT_GT(image.height, 0);
    } else {
      EXPECT_EQ(image.pixels, nullptr);
      EXPECT_EQ(image.failure, c.failure);
      EXPECT_EQ(image.width, 0);
      EXPECT_EQ(image.height, 0);
    }
    FreeDecodedImage(image);
  }
  std::filesystem::remove_all(directory);
}

TEST(CorruptImageTest, HuffmanCheckCountsEveryTableOfASegment) {
  // Two tables in one segment: 256 codes each fit, 257 in the second do not.
  auto twoTables = [](unsigned char secondTableCount) {
    std::string tables;
    for (const size_t count : {size_t{256}, size_t{secondTableCount} + 128}) {
      tables += '\0';
      tables += static_cast<char>(128);
      tables += static_cast<char>(count - 128);
      tables += std::string(14 + count, '\0');
    }
    const size_t length = 2 + tables.size();
    return std::string("\xFF\xD8\xFF\xC4", 4) + static_cast<char>(length >> 8) +
           static_cast<char>(length & 0xFF) + tables;
  };
  const std::string fits = twoTables(128);
  const std::string tooMany = twoTables(129);
  EXPECT_TRUE(JpegHuffmanTablesFit(reinterpret_cast<const unsigned char*>(fits.data()), fits.size()));
  EXPECT_FALSE(JpegHuffmanTablesFit(reinterpret_cast<const unsigned char*>(tooMany.data()), tooMany.size()));
  // Not a JPEG: never refused.
  const std::string png = "\x89PNG\xFF\xC4\x00\x20\x00\xFF\xFF";
  EXPECT_TRUE(JpegHuffmanTablesFit(reinterpret_cast<const unsigned char*>(png.data()), png.size()));
}

}  // namespace
