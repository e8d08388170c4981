#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/spectrum.h"

namespace {

std::vector<float> Analyze(const std::vector<float>& samples) {
  SpectrumAnalyzer analyzer;
  std::vector<float> magnitudes(kSpectrumBins, -1.0f);
  analyzer.analyze(samples.data(), magnitudes.data());
  return magnitudes;
}

std::vector<float> SineSamples(double hertz, double amplitude) {
  std::vector<float> samples(kSpectrumSamples);
  for (int n = 0; n < kSpectrumSamples; ++n)
    samples[n] = static_cast<float>(amplitude * std::sin(2.0 * M_PI * hertz * n / 44100.0 + 0.3));
  return samples;
}

int PeakBin(const std::vector<float>& magnitudes) {
  return static_cast<int>(std::max_element(magnitudes.begin(), magnitudes.end()) - magnitudes.begin());
}

}  // namespace

TEST(Spectrum, SineAtABinCentreReadsItsAmplitude) {
  struct Case {
    int bin;
    double amplitude;
  };
  for (const Case& c : {Case{1, 1.0}, Case{23, 1.0}, Case{64, 0.25}, Case{511, 0.5}}) {
    SCOPED_TRACE(c.bin);
    const std::vector<float> magnitudes = Analyze(SineSamples(c.bin * 44100.0 / 1024.0, c.amplitude));
    EXPECT_EQ(PeakBin(magnitudes), c.bin);
    EXPECT_NEAR(magnitudes[c.bin], c.amplitude, 1e-4);
    // The Hann window's neighbours read half; everything further is leakage-free.
    if (c.bin + 1 < kSpectrumBins) {
      EXPECT_NEAR(magnitudes[c.bin + 1], c.amplitude / 2, 1e-4);
    }
    for (int k = 0; k < kSpectrumBins; ++k) {
      if (std::abs(k - c.bin) > 1) {
        EXPECT_LT(magnitudes[k], 1e-4) << "bin " << k;
      }
    }
  }
}

TEST(Spectrum, OneKilohertzPeaksNearBin23AtAboutOne) {
  const std::vector<float> magnitudes = Analyze(SineSamples(1000.0, 1.0));
  EXPECT_EQ(PeakBin(magnitudes), 23);  // 1000 Hz / 43.07 Hz = 23.2
  EXPECT_GT(magnitudes[23], 0.9f);
  EXPECT_LT(magnitudes[23], 1.0f);
}

TEST(Spectrum, ConstantLevelReadsAtBinZero) {
  const std::vector<float> magnitudes = Analyze(std::vector<float>(kSpectrumSamples, -0.5f));
  EXPECT_NEAR(magnitudes[0], 0.5, 1e-5);
  EXPECT_NEAR(magnitudes[1], 0.5, 1e-5);  // the window's own leakage, not folded
  EXPECT_LT(magnitudes[2], 1e-5);
}

TEST(Spectrum, SilenceReadsZero) {
  const std::vector<float> magnitudes = Analyze(std::vector<float>(kSpectrumSamples, 0.0f));
  for (float value : magnitudes) EXPECT_EQ(value, 0.0f);
}
