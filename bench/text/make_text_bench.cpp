// Layout throughput: MakeText on a 2 KB paragraph in the shipped default font
// (no GL needed: the page images are not loaded).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "text/font.h"
#include "text/text_mesh.h"

namespace {

// The source tree, found from this file's own path (bench/text/...).
std::string SourceDirectory() {
  const std::string file = __FILE__;
  return file.substr(0, file.rfind("/bench/text/"));
}

const Font& DefaultFont() {
  static const Font* font = LoadFontFile((SourceDirectory() + "/res/font/consolas-20.fnt").c_str(), "",
                                         [](const std::string&) { return GLuint{1}; });
  if (font == nullptr) std::abort();
  return *font;
}

// The default font with twenty kerning pairs on every glyph, as a proportional
// font has them.
const Font& KernedFont() {
  static const Font font = [] {
    Font kerned = DefaultFont();
    for (auto& slot : kerned.glyphs) {
      if (!slot) continue;
      for (int second = 'a'; second < 'a' + 20; ++second) SetKerning(*slot, static_cast<int8_t>(second), -1);
    }
    return kerned;
  }();
  return font;
}

std::string Paragraph() {
  const std::string sentence =
      "The quick brown fox jumps over the lazy dog while strobe lays out its text, glyph by glyph. ";
  std::string text;
  while (text.size() + sentence.size() <= 2048) text += sentence;
  text.append(2048 - text.size(), 'x');
  return text;
}

void Run(benchmark::State& state, const Font& font, int32_t maxWidth) {
  const std::string text = Paragraph();
  for (auto _ : state) {
    TextMesh* mesh = MakeText(font, text, maxWidth);
    benchmark::DoNotOptimize(mesh->vertexArrays[0].data());
    FreeTextMesh(mesh);
  }
  state.counters["glyphs"] =
      benchmark::Counter(static_cast<double>(text.size()) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_MakeText_Wrapped400(benchmark::State& state) { Run(state, DefaultFont(), 400); }
void BM_MakeText_Unwrapped(benchmark::State& state) { Run(state, DefaultFont(), -1); }
void BM_MakeText_Wrapped400_Kerned(benchmark::State& state) { Run(state, KernedFont(), 400); }

}  // namespace

BENCHMARK(BM_MakeText_Wrapped400);
BENCHMARK(BM_MakeText_Unwrapped);
BENCHMARK(BM_MakeText_Wrapped400_Kerned);
