#pragma once
// The audio layer: one output device whose callback mixes every playing
// stream, streams decoded from files, end syncs, a volume attribute, the ID3v1
// tag block and a 1024-point spectrum. SDL2 plays, libsndfile decodes (WAV,
// FLAC, Ogg Vorbis, MP3 and whatever else it reads), SDL's audio stream
// converts each file to the device's rate and layout, KissFFT analyses.
//
// Every call returns a failure value (false, 0, null or -1) when it fails and
// then sets the code that AudioErrorGetCode returns; none of them prints.
// Calls are made from the main thread; sync procedures run on a thread of the
// layer's own (see AudioChannelSetSync).
#include <cstdint>

using AudioHandle = uint32_t;  // 0 is never a valid stream or sync

// Stream flags.
constexpr uint32_t kAudioSampleLoop = 0x4;         // wrap to the start at the end and play on
constexpr uint32_t kAudioSampleFloat = 0x100;      // decode as 32-bit floats (else 16-bit integers)
constexpr uint32_t kAudioStreamAutoFree = 0x40000; // free the stream once it has ended
// Sync types.
constexpr uint32_t kAudioSyncEnd = 2;
// Tag types.
constexpr uint32_t kAudioTagId3 = 0;  // the file's 128-byte ID3v1 block
// Attributes.
constexpr uint32_t kAudioAttribVolume = 2;
// AudioChannelGetData requests.
constexpr uint32_t kAudioDataFft1024 = 0x80000002;  // 512 floats: the spectrum of the last 1024 samples
constexpr uint32_t kAudioDataFloat = 0x40000000;

// Codes of AudioErrorGetCode.
enum AudioError : int {
  kAudioOk = 0,
  kAudioErrorDriver = 1,     // SDL could not start an audio driver
  kAudioErrorDevice = 2,     // the default output device could not be opened
  kAudioErrorAlready = 3,    // AudioInit was already successful
  kAudioErrorThread = 4,     // the sync thread could not be started
  kAudioErrorNotInit = 5,    // no device: AudioInit has not succeeded
  kAudioErrorHandle = 6,     // not a live stream (0, unknown, or an auto-freed stream that ended)
  kAudioErrorFileOpen = 7,   // the file is missing or cannot be decoded
  kAudioErrorFormat = 8,     // the file's rate or channel layout cannot be converted
  kAudioErrorParameter = 9,  // unsupported device, flag, sync type, attribute or data request
  kAudioErrorNoTag = 10,     // the stream has no tag of the requested type
};

// (sync handle, stream handle, data (0 for an end sync), user pointer)
using AudioSyncProc = void (*)(AudioHandle sync, AudioHandle channel, uint32_t data, void* user);

// Opens the output device: -1 is the default output device (the only one
// accepted), at `rate` Hz, 32-bit float stereo. The device is never closed.
bool AudioInit(int device, uint32_t rate);

// The code of the calling thread's latest call (kAudioOk after a success).
int AudioErrorGetCode();

// A stream of the whole file at `path`, paused. Flags: any of kAudioSampleLoop,
// kAudioSampleFloat, kAudioStreamAutoFree. Returns 0 on failure.
AudioHandle AudioStreamCreateFile(const char* path, uint32_t flags);

// Calls `proc` when the stream reaches its end (type kAudioSyncEnd, param 0):
// once when a stream without kAudioSampleLoop has played its last sample, and
// for a looping stream each time its decoder wraps to the start (the stream
// plays on). Procedures run on the layer's sync thread, never on the device
// callback, and no lock of the layer is held while they run.
AudioHandle AudioChannelSetSync(AudioHandle channel, uint32_t type, uint64_t param, AudioSyncProc proc,
                                void* user);

// Starts or resumes playback; `restart` (or a stream that has ended) starts
// again from the beginning.
bool AudioChannelPlay(AudioHandle channel, bool restart);

// The stream's 128-byte ID3v1 block ("TAG" first), read from the last 128
// bytes of its file, or null. Valid until the next AudioStreamCreateFile.
const char* AudioChannelGetTags(AudioHandle channel, uint32_t tags);

// kAudioAttribVolume: the gain applied when the stream is mixed, taken as it
// is (1 by default; no clamping, so 2 doubles and -1 inverts).
bool AudioChannelSetAttribute(AudioHandle channel, uint32_t attribute, float value);

// kAudioDataFft1024 (kAudioDataFloat may be added): writes 512 floats, the
// spectrum of the 1024 samples the stream played most recently (see
// spectrum.h). Returns the number of bytes written, or -1.
int AudioChannelGetData(AudioHandle channel, void* buffer, uint32_t request);
