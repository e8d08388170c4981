#include "render/shader_file.h"

#include <cstdio>

ShaderSources ParseShaderText(std::string_view text) {
  ShaderSources sources;
  std::string* open = nullptr;
  size_t position = 0;
  while (position < text.size()) {
    const size_t lineBreak = text.find('\n', position);
    const bool lastLine = lineBreak == std::string_view::npos;
    std::string_view line = text.substr(position, lastLine ? std::string_view::npos : lineBreak - position);
    if (!lastLine && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kShaderFileMaxLine) break;

    if (line == "[vertex]") {
      open = &sources.vertex;
    } else if (line == "[fragment]") {
      open = &sources.fragment;
    } else if (open != nullptr) {
      open->append(line);
    }
    if (lastLine) break;
    position = lineBreak + 1;
  }
  return sources;
}

bool ReadShaderFile(const char* path, ShaderSources& sources) {
  sources = ShaderSources();
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  std::string text;
  char chunk[4096];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) text.append(chunk, got);
  // A directory opens on Linux but cannot be read: that is no shader file.
  const bool readFailed = std::ferror(file) != 0;
  std::fclose(file);
  if (readFailed) return false;
  sources = ParseShaderText(text);
  return true;
}
