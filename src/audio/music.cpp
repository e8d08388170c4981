#include "audio/music.h"

#include <cstdio>

#include "audio/mixer.h"
#include "host/host_state.h"

uint32_t musicStream = 0;
float spectrumBuffer[kSpectrumBins] = {};

namespace {

constexpr uint32_t kDeviceRate = 44100;
constexpr uint32_t kMusicFlags = kAudioSampleLoop | kAudioSampleFloat | kAudioStreamAutoFree;

// ID3v1 layout: "TAG", title at 3, artist at 33, each 30 bytes.
constexpr size_t kTitleOffset = 3;
constexpr size_t kArtistOffset = 33;
constexpr size_t kTextFieldSize = 30;

std::string_view Id3v1TextField(const char* block, size_t offset) {
  const char* field = block + offset;
  size_t length = 0;
  while (length < kTextFieldSize && field[length] != '\0') ++length;
  return {field, length};
}

// Runs on the audio layer's sync thread: only hands the end to the frame loop.
void OnMusicEnd(AudioHandle, AudioHandle, uint32_t, void*) { NotifyMusicEnded(); }

}  // namespace

void OpenAudioDevice() {
  if (!AudioInit(-1, kDeviceRate)) std::printf("BASS error: %d", AudioErrorGetCode());
}

bool PlayMusicFile(const char* path, MusicTags* tags) {
  // Failed calls change nothing; a failed creation leaves handle 0, which
  // every later call refuses.
  musicStream = AudioStreamCreateFile(path, kMusicFlags);
  AudioChannelSetSync(musicStream, kAudioSyncEnd, 0, OnMusicEnd, nullptr);
  // The tag is taken before playing: a file shorter than one device pull
  // ends and is freed at once, and then has no tag to give.
  const char* block = AudioChannelGetTags(musicStream, kAudioTagId3);
  AudioChannelPlay(musicStream, false);
  if (block == nullptr) return false;
  tags->artist = Id3v1TextField(block, kArtistOffset);
  tags->title = Id3v1TextField(block, kTitleOffset);
  return true;
}

void SetMusicVolume(float volume) { AudioChannelSetAttribute(musicStream, kAudioAttribVolume, volume); }

const float* RequestMusicSpectrum() {
  AudioChannelGetData(musicStream, spectrumBuffer, kAudioDataFft1024 | kAudioDataFloat);
  return spectrumBuffer;
}
