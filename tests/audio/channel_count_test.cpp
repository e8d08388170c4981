// Channel counts that SDL's converter cannot take must fail as a format error
// (found by fuzzing: 256 channels reached SDL as 0 and crashed the process).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "audio/mixer.h"
#include "audio_files.h"

namespace {

TEST(ChannelCountTest, StreamsOfConvertibleLayoutsOnlyAreMade) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_TRUE(AudioInit(-1, 44100)) << AudioErrorGetCode();
  const std::filesystem::path directory = std::filesystem::temp_directory_path() / "strobe-channel-count-test";
  struct Case {
    int channels;
    bool made;
  };
  for (const Case c : {Case{2, true}, Case{8, true}, Case{256, false}, Case{257, false}}) {
    SCOPED_TRACE(c.channels);
    SoundFileSpec spec;
    spec.format = SF_FORMAT_AU | SF_FORMAT_FLOAT;
    spec.channels = c.channels;
    spec.frames = 16;
    const std::string path = (directory / ("channels" + std::to_string(c.channels) + ".au")).string();
    ASSERT_TRUE(WriteSoundFile(path, spec));
    const AudioHandle stream = AudioStreamCreateFile(path.c_str(), kAudioStreamAutoFree);
    EXPECT_EQ(stream != 0, c.made);
    EXPECT_EQ(AudioErrorGetCode(), c.made ? kAudioOk : kAudioErrorFormat);
  }
  std::filesystem::remove_all(directory);
}

}  // namespace
