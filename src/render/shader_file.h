#pragma once
// Reading a shader file: a vertex and a fragment source in marked sections.
//
// Format: lines end at LF (a CR right before the LF is dropped). A line that is
// exactly "[vertex]" or "[fragment]" opens that section; every other line is
// appended to the open section with no separator at all, and lines before the
// first section line are dropped. Sections may come in either order and may be
// opened again, their text then continues. A line longer than
// kShaderFileMaxLine characters ends the reading there: the sections keep what
// was read before it.
#include <string>
#include <string_view>

constexpr size_t kShaderFileMaxLine = 511;

struct ShaderSources {
  std::string vertex;
  std::string fragment;
};

// Splits a shader file's contents into its two sections.
ShaderSources ParseShaderText(std::string_view text);

// Fills `sources` from the file at `path`; false only when the file cannot be
// opened or read (sources are then left empty).
bool ReadShaderFile(const char* path, ShaderSources& sources);
