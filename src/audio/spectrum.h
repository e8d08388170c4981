#pragma once
// Magnitude spectrum of 1024 samples: Hann window, real FFT (KissFFT), 512
// bins of 44100 / 1024 Hz (about 43.07 Hz) each at the device rate.
//
// Scale: a sine of amplitude A centred on bin k (1 <= k < 512) reads A at k,
// so a full-scale sine reads 1; a constant level A reads A at bin 0. That is
// |X[k]| * 2 / sum(window), without the factor 2 at bin 0.
#include <memory>

constexpr int kSpectrumSamples = 1024;
constexpr int kSpectrumBins = 512;

class SpectrumAnalyzer {
 public:
  SpectrumAnalyzer();
  ~SpectrumAnalyzer();
  SpectrumAnalyzer(const SpectrumAnalyzer&) = delete;
  SpectrumAnalyzer& operator=(const SpectrumAnalyzer&) = delete;

  // `samples`: kSpectrumSamples values, oldest first. Writes kSpectrumBins
  // magnitudes. Allocates nothing.
  void analyze(const float* samples, float* magnitudes);

 private:
  struct State;
  std::unique_ptr<State> state_;
};
