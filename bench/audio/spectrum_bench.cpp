// The cost of GetSpectrum, which a script may call every frame: the analysis
// alone, the request on a playing stream (device lock, copy, analysis), and
// the whole binding with its 512-entry table.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sndfile.h>
#include <vector>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "audio/mixer.h"
#include "audio/music.h"
#include "audio/spectrum.h"
#include "audio/wrap_music.h"

namespace {

// A looping stream on SDL's dummy driver; set up once per process.
bool StartTone() {
  static const bool started = [] {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    OpenAudioDevice();
    const std::string path = (std::filesystem::temp_directory_path() / "strobe-bench-tone.wav").string();
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) return false;
    std::vector<float> tone(44100);
    for (size_t n = 0; n < tone.size(); ++n) tone[n] = 0.5f * std::sin(2 * M_PI * 1000 * n / 44100.0);
    sf_writef_float(file, tone.data(), static_cast<sf_count_t>(tone.size()));
    sf_close(file);
    MusicTags tags;
    PlayMusicFile(path.c_str(), &tags);
    return musicStream != 0;
  }();
  return started;
}

void BM_SpectrumAnalyze(benchmark::State& state) {
  SpectrumAnalyzer analyzer;
  std::vector<float> samples(kSpectrumSamples), magnitudes(kSpectrumBins);
  for (int n = 0; n < kSpectrumSamples; ++n) samples[n] = std::sin(0.1f * n);
  for (auto _ : state) {
    analyzer.analyze(samples.data(), magnitudes.data());
    benchmark::DoNotOptimize(magnitudes.data());
  }
}
BENCHMARK(BM_SpectrumAnalyze);

void BM_SpectrumRequest(benchmark::State& state) {
  if (!StartTone()) return state.SkipWithError("no audio device");
  for (auto _ : state) benchmark::DoNotOptimize(RequestMusicSpectrum());
}
BENCHMARK(BM_SpectrumRequest);

void BM_GetSpectrumBinding(benchmark::State& state) {
  if (!StartTone()) return state.SkipWithError("no audio device");
  lua_State* L = luaL_newstate();
  for (auto _ : state) {
    w_GetSpectrum(L);
    lua_pop(L, 1);
  }
  lua_close(L);
}
BENCHMARK(BM_GetSpectrumBinding);

}  // namespace
