#include "render/jpeg_check.h"

#include <vector>

namespace {

constexpr unsigned char kMarker = 0xFF;
constexpr unsigned char kStartOfImage = 0xD8;
constexpr unsigned char kEndOfImage = 0xD9;
constexpr unsigned char kDefineHuffmanTables = 0xC4;
constexpr size_t kMaxHuffmanCodes = 256;

// Past the end the decoder reads zeros.
unsigned char ByteAt(const unsigned char* data, size_t size, size_t at) { return at < size ? data[at] : 0; }

// Marker bytes without a length: stuffed zero, TEM and the restart markers.
bool HasNoLength(unsigned char code) { return code == 0x00 || code == 0x01 || (code >= 0xD0 && code <= 0xD7); }

// The tables of one DHT segment follow each other until its length is used up.
bool SegmentTablesFit(const unsigned char* data, size_t size, size_t tables, size_t end) {
  while (tables < end && tables < size) {
    size_t codes = 0;
    for (size_t i = 1; i <= 16; ++i) codes += ByteAt(data, size, tables + i);
    if (codes > kMaxHuffmanCodes) return false;
    tables += 17 + codes;
  }
  return true;
}

}  // namespace

bool JpegHuffmanTablesFit(const unsigned char* data, size_t size) {
  // The decoder takes any number of 0xFF bytes before the start marker.
  size_t at = 0;
  if (ByteAt(data, size, at) != kMarker) return true;
  while (ByteAt(data, size, at) == kMarker) ++at;
  if (ByteAt(data, size, at) != kStartOfImage) return true;
  ++at;
  // Segments are stepped over by their lengths; anything between them (fill
  // bytes, entropy-coded scan data) is searched for the next marker.
  while (at + 1 < size) {
    if (data[at] != kMarker || data[at + 1] == kMarker) {
      ++at;
      continue;
    }
    const unsigned char code = data[at + 1];
    if (code == kEndOfImage) return true;
    if (HasNoLength(code)) {
      at += 2;
      continue;
    }
    const size_t length = (size_t{ByteAt(data, size, at + 2)} << 8) | ByteAt(data, size, at + 3);
    if (code == kDefineHuffmanTables && !SegmentTablesFit(data, size, at + 4, at + 2 + length)) return false;
    at += 2 + length;
  }
  return true;
}

bool JpegHuffmanTablesFit(std::FILE* file) {
  std::vector<unsigned char> contents;
  unsigned char chunk[4096];
  size_t got = 0;
  bool first = true;
  while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) {
    // Only JPEG files are read to the end.
    if (first && chunk[0] != kMarker) break;
    first = false;
    contents.insert(contents.end(), chunk, chunk + got);
  }
  std::rewind(file);
  return JpegHuffmanTablesFit(contents.data(), contents.size());
}
