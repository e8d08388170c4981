#include "audio/mixer.h"

#include <SDL.h>
#include <sndfile.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "audio/spectrum.h"

// Threads: the main thread makes every call; SDL's device thread runs
// MixStreams with the device lock held; the sync thread runs sync procedures.
// Everything MixStreams touches is changed by the main thread only under the
// device lock (SDL_LockAudioDevice). MixStreams takes no other lock: it hands
// end events to the sync thread through a lock-free queue, so a procedure that
// waits for a lock held by a thread that waits for the device lock cannot
// stall the device.

namespace {

constexpr int kDeviceChannels = 2;
constexpr int kDeviceBufferFrames = 1024;  // one callback: about 23 ms at 44.1 kHz
constexpr int kDecodeFrames = 1024;
constexpr int kDeviceFrameBytes = kDeviceChannels * sizeof(float);

thread_local int lastError = kAudioOk;

template <typename T>
T Fail(int code, T result) {
  lastError = code;
  return result;
}

template <typename T>
T Succeed(T result) {
  lastError = kAudioOk;
  return result;
}

struct Sync {
  AudioHandle handle;
  AudioSyncProc proc;
  void* user;
};

struct SyncEvent {
  AudioSyncProc proc;
  AudioHandle sync;
  AudioHandle channel;
  void* user;
};

// One producer (the device callback), one consumer (the sync thread). When it
// is full the event is dropped: the consumer is behind with events of the
// same kind already.
class SyncQueue {
 public:
  bool push(const SyncEvent& event) {
    const size_t tail = tail_.load(std::memory_order_relaxed);
    const size_t next = (tail + 1) % kCapacity;
    if (next == head_.load(std::memory_order_acquire)) return false;
    events_[tail] = event;
    tail_.store(next, std::memory_order_release);
    return true;
  }
  bool pop(SyncEvent& event) {
    const size_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) return false;
    event = events_[head];
    head_.store((head + 1) % kCapacity, std::memory_order_release);
    return true;
  }

 private:
  static constexpr size_t kCapacity = 64;
  std::array<SyncEvent, kCapacity> events_{};
  std::atomic<size_t> head_{0};
  std::atomic<size_t> tail_{0};
};

struct Stream {
  ~Stream() {
    if (converter != nullptr) SDL_FreeAudioStream(converter);
    if (file != nullptr) sf_close(file);
  }

  // Set at creation, then read-only.
  AudioHandle handle = 0;
  uint32_t flags = 0;
  SNDFILE* file = nullptr;
  int fileChannels = 0;
  SDL_AudioStream* converter = nullptr;  // file format -> device format
  std::vector<unsigned char> decoded;    // kDecodeFrames frames in the file's layout
  bool hasTag = false;
  char tag[128] = {};

  // Shared with the device callback: change only under the device lock.
  bool playing = false;
  bool ended = false;    // played its last sample (a looping stream never does)
  bool flushed = false;  // the decoder is done and the converter has been flushed
  sf_count_t framesSinceStart = 0;
  float volume = 1.0f;
  std::vector<Sync> syncs;
  std::array<float, kSpectrumSamples> recent{};  // mono, before volume; a ring
  size_t recentNext = 0;                         // the oldest sample of `recent`

  bool decodesFloat() const { return (flags & kAudioSampleFloat) != 0; }
  bool live() const { return !(ended && (flags & kAudioStreamAutoFree)); }
};

struct Mixer {
  SDL_AudioDeviceID device = 0;
  uint32_t rate = 0;
  std::vector<std::unique_ptr<Stream>> streams;
  std::vector<float> mixed;  // one pull from one stream, device format
  SyncQueue syncQueue;
  SDL_sem* syncSignal = nullptr;
  AudioHandle lastHandle = 0;
  // Main thread only.
  SpectrumAnalyzer analyzer;
  std::array<float, kSpectrumSamples> history{};
};

// Created by AudioInit and never freed: SDL's device thread may call
// MixStreams until the very end of the process.
Mixer* mixer = nullptr;

class DeviceLock {
 public:
  explicit DeviceLock(SDL_AudioDeviceID device) : device_(device) { SDL_LockAudioDevice(device_); }
  ~DeviceLock() { SDL_UnlockAudioDevice(device_); }
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;

 private:
  SDL_AudioDeviceID device_;
};

AudioHandle NextHandle() {
  if (++mixer->lastHandle == 0) ++mixer->lastHandle;
  return mixer->lastHandle;
}

// Under the device lock.
Stream* FindLiveStream(AudioHandle handle) {
  for (const auto& stream : mixer->streams)
    if (stream->handle == handle) return stream->live() ? stream.get() : nullptr;
  return nullptr;
}

// --- device thread ---------------------------------------------------------

void PostEndSyncs(Mixer& m, const Stream& stream) {
  if (stream.syncs.empty()) return;
  for (const Sync& sync : stream.syncs) m.syncQueue.push({sync.proc, sync.handle, stream.handle, sync.user});
  SDL_SemPost(m.syncSignal);
}

// Feeds one chunk of the file to the converter; at the end of the file a
// looping stream wraps (and reports it), any other is flushed.
void DecodeChunk(Mixer& m, Stream& stream) {
  const sf_count_t frames =
      stream.decodesFloat()
          ? sf_readf_float(stream.file, reinterpret_cast<float*>(stream.decoded.data()), kDecodeFrames)
          : sf_readf_short(stream.file, reinterpret_cast<short*>(stream.decoded.data()), kDecodeFrames);
  if (frames > 0) {
    const int bytes = static_cast<int>(frames) * stream.fileChannels *
                      (stream.decodesFloat() ? sizeof(float) : sizeof(short));
    stream.framesSinceStart += frames;
    if (SDL_AudioStreamPut(stream.converter, stream.decoded.data(), bytes) == 0) return;
  } else if ((stream.flags & kAudioSampleLoop) && stream.framesSinceStart > 0 &&
             sf_seek(stream.file, 0, SEEK_SET) == 0) {
    // An empty file would wrap forever without producing a sample: it ends.
    stream.framesSinceStart = 0;
    PostEndSyncs(m, stream);
    return;
  }
  SDL_AudioStreamFlush(stream.converter);
  stream.flushed = true;
}

// Up to `frames` device frames of the stream into m.mixed; fewer only at its end.
int PullFrames(Mixer& m, Stream& stream, int frames) {
  const int bytes = frames * kDeviceFrameBytes;
  while (!stream.flushed && SDL_AudioStreamAvailable(stream.converter) < bytes) DecodeChunk(m, stream);
  const int got = SDL_AudioStreamGet(stream.converter, m.mixed.data(), bytes);
  return got > 0 ? got / kDeviceFrameBytes : 0;
}

void RememberForSpectrum(Stream& stream, const float* frames, int count) {
  for (int i = 0; i < count; ++i) {
    stream.recent[stream.recentNext] = 0.5f * (frames[2 * i] + frames[2 * i + 1]);
    stream.recentNext = (stream.recentNext + 1) % kSpectrumSamples;
  }
}

void SDLCALL MixStreams(void* userdata, Uint8* output, int length) {
  Mixer& m = *static_cast<Mixer*>(userdata);
  float* out = reinterpret_cast<float*>(output);
  const int frames = length / kDeviceFrameBytes;
  std::fill(out, out + frames * kDeviceChannels, 0.0f);
  const int chunkFrames = static_cast<int>(m.mixed.size()) / kDeviceChannels;
  for (const auto& streamPointer : m.streams) {
    Stream& stream = *streamPointer;
    for (int done = 0; stream.playing && done < frames;) {
      const int wanted = std::min(frames - done, chunkFrames);
      const int got = PullFrames(m, stream, wanted);
      RememberForSpectrum(stream, m.mixed.data(), got);
      float* into = out + done * kDeviceChannels;
      for (int i = 0; i < got * kDeviceChannels; ++i) into[i] += m.mixed[i] * stream.volume;
      done += got;
      if (got < wanted) {
        stream.playing = false;
        stream.ended = true;
        PostEndSyncs(m, stream);
      }
    }
  }
}

// --- sync thread -----------------------------------------------------------

int SDLCALL RunSyncProcedures(void* userdata) {
  Mixer& m = *static_cast<Mixer*>(userdata);
  for (;;) {
    SDL_SemWait(m.syncSignal);
    SyncEvent event;
    while (m.syncQueue.pop(event)) event.proc(event.sync, event.channel, 0, event.user);
  }
  return 0;
}

// --- main thread -----------------------------------------------------------

// Streams freed by their end are dropped when the next one is created; a tag
// block handed out before stays valid until then.
void DropEndedStreams() {
  std::vector<std::unique_ptr<Stream>> dropped;
  {
    DeviceLock lock(mixer->device);
    auto& streams = mixer->streams;
    for (auto it = streams.begin(); it != streams.end();) {
      if ((*it)->live()) {
        ++it;
      } else {
        dropped.push_back(std::move(*it));
        it = streams.erase(it);
      }
    }
  }
  // Closing files and converters happens outside the lock.
}

bool ReadId3v1Block(const char* path, char* block) {
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  const bool read = std::fseek(file, -128, SEEK_END) == 0 && std::fread(block, 1, 128, file) == 128;
  std::fclose(file);
  return read && std::memcmp(block, "TAG", 3) == 0;
}

}  // namespace

bool AudioInit(int device, uint32_t rate) {
  if (mixer != nullptr) return Fail(kAudioErrorAlready, false);
  if (device != -1 || rate == 0 || rate > 384000) return Fail(kAudioErrorParameter, false);
  // SDL would otherwise catch SIGINT and SIGTERM to queue quit events that
  // nobody reads, and the host could no longer be interrupted or terminated.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return Fail(kAudioErrorDriver, false);

  auto created = std::make_unique<Mixer>();
  SDL_AudioSpec wanted{};
  wanted.freq = static_cast<int>(rate);
  wanted.format = AUDIO_F32SYS;
  wanted.channels = kDeviceChannels;
  wanted.samples = kDeviceBufferFrames;
  wanted.callback = MixStreams;
  wanted.userdata = created.get();
  SDL_AudioSpec obtained{};
  // No changes allowed: SDL converts to whatever the hardware takes.
  created->device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (created->device == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return Fail(kAudioErrorDevice, false);
  }
  created->rate = rate;
  created->mixed.resize(static_cast<size_t>(std::max<int>(obtained.samples, 1)) * kDeviceChannels);

  created->syncSignal = SDL_CreateSemaphore(0);
  SDL_Thread* thread =
      created->syncSignal ? SDL_CreateThread(RunSyncProcedures, "audio sync", created.get()) : nullptr;
  if (thread == nullptr) {
    if (created->syncSignal) SDL_DestroySemaphore(created->syncSignal);
    SDL_CloseAudioDevice(created->device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return Fail(kAudioErrorThread, false);
  }
  SDL_DetachThread(thread);

  mixer = created.release();
  SDL_PauseAudioDevice(mixer->device, 0);
  return Succeed(true);
}

int AudioErrorGetCode() { return lastError; }

AudioHandle AudioStreamCreateFile(const char* path, uint32_t flags) {
  if (mixer == nullptr) return Fail(kAudioErrorNotInit, AudioHandle{0});
  if (flags & ~(kAudioSampleLoop | kAudioSampleFloat | kAudioStreamAutoFree))
    return Fail(kAudioErrorParameter, AudioHandle{0});
  DropEndedStreams();

  auto stream = std::make_unique<Stream>();
  stream->flags = flags;
  SF_INFO info{};
  stream->file = sf_open(path, SFM_READ, &info);
  if (stream->file == nullptr) return Fail(kAudioErrorFileOpen, AudioHandle{0});
  // SDL takes the channel count as a byte: 256 channels would reach it as 0
  // and make it divide by zero, 257 as 1.
  if (info.channels < 1 || info.channels > 255 || info.samplerate < 1) return Fail(kAudioErrorFormat, AudioHandle{0});
  stream->fileChannels = info.channels;
  stream->converter =
      SDL_NewAudioStream(stream->decodesFloat() ? AUDIO_F32SYS : AUDIO_S16SYS, info.channels, info.samplerate,
                         AUDIO_F32SYS, kDeviceChannels, static_cast<int>(mixer->rate));
  if (stream->converter == nullptr) return Fail(kAudioErrorFormat, AudioHandle{0});
  stream->decoded.resize(static_cast<size_t>(kDecodeFrames) * info.channels *
                         (stream->decodesFloat() ? sizeof(float) : sizeof(short)));
  stream->hasTag = ReadId3v1Block(path, stream->tag);

  DeviceLock lock(mixer->device);
  stream->handle = NextHandle();
  mixer->streams.push_back(std::move(stream));
  return Succeed(mixer->streams.back()->handle);
}

AudioHandle AudioChannelSetSync(AudioHandle channel, uint32_t type, uint64_t param, AudioSyncProc proc,
                                void* user) {
  if (mixer == nullptr) return Fail(kAudioErrorNotInit, AudioHandle{0});
  DeviceLock lock(mixer->device);
  Stream* stream = FindLiveStream(channel);
  if (stream == nullptr) return Fail(kAudioErrorHandle, AudioHandle{0});
  if (type != kAudioSyncEnd || param != 0 || proc == nullptr) return Fail(kAudioErrorParameter, AudioHandle{0});
  const AudioHandle handle = NextHandle();
  stream->syncs.push_back({handle, proc, user});
  return Succeed(handle);
}

bool AudioChannelPlay(AudioHandle channel, bool restart) {
  if (mixer == nullptr) return Fail(kAudioErrorNotInit, false);
  DeviceLock lock(mixer->device);
  Stream* stream = FindLiveStream(channel);
  if (stream == nullptr) return Fail(kAudioErrorHandle, false);
  if (restart || stream->ended) {
    sf_seek(stream->file, 0, SEEK_SET);
    SDL_AudioStreamClear(stream->converter);
    stream->framesSinceStart = 0;
    stream->flushed = false;
    stream->ended = false;
  }
  stream->playing = true;
  return Succeed(true);
}

const char* AudioChannelGetTags(AudioHandle channel, uint32_t tags) {
  if (mixer == nullptr) return Fail(kAudioErrorNotInit, static_cast<const char*>(nullptr));
  DeviceLock lock(mixer->device);
  const Stream* stream = FindLiveStream(channel);
  if (stream == nullptr) return Fail(kAudioErrorHandle, static_cast<const char*>(nullptr));
  if (tags != kAudioTagId3) return Fail(kAudioErrorParameter, static_cast<const char*>(nullptr));
  if (!stream->hasTag) return Fail(kAudioErrorNoTag, static_cast<const char*>(nullptr));
  return Succeed(static_cast<const char*>(stream->tag));
}

bool AudioChannelSetAttribute(AudioHandle channel, uint32_t attribute, float value) {
  if (mixer == nullptr) return Fail(kAudioErrorNotInit, false);
  DeviceLock lock(mixer->device);
  Stream* stream = FindLiveStream(channel);
  if (stream == nullptr) return Fail(kAudioErrorHandle, false);
  if (attribute != kAudioAttribVolume) return Fail(kAudioErrorParameter, false);
  stream->volume = value;
  return Succeed(true);
}

int AudioChannelGetData(AudioHandle channel, void* buffer, uint32_t request) {
  if (mixer == nullptr) return Fail(kAudioErrorNotInit, -1);
  if ((request & ~kAudioDataFloat) != kAudioDataFft1024) return Fail(kAudioErrorParameter, -1);
  {
    DeviceLock lock(mixer->device);
    const Stream* stream = FindLiveStream(channel);
    if (stream == nullptr) return Fail(kAudioErrorHandle, -1);
    // Oldest first.
    const auto oldest = stream->recent.begin() + static_cast<std::ptrdiff_t>(stream->recentNext);
    std::rotate_copy(stream->recent.begin(), oldest, stream->recent.end(), mixer->history.begin());
  }
  mixer->analyzer.analyze(mixer->history.data(), static_cast<float*>(buffer));
  return Succeed(static_cast<int>(kSpectrumBins * sizeof(float)));
}
