#pragma once
// The FontTable behind the script's font handles, text drawing for scripts,
// and the host's defaultFont.
#include <cstdint>
#include <string_view>

#include "text/font.h"

constexpr int32_t kFontTableCapacity = 10;

// Handle h stands for fonts[h - 1]. The table only fills; its Fonts live until
// the process ends.
struct FontTable {
  Font* fonts[kFontTableCapacity] = {};
  int32_t count = 0;
  int32_t capacity = kFontTableCapacity;
};

extern FontTable fontTable;

// Loads a font into the next slot and returns its handle. Returns 0 without
// reading anything when the table is full, and 0 without taking a slot when
// the file cannot be opened.
int32_t LoadFont(const char* path, const char* directory);

// The Font of a handle, or null for a handle outside 1..count.
Font* FontForHandle(int64_t handle);

// Lays out, draws and discards the text at once; no batch is flushed. With
// `centred`, the block is moved left by half its widest line (integer halving).
// Draws nothing without a font.
void DrawText(const Font* font, std::string_view text, int32_t x, int32_t y, int32_t maxWidth, bool centred,
              float red, float green, float blue, float alpha);

// The host's own font, outside the FontTable; null when it could not be loaded.
extern Font* defaultFont;
constexpr const char* kDefaultFontPath = "res/font/consolas-20.fnt";
constexpr const char* kDefaultFontDirectory = "res/font/";
void LoadDefaultFont();
void FreeDefaultFont();
