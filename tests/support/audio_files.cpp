#include "audio_files.h"

#include <cmath>
#include <cstring>

#include "host_runner.h"

bool WriteSoundFile(const std::string& path, const SoundFileSpec& spec) {
  WriteFile(path, "");  // creates the directories
  SF_INFO info{};
  info.samplerate = spec.rate;
  info.channels = spec.channels;
  info.format = spec.format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) return false;
  std::vector<float> frames(static_cast<size_t>(spec.frames) * spec.channels);
  for (long i = 0; i < spec.frames; ++i)
    for (int c = 0; c < spec.channels; ++c) frames[i * spec.channels + c] = spec.sample(i, spec.rate);
  const bool written = sf_writef_float(file, frames.data(), spec.frames) == spec.frames;
  return sf_close(file) == 0 && written;
}

std::function<float(long, int)> Sine(double hertz, double amplitude) {
  return [=](long frame, int rate) {
    return static_cast<float>(amplitude * std::sin(2.0 * M_PI * hertz * frame / rate));
  };
}

std::string Id3v1Block(const std::string& title, const std::string& artist) {
  std::string block(128, '\0');
  std::memcpy(block.data(), "TAG", 3);
  block.replace(3, std::min<size_t>(title.size(), 30), title.substr(0, 30));
  block.replace(33, std::min<size_t>(artist.size(), 30), artist.substr(0, 30));
  return block;
}

void AppendToFile(const std::string& path, const std::string& bytes) { WriteFile(path, ReadFile(path) + bytes); }

std::vector<float> ReadRawFloats(const std::string& path) {
  const std::string bytes = ReadFile(path);
  std::vector<float> samples(bytes.size() / sizeof(float));
  std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
  return samples;
}

double BinCentreHertz(int bin) { return bin * 44100.0 / 1024.0; }
