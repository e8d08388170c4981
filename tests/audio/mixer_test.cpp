// The audio layer in-process, on SDL's dummy driver (real-time playback
// without a sound card).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "audio/mixer.h"
#include "audio/spectrum.h"
#include "audio_files.h"

namespace {

using Clock = std::chrono::steady_clock;

class Mixer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    directory_ = (std::filesystem::temp_directory_path() / "strobe-mixer-test").string();
    ASSERT_TRUE(AudioInit(-1, 44100)) << AudioErrorGetCode();
  }

  // A mono 16-bit WAV of `seconds` of 1 kHz at half scale.
  static std::string MakeFile(const std::string& name, double seconds) {
    SoundFileSpec spec;
    spec.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    spec.channels = 1;
    spec.frames = static_cast<long>(seconds * spec.rate);
    spec.sample = Sine(1000, 0.5);
    const std::string path = directory_ + "/" + name;
    EXPECT_TRUE(WriteSoundFile(path, spec));
    return path;
  }

  static std::string directory_;
};
std::string Mixer::directory_;

struct SyncCounter {
  std::atomic<int> calls{0};
  std::atomic<AudioHandle> channel{0};
  static void Proc(AudioHandle, AudioHandle channel, uint32_t data, void* user) {
    auto* self = static_cast<SyncCounter*>(user);
    self->channel = channel;
    if (data == 0) ++self->calls;
  }
};

// Waits for real-time playback to get somewhere.
template <typename Condition>
bool WaitFor(Condition condition, double seconds) {
  const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
  while (!condition()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void Sleep(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

}  // namespace

TEST_F(Mixer, StreamWithoutLoopEndsOnceAndPlaysAgainFromTheStart) {
  const AudioHandle stream = AudioStreamCreateFile(MakeFile("once.wav", 0.1).c_str(), kAudioSampleFloat);
  ASSERT_NE(stream, 0u);
  SyncCounter ends;
  ASSERT_NE(AudioChannelSetSync(stream, kAudioSyncEnd, 0, SyncCounter::Proc, &ends), 0u);
  ASSERT_TRUE(AudioChannelPlay(stream, false));
  ASSERT_TRUE(WaitFor([&] { return ends.calls == 1; }, 3.0));
  EXPECT_EQ(ends.channel, stream);
  Sleep(0.3);
  EXPECT_EQ(ends.calls, 1);
  // Still a live stream: it keeps its attributes and plays again.
  EXPECT_TRUE(AudioChannelSetAttribute(stream, kAudioAttribVolume, 0.5f));
  ASSERT_TRUE(AudioChannelPlay(stream, false));
  EXPECT_TRUE(WaitFor([&] { return ends.calls == 2; }, 3.0));
}

TEST_F(Mixer, AutoFreedStreamIsGoneAfterItsEnd) {
  const AudioHandle stream =
      AudioStreamCreateFile(MakeFile("autofree.wav", 0.1).c_str(), kAudioSampleFloat | kAudioStreamAutoFree);
  SyncCounter ends;
  AudioChannelSetSync(stream, kAudioSyncEnd, 0, SyncCounter::Proc, &ends);
  AudioChannelPlay(stream, false);
  ASSERT_TRUE(WaitFor([&] { return ends.calls == 1; }, 3.0));
  float spectrum[kSpectrumBins];
  EXPECT_FALSE(AudioChannelSetAttribute(stream, kAudioAttribVolume, 1.0f));
  EXPECT_EQ(AudioErrorGetCode(), kAudioErrorHandle);
  EXPECT_EQ(AudioChannelGetData(stream, spectrum, kAudioDataFft1024), -1);
  EXPECT_FALSE(AudioChannelPlay(stream, true));
  EXPECT_EQ(AudioErrorGetCode(), kAudioErrorHandle);
}

TEST_F(Mixer, LoopingStreamReportsEveryWrapAndPlaysOn) {
  const AudioHandle stream = AudioStreamCreateFile(
      MakeFile("loop.wav", 0.1).c_str(), kAudioSampleLoop | kAudioSampleFloat | kAudioStreamAutoFree);
  static SyncCounter ends;  // the stream loops on after the test
  AudioChannelSetSync(stream, kAudioSyncEnd, 0, SyncCounter::Proc, &ends);
  AudioChannelPlay(stream, false);
  ASSERT_TRUE(WaitFor([&] { return ends.calls >= 3; }, 3.0));
  // Still playing its 1 kHz: the spectrum peaks near bin 23.
  float spectrum[kSpectrumBins];
  ASSERT_EQ(AudioChannelGetData(stream, spectrum, kAudioDataFft1024 | kAudioDataFloat),
            static_cast<int>(sizeof spectrum));
  EXPECT_GT(spectrum[23], 0.4f);
  AudioChannelSetAttribute(stream, kAudioAttribVolume, 0.0f);
}

TEST_F(Mixer, SixteenBitDecodingPlaysTheSameSignal) {
  const AudioHandle stream = AudioStreamCreateFile(MakeFile("short.wav", 2.0).c_str(), kAudioStreamAutoFree);
  ASSERT_NE(stream, 0u);
  AudioChannelPlay(stream, false);
  Sleep(0.2);
  float spectrum[kSpectrumBins];
  ASSERT_GT(AudioChannelGetData(stream, spectrum, kAudioDataFft1024), 0);
  EXPECT_NEAR(spectrum[23], 0.485, 0.02);
  AudioChannelSetAttribute(stream, kAudioAttribVolume, 0.0f);
}

TEST_F(Mixer, FailuresReturnTheirCodes) {
  const std::string file = MakeFile("plain.wav", 0.1);
  const AudioHandle stream = AudioStreamCreateFile(file.c_str(), 0);
  ASSERT_NE(stream, 0u);
  float spectrum[kSpectrumBins];
  struct Case {
    const char* what;
    std::function<bool()> fails;
    int code;
  };
  const std::string missing = directory_ + "/missing.ogg";
  const Case cases[] = {
      {"second init", [] { return !AudioInit(-1, 44100); }, kAudioErrorAlready},
      {"missing file", [&] { return AudioStreamCreateFile(missing.c_str(), 0) == 0; }, kAudioErrorFileOpen},
      {"not audio", [] { return AudioStreamCreateFile(__FILE__, 0) == 0; }, kAudioErrorFileOpen},
      {"unknown flag", [&] { return AudioStreamCreateFile(file.c_str(), 0x1) == 0; }, kAudioErrorParameter},
      {"handle 0", [] { return !AudioChannelPlay(0, false); }, kAudioErrorHandle},
      {"unknown handle", [&] { return !AudioChannelSetAttribute(stream + 1000, kAudioAttribVolume, 1); },
       kAudioErrorHandle},
      {"other sync type", [&] { return AudioChannelSetSync(stream, 3, 0, SyncCounter::Proc, nullptr) == 0; },
       kAudioErrorParameter},
      {"other attribute", [&] { return !AudioChannelSetAttribute(stream, 1, 1.0f); }, kAudioErrorParameter},
      {"other data request", [&] { return AudioChannelGetData(stream, spectrum, 0x80000003) == -1; },
       kAudioErrorParameter},
      {"no tag", [&] { return AudioChannelGetTags(stream, kAudioTagId3) == nullptr; }, kAudioErrorNoTag},
      {"other tag type", [&] { return AudioChannelGetTags(stream, 1) == nullptr; }, kAudioErrorParameter},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(c.fails()) << c.what;
    EXPECT_EQ(AudioErrorGetCode(), c.code) << c.what;
  }
  EXPECT_TRUE(AudioChannelPlay(stream, false));
  EXPECT_EQ(AudioErrorGetCode(), kAudioOk);
}

// The host's end procedure takes a lock that the main thread holds while it
// calls into the layer. Procedures must not run inside the device callback,
// or the callback would wait for that lock while the main thread waits for
// the device.
TEST_F(Mixer, SyncProcedureWaitingForALockDoesNotStallTheDevice) {
  static std::mutex hostLock;
  static std::atomic<int> ends{0};
  const AudioHandle stream = AudioStreamCreateFile(
      MakeFile("wraps.wav", 0.05).c_str(), kAudioSampleLoop | kAudioSampleFloat | kAudioStreamAutoFree);
  AudioChannelSetSync(
      stream, kAudioSyncEnd, 0,
      [](AudioHandle, AudioHandle, uint32_t, void*) {
        std::lock_guard<std::mutex> lock(hostLock);
        ++ends;
      },
      nullptr);

  auto mainThreadWork = std::async(std::launch::async, [stream] {
    std::lock_guard<std::mutex> lock(hostLock);
    AudioChannelPlay(stream, false);
    float spectrum[kSpectrumBins];
    const auto until = Clock::now() + std::chrono::milliseconds(400);
    int calls = 0;
    while (Clock::now() < until) {
      AudioChannelSetAttribute(stream, kAudioAttribVolume, 0.5f);
      AudioChannelGetData(stream, spectrum, kAudioDataFft1024);
      ++calls;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return calls;
  });
  if (mainThreadWork.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    std::fprintf(stderr, "deadlock between the device callback and a sync procedure\n");
    std::_Exit(1);
  }
  EXPECT_GT(mainThreadWork.get(), 10);
  // The procedures blocked meanwhile run once the lock is free.
  EXPECT_TRUE(WaitFor([] { return ends >= 2; }, 3.0));
  AudioChannelSetAttribute(stream, kAudioAttribVolume, 0.0f);
}
