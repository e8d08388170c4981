// fontgen: renders a TrueType/OpenType font at one pixel size into a bitmap
// font in the text form of the AngelCode BMFont format (.fnt) plus PNG page
// images with white glyphs on a transparent background.
#include <ft2build.h>
#include FT_FREETYPE_H

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Options {
  std::string fontPath;
  std::string outputPath;
  int pixelSize = 20;
  int pageWidth = 256;
  int pageHeight = 256;
  int padding = 1;
  std::vector<std::pair<int, int>> ranges;  // inclusive character code ranges
};

// Transparent pixels kept between neighbouring glyph pictures on a page.
constexpr int kSpacing = 1;
// The host refuses images wider or taller than this, so larger pages are no use.
constexpr int kMaxPageSide = 8192;
constexpr int kMaxPixelSize = 1024;
constexpr int kMaxPadding = 64;

struct GlyphBitmap {
  int code = 0;
  int width = 0;  // picture size including the padding
  int height = 0;
  int xoffset = 0;
  int yoffset = 0;
  int xadvance = 0;
  std::vector<unsigned char> coverage;  // width * height, 0..255
  int x = 0;
  int y = 0;
  int page = 0;
};

void PrintUsage() {
  std::fprintf(stderr,
               "usage: fontgen [options] <font.ttf|.otf> <output.fnt>\n"
               "  --size N          pixel size of the font, 1-1024 (default 20)\n"
               "  --page-size WxH   size of each page image, or N for N x N, at most 8192 (default 256x256)\n"
               "  --padding N       transparent pixels around every glyph picture, 0-64 (default 1)\n"
               "  --latin1          characters 32-126 and 160-255 (default: printable ASCII, 32-126)\n"
               "  --range A-B       characters A to B (0-255); may be repeated\n"
               "Page images are written beside the .fnt file as <name>_<page>.png.\n");
}

// A whole decimal number from 0 to `largest`.
bool ParseInt(const char* text, int& value, int largest) {
  char* end = nullptr;
  const long parsed = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || parsed < 0 || parsed > largest) return false;
  value = static_cast<int>(parsed);
  return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--size" && hasValue) {
      if (!ParseInt(argv[++i], options.pixelSize, kMaxPixelSize) || options.pixelSize < 1) return false;
    } else if (arg == "--page-size" && hasValue) {
      const std::string value = argv[++i];
      const size_t cross = value.find('x');
      const std::string width = value.substr(0, cross);
      const std::string height = cross == std::string::npos ? width : value.substr(cross + 1);
      if (!ParseInt(width.c_str(), options.pageWidth, kMaxPageSide) ||
          !ParseInt(height.c_str(), options.pageHeight, kMaxPageSide) ||
          options.pageWidth < 1 || options.pageHeight < 1)
        return false;
    } else if (arg == "--padding" && hasValue) {
      if (!ParseInt(argv[++i], options.padding, kMaxPadding)) return false;
    } else if (arg == "--latin1") {
      options.ranges.push_back({32, 126});
      options.ranges.push_back({160, 255});
    } else if (arg == "--range" && hasValue) {
      int first = 0, last = 0;
      const std::string value = argv[++i];
      const size_t dash = value.find('-');
      if (dash == std::string::npos || !ParseInt(value.substr(0, dash).c_str(), first, 255) ||
          !ParseInt(value.substr(dash + 1).c_str(), last, 255) || first > last)
        return false;
      options.ranges.push_back({first, last});
    } else if (arg.rfind("--", 0) == 0) {
      return false;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) return false;
  options.fontPath = positional[0];
  options.outputPath = positional[1];
  if (options.ranges.empty()) options.ranges.push_back({32, 126});
  return true;
}

std::vector<int> CharacterCodes(const Options& options) {
  std::vector<int> codes;
  for (const auto& [first, last] : options.ranges)
    for (int code = first; code <= last; ++code) codes.push_back(code);
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  return codes;
}

int RoundPixels(FT_Pos value) { return static_cast<int>((value + 32) >> 6); }

// Renders one character; false when the font has no glyph for it.
bool RenderGlyph(FT_Face face, int code, int ascender, int padding, GlyphBitmap& glyph) {
  const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
  if (index == 0) return false;  // the font lacks it (glyph 0 is the missing-glyph box)
  if (FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0) return false;
  const FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  glyph.code = code;
  glyph.xadvance = RoundPixels(slot->advance.x);
  if (bitmap.width == 0 || bitmap.rows == 0) return true;  // a space: no picture

  const int innerWidth = static_cast<int>(bitmap.width);
  const int innerHeight = static_cast<int>(bitmap.rows);
  glyph.width = innerWidth + 2 * padding;
  glyph.height = innerHeight + 2 * padding;
  glyph.xoffset = slot->bitmap_left - padding;
  glyph.yoffset = ascender - slot->bitmap_top - padding;
  glyph.coverage.assign(static_cast<size_t>(glyph.width) * glyph.height, 0);
  for (int row = 0; row < innerHeight; ++row) {
    const unsigned char* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
    unsigned char* target = &glyph.coverage[static_cast<size_t>(row + padding) * glyph.width + padding];
    for (int column = 0; column < innerWidth; ++column) {
      if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
        target[column] = (source[column / 8] & (0x80 >> (column % 8))) ? 255 : 0;
      else
        target[column] = source[column];
    }
  }
  return true;
}

// Shelf packing, tallest glyphs first. Returns the number of pages, or 0 when
// a glyph is larger than a page.
int PackGlyphs(std::vector<GlyphBitmap>& glyphs, int pageWidth, int pageHeight) {
  std::vector<GlyphBitmap*> order;
  for (GlyphBitmap& glyph : glyphs)
    if (glyph.width > 0) order.push_back(&glyph);
  std::stable_sort(order.begin(), order.end(),
                   [](const GlyphBitmap* a, const GlyphBitmap* b) { return a->height > b->height; });
  int page = 0, x = 0, y = 0, shelfHeight = 0;
  for (GlyphBitmap* glyph : order) {
    if (glyph->width > pageWidth || glyph->height > pageHeight) return 0;
    if (x + glyph->width > pageWidth) {
      x = 0;
      y += shelfHeight + kSpacing;
      shelfHeight = 0;
    }
    if (y + glyph->height > pageHeight) {
      ++page;
      x = y = shelfHeight = 0;
    }
    glyph->x = x;
    glyph->y = y;
    glyph->page = page;
    x += glyph->width + kSpacing;
    shelfHeight = std::max(shelfHeight, glyph->height);
  }
  return page + 1;
}

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithoutExtension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path;
  return path.substr(0, dot);
}

bool WritePages(const std::vector<GlyphBitmap>& glyphs, int pageCount, const Options& options,
                const std::string& stem) {
  for (int page = 0; page < pageCount; ++page) {
    // White everywhere; the coverage goes into alpha.
    std::vector<unsigned char> pixels(static_cast<size_t>(options.pageWidth) * options.pageHeight * 4, 0);
    for (size_t i = 0; i < pixels.size(); i += 4) pixels[i] = pixels[i + 1] = pixels[i + 2] = 255;
    for (const GlyphBitmap& glyph : glyphs) {
      if (glyph.width == 0 || glyph.page != page) continue;
      for (int row = 0; row < glyph.height; ++row)
        for (int column = 0; column < glyph.width; ++column)
          pixels[(static_cast<size_t>(glyph.y + row) * options.pageWidth + glyph.x + column) * 4 + 3] =
              glyph.coverage[static_cast<size_t>(row) * glyph.width + column];
    }
    const std::string path = stem + "_" + std::to_string(page) + ".png";
    if (!stbi_write_png(path.c_str(), options.pageWidth, options.pageHeight, 4, pixels.data(),
                        options.pageWidth * 4)) {
      std::fprintf(stderr, "fontgen: cannot write %s\n", path.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    PrintUsage();
    return 2;
  }
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, options.fontPath.c_str(), 0, &face) != 0) {
    std::fprintf(stderr, "fontgen: cannot open font %s\n", options.fontPath.c_str());
    return 1;
  }
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(options.pixelSize)) != 0) {
    std::fprintf(stderr, "fontgen: %s has no size of %d pixels\n", options.fontPath.c_str(), options.pixelSize);
    return 1;
  }
  const int ascender = RoundPixels(face->size->metrics.ascender);
  const int lineHeight = RoundPixels(face->size->metrics.height);

  std::vector<GlyphBitmap> glyphs;
  std::vector<FT_UInt> glyphIndices;
  for (const int code : CharacterCodes(options)) {
    GlyphBitmap glyph;
    if (!RenderGlyph(face, code, ascender, options.padding, glyph)) continue;
    glyphs.push_back(std::move(glyph));
    glyphIndices.push_back(FT_Get_Char_Index(face, static_cast<FT_ULong>(code)));
  }
  const int pageCount = PackGlyphs(glyphs, options.pageWidth, options.pageHeight);
  if (pageCount == 0) {
    std::fprintf(stderr, "fontgen: a glyph does not fit on a %dx%d page\n", options.pageWidth, options.pageHeight);
    return 1;
  }

  struct Kerning {
    int first, second, amount;
  };
  std::vector<Kerning> kernings;
  if (FT_HAS_KERNING(face)) {
    for (size_t a = 0; a < glyphs.size(); ++a)
      for (size_t b = 0; b < glyphs.size(); ++b) {
        FT_Vector delta{0, 0};
        if (FT_Get_Kerning(face, glyphIndices[a], glyphIndices[b], FT_KERNING_DEFAULT, &delta) != 0) continue;
        const int amount = RoundPixels(delta.x);
        if (amount != 0) kernings.push_back({glyphs[a].code, glyphs[b].code, amount});
      }
  }

  const std::string stem = WithoutExtension(options.outputPath);
  if (!WritePages(glyphs, pageCount, options, stem)) return 1;

  FILE* out = std::fopen(options.outputPath.c_str(), "w");
  if (out == nullptr) {
    std::fprintf(stderr, "fontgen: cannot write %s\n", options.outputPath.c_str());
    return 1;
  }
  const std::string family = face->family_name ? face->family_name : "";
  const bool bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  const bool italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
  const int p = options.padding;
  std::fprintf(out,
               "info face=\"%s\" size=%d bold=%d italic=%d charset=\"\" unicode=1 stretchH=100 smooth=1 aa=1 "
               "padding=%d,%d,%d,%d spacing=%d,%d\n",
               family.c_str(), options.pixelSize, bold, italic, p, p, p, p, kSpacing, kSpacing);
  std::fprintf(out, "common lineHeight=%d base=%d scaleW=%d scaleH=%d pages=%d packed=0\n", lineHeight, ascender,
               options.pageWidth, options.pageHeight, pageCount);
  const std::string pageStem = FileName(stem);
  for (int page = 0; page < pageCount; ++page)
    std::fprintf(out, "page id=%d file=\"%s_%d.png\"\n", page, pageStem.c_str(), page);
  std::fprintf(out, "chars count=%zu\n", glyphs.size());
  for (const GlyphBitmap& g : glyphs)
    std::fprintf(out,
                 "char id=%d x=%d y=%d width=%d height=%d xoffset=%d yoffset=%d xadvance=%d page=%d chnl=15\n",
                 g.code, g.x, g.y, g.width, g.height, g.xoffset, g.yoffset, g.xadvance, g.page);
  std::fprintf(out, "kernings count=%zu\n", kernings.size());
  for (const Kerning& k : kernings)
    std::fprintf(out, "kerning first=%d second=%d amount=%d\n", k.first, k.second, k.amount);
  const bool written = std::fclose(out) == 0;
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  if (!written) {
    std::fprintf(stderr, "fontgen: cannot write %s\n", options.outputPath.c_str());
    return 1;
  }
  return 0;
}
