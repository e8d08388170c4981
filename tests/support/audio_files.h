#pragma once
// Sound files for audio tests, written with libsndfile, ID3v1 tags appended
// by hand, and the raw output of SDL's disk audio driver read back.
#include <sndfile.h>

#include <functional>
#include <string>
#include <vector>

struct SoundFileSpec {
  int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  int rate = 44100;
  int channels = 2;
  long frames = 44100;
  // Sample value of a frame (the same on every channel).
  std::function<float(long frame, int rate)> sample = [](long, int) { return 0.0f; };
};

// Writes the file (creating parent directories); false when libsndfile refuses.
bool WriteSoundFile(const std::string& path, const SoundFileSpec& spec);

// A sine of `hertz` and `amplitude`, starting at phase 0.
std::function<float(long, int)> Sine(double hertz, double amplitude);

// The 128-byte ID3v1 block: "TAG", then the title and artist bytes (each cut
// or zero-padded to 30), the other fields zero.
std::string Id3v1Block(const std::string& title, const std::string& artist);
void AppendToFile(const std::string& path, const std::string& bytes);

// The disk driver's output: interleaved 32-bit floats.
std::vector<float> ReadRawFloats(const std::string& path);

// The frequency at the centre of spectrum bin k (44100 / 1024 Hz per bin).
double BinCentreHertz(int bin);
