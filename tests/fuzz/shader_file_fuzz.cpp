// Shader files: ReadShaderFile on arbitrary bytes, checked against the format
// rules that a caller can see.
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "render/shader_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RemoveAtExit(ScratchPath(".glsl"));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = ScratchPath(".glsl");
  WriteScratchFile(path, data, size);
  ShaderSources sources;
  FUZZ_CHECK(ReadShaderFile(path.c_str(), sources));

  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ShaderSources parsed = ParseShaderText(text);
  FUZZ_CHECK(parsed.vertex == sources.vertex && parsed.fragment == sources.fragment);
  // Sections hold line text only: no line feeds, never more than the file.
  FUZZ_CHECK(sources.vertex.find('\n') == std::string::npos);
  FUZZ_CHECK(sources.fragment.find('\n') == std::string::npos);
  FUZZ_CHECK(sources.vertex.size() + sources.fragment.size() <= size);
  return 0;
}
