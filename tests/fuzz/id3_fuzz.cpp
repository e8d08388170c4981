// The ID3v1 reader: a file that decodes (an empty WAV) followed by arbitrary
// bytes, played with PlayMusicFile; the tag block and its artist and title
// fields are checked against the file's last 128 bytes.
#include <sndfile.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/music.h"
#include "audio_support.h"
#include "fuzz_support.h"
#include "host/host_state.h"

namespace {

std::vector<uint8_t> emptyWav;

std::vector<uint8_t> MakeEmptyWav(const std::string& path) {
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  FUZZ_CHECK(file != nullptr);
  sf_close(file);
  std::FILE* in = std::fopen(path.c_str(), "rb");
  std::vector<uint8_t> bytes(4096);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in));
  std::fclose(in);
  return bytes;
}

bool TakeMusicEnded() {
  std::lock_guard<std::mutex> lock(hostMutex);
  const bool ended = musicEnded;
  musicEnded = false;
  return ended;
}

void CheckField(std::string_view field, const uint8_t* expected) {
  FUZZ_CHECK(field.size() <= 30);
  FUZZ_CHECK(std::memcmp(field.data(), expected, field.size()) == 0);
  FUZZ_CHECK(field.find('\0') == std::string_view::npos);
  FUZZ_CHECK(field.size() == 30 || expected[field.size()] == 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RemoveAtExit(ScratchPath(".wav"));
  emptyWav = MakeEmptyWav(ScratchPath(".wav"));
  OpenFastAudioDevice();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> file = emptyWav;
  file.insert(file.end(), data, data + size);
  const std::string& path = ScratchPath(".wav");
  WriteScratchFile(path, file.data(), file.size());

  MusicTags tags;
  const bool tagged = PlayMusicFile(path.c_str(), &tags);
  if (musicStream != 0) {
    const uint8_t* block = file.data() + file.size() - 128;
    const bool expectTag = file.size() >= 128 && std::memcmp(block, "TAG", 3) == 0;
    FUZZ_CHECK(tagged == expectTag);
    if (tagged) {
      CheckField(tags.title, block + 3);
      CheckField(tags.artist, block + 33);
    }
    // An empty file ends on the device's next pull; wait for it so that the
    // stream is freed before the next input.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!TakeMusicEnded()) {
      FUZZ_CHECK(std::chrono::steady_clock::now() < deadline);
      std::this_thread::yield();
    }
  }
  return 0;
}
