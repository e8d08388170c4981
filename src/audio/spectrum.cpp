#include "audio/spectrum.h"

#include <kiss_fftr.h>

#include <cmath>

struct SpectrumAnalyzer::State {
  kiss_fftr_cfg config = nullptr;
  float window[kSpectrumSamples];
  float windowed[kSpectrumSamples];
  kiss_fft_cpx bins[kSpectrumSamples / 2 + 1];
  float scale = 0;  // 2 / sum(window)
};

SpectrumAnalyzer::SpectrumAnalyzer() : state_(std::make_unique<State>()) {
  state_->config = kiss_fftr_alloc(kSpectrumSamples, 0, nullptr, nullptr);
  // Periodic Hann: its sum is exactly N / 2, so a sine at a bin centre reads
  // its amplitude.
  double sum = 0;
  for (int n = 0; n < kSpectrumSamples; ++n) {
    state_->window[n] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * M_PI * n / kSpectrumSamples));
    sum += state_->window[n];
  }
  state_->scale = static_cast<float>(2.0 / sum);
}

SpectrumAnalyzer::~SpectrumAnalyzer() { kiss_fftr_free(state_->config); }

void SpectrumAnalyzer::analyze(const float* samples, float* magnitudes) {
  State& s = *state_;
  for (int n = 0; n < kSpectrumSamples; ++n) s.windowed[n] = samples[n] * s.window[n];
  kiss_fftr(s.config, s.windowed, s.bins);
  for (int k = 0; k < kSpectrumBins; ++k) magnitudes[k] = std::hypot(s.bins[k].r, s.bins[k].i) * s.scale;
  magnitudes[0] *= 0.5f;  // the constant level has no mirror image to fold in
}
