#include "text/font.h"

#include "render/texture.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

bool IsStreamBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the whole file as lines split at line feeds; a carriage return in
// front of a line feed is dropped, so CR LF files read like LF files. A file
// that ends with a line feed yields an empty last line.
std::optional<std::vector<std::string>> ReadLines(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string contents;
  try {
    contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::ios_base::failure&) {
    // A directory opens but cannot be read; libstdc++ throws on the read.
    return std::nullopt;
  }
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = contents.find('\n', start);
    if (end == std::string::npos) {
      lines.emplace_back(contents, start);
      return lines;
    }
    size_t length = end - start;
    if (length > 0 && contents[end - 1] == '\r') --length;
    lines.emplace_back(contents, start, length);
    start = end + 1;
  }
}

bool StartsWith(std::string_view line, std::string_view keyword) {
  return line.substr(0, keyword.size()) == keyword;
}

// The page image's file name: the text between the first pair of double
// quotes, or the whole value when it has no quote.
std::string_view StripQuotes(std::string_view value) {
  const size_t open = value.find('"');
  if (open == std::string_view::npos) return value;
  const size_t close = value.find('"', open + 1);
  return value.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1);
}

int8_t CharacterCode(int32_t id) { return static_cast<int8_t>(static_cast<uint8_t>(id & 0xFF)); }

float TextureFraction(int64_t pixels, int32_t size) {
  return static_cast<float>(static_cast<double>(pixels) / static_cast<double>(size));
}

struct FontLoader {
  std::unique_ptr<Font> font = std::make_unique<Font>();
  int32_t scaleW = 0;
  int32_t scaleH = 0;

  void readCommonLine(std::string_view line) {
    font->lineHeight = GetIntValue(line, "lineHeight");
    scaleW = GetIntValue(line, "scaleW");
    scaleH = GetIntValue(line, "scaleH");
    font->pageCount = std::clamp(GetIntValue(line, "pages"), 0, kMaxFontPages);
    font->pageTextures.assign(static_cast<size_t>(font->pageCount), 0);
  }

  void readPageLine(std::string_view line, const std::string& directory, const PageImageLoader& loadPageImage) {
    const int32_t id = GetIntValue(line, "id");
    if (id < 0 || id >= font->pageCount) return;
    const std::string path = directory + std::string(StripQuotes(GetValueText(line, "file")));
    font->pageTextures[static_cast<size_t>(id)] = loadPageImage(path);
  }

  void readCharLine(std::string_view line) {
    const int32_t id = GetIntValue(line, "id");
    const int32_t x = GetIntValue(line, "x");
    const int32_t y = GetIntValue(line, "y");
    Glyph glyph;
    glyph.width = GetIntValue(line, "width");
    glyph.height = GetIntValue(line, "height");
    glyph.xoffset = GetIntValue(line, "xoffset");
    glyph.yoffset = GetIntValue(line, "yoffset");
    glyph.xadvance = GetIntValue(line, "xadvance");
    glyph.page = GetIntValue(line, "page");
    glyph.character = CharacterCode(id);
    glyph.texLeft = TextureFraction(x, scaleW);
    glyph.texTop = TextureFraction(y, scaleH);
    glyph.texRight = TextureFraction(int64_t{x} + glyph.width, scaleW);
    glyph.texBottom = TextureFraction(int64_t{y} + glyph.height, scaleH);
    // Ids above 255 fold onto their low byte; the first char line of a code wins.
    std::optional<Glyph>& slot = font->glyphs[static_cast<uint8_t>(glyph.character)];
    if (!slot) slot = std::move(glyph);
  }

  void readKerningLine(std::string_view line) {
    const int8_t first = CharacterCode(GetIntValue(line, "first"));
    const int8_t second = CharacterCode(GetIntValue(line, "second"));
    const int32_t amount = GetIntValue(line, "amount");
    std::optional<Glyph>& slot = font->glyphs[static_cast<uint8_t>(first)];
    if (slot) SetKerning(*slot, second, amount);
  }
};

}  // namespace

int32_t KerningAmount(const Glyph& first, int8_t second) {
  const auto at = std::lower_bound(first.kerning.begin(), first.kerning.end(), second,
                                   [](const KerningPair& pair, int8_t code) { return pair.second < code; });
  return at != first.kerning.end() && at->second == second ? at->amount : 0;
}

void SetKerning(Glyph& first, int8_t second, int32_t amount) {
  auto at = std::lower_bound(first.kerning.begin(), first.kerning.end(), second,
                             [](const KerningPair& pair, int8_t code) { return pair.second < code; });
  if (at != first.kerning.end() && at->second == second)
    at->amount = amount;
  else
    first.kerning.insert(at, KerningPair{second, amount});
}

std::string_view GetValueText(std::string_view line, std::string_view key) {
  for (size_t at = line.find(key); at != std::string_view::npos; at = line.find(key, at + 1)) {
    const size_t valueStart = at + key.size();
    if (valueStart < line.size() && line[valueStart] == '=') {
      const std::string_view rest = line.substr(valueStart + 1);
      return rest.substr(0, rest.find(' '));
    }
  }
  return {};
}

int32_t GetIntValue(std::string_view line, std::string_view key) {
  const std::string_view text = GetValueText(line, key);
  size_t i = 0;
  while (i < text.size() && IsStreamBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || !IsDigit(text[i])) return 0;
  int64_t magnitude = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > int64_t{INT32_MAX} + 1) return 0;
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX) return 0;
  return static_cast<int32_t>(value);
}

Font* LoadFontFile(const char* path, const char* directory, const PageImageLoader& loadPageImage) {
  const std::optional<std::vector<std::string>> lines = ReadLines(path);
  if (!lines) return nullptr;
  FontLoader loader;
  // Line 2 is the common line with the sizes everything else depends on; a
  // file without one has nothing to read.
  if (lines->size() < 2) return loader.font.release();
  loader.readCommonLine((*lines)[1]);
  const std::string directoryText(directory);
  for (const std::string& line : *lines) {
    if (StartsWith(line, "page "))
      loader.readPageLine(line, directoryText, loadPageImage);
    else if (StartsWith(line, "char "))
      loader.readCharLine(line);
    else if (StartsWith(line, "kerning "))
      loader.readKerningLine(line);
  }
  return loader.font.release();
}

void FreeFont(Font* font) { delete font; }

Font* LoadFontFile(const char* path, const char* directory) {
  return LoadFontFile(path, directory, [](const std::string& imagePath) { return LoadTextureFile(imagePath.c_str()); });
}
