// Decoding sound files: AudioStreamCreateFile on arbitrary bytes, played to
// its end by the device thread, with the tag and spectrum calls on the live
// stream.
//
// The first byte picks the sample format (bit 0: float); the rest is the file.
#include <sndfile.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "audio_support.h"
#include "fuzz_support.h"

namespace {

// An input may declare any rate and length: inputs that would play for longer
// than this at the device rate are skipped (there is no call that stops a
// stream early, and playing hours of output is no fault).
constexpr double kMaxOutputSeconds = 2.0;

std::atomic<bool> ended{false};

void OnEnd(AudioHandle, AudioHandle, uint32_t, void*) { ended = true; }

bool PlaysBriefly(const std::string& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return true;  // refused by the stream as well
  sf_close(file);
  if (info.samplerate <= 0 || info.frames < 0) return true;
  return static_cast<double>(info.frames) / info.samplerate <= kMaxOutputSeconds;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RemoveAtExit(ScratchPath(".snd"));
  OpenFastAudioDevice();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint32_t flags = kAudioStreamAutoFree | ((data[0] & 1) ? kAudioSampleFloat : 0);
  const std::string& path = ScratchPath(".snd");
  WriteScratchFile(path, data + 1, size - 1);
  if (!PlaysBriefly(path)) return -1;  // not added to the corpus

  const AudioHandle stream = AudioStreamCreateFile(path.c_str(), flags);
  if (stream == 0) {
    const int error = AudioErrorGetCode();
    FUZZ_CHECK(error == kAudioErrorFileOpen || error == kAudioErrorFormat);
    return 0;
  }
  ended = false;
  FUZZ_CHECK(AudioChannelSetSync(stream, kAudioSyncEnd, 0, OnEnd, nullptr) != 0);
  FUZZ_CHECK(AudioChannelPlay(stream, false));
  AudioChannelGetTags(stream, kAudioTagId3);
  float spectrum[512];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!ended) {
    // A stream freed at its end refuses the request; a live one answers.
    const int got = AudioChannelGetData(stream, spectrum, kAudioDataFft1024);
    FUZZ_CHECK(got == static_cast<int>(sizeof(spectrum)) || (got == -1 && AudioErrorGetCode() == kAudioErrorHandle));
    FUZZ_CHECK(std::chrono::steady_clock::now() < deadline);
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return 0;
}
