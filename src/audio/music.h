#pragma once
// The one current music stream of the script API: device set-up, playback of
// a file with its ID3v1 artist and title, the end notification, volume and
// spectrum.
#include <cstdint>
#include <string_view>

#include "audio/spectrum.h"

// The stream of the latest PlayMusicFile (0 when that failed or before any).
extern uint32_t musicStream;
// The latest spectrum; zeros before the first successful request.
extern float spectrumBuffer[kSpectrumBins];

// Opens the default output device at 44100 Hz; on failure prints
// "BASS error: %d" (no line end) with the audio layer's error code.
void OpenAudioDevice();

struct MusicTags {
  std::string_view artist;  // up to 30 bytes, ends at the field's first zero byte
  std::string_view title;
};

// Starts a looping stream of the file; earlier streams play on. Every end of
// the new stream (each wrap) sets musicEnded. Returns whether the file has an
// ID3v1 tag; `tags` then views it until the next PlayMusicFile.
bool PlayMusicFile(const char* path, MusicTags* tags);

// The gain of the current stream, as it is.
void SetMusicVolume(float volume);

// Requests the current stream's spectrum into spectrumBuffer and returns it;
// a refused request leaves the previous values.
const float* RequestMusicSpectrum();
