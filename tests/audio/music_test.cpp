// PlayMusic, SetVolume, GetSpectrum and MusicEnd through the real host, on
// SDL's dummy driver, or on its disk driver where the output is checked.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cmath>
#include <sstream>
#include <vector>

#include "audio/spectrum.h"
#include "audio_files.h"
#include "host_runner.h"

namespace {

// A window for the frame loop, and `after(seconds, fn)`: run fn in the first
// frame at least that long after the previous step ran (the first step counts
// from the first frame), one step per frame, so a slow frame only stretches
// the plan. After the last step the run ends. `initialize` and `MusicEnd` do
// nothing unless replaced; `frame` counts frames, `now` is the time since the
// first frame, `inUpdate` is true inside update.
const char* const kPrelude = R"(
OpenWindow(64, 64)
local steps, start, lastStep = {}, nil, 0
frame, inUpdate = 0, false
function initialize() end
function MusicEnd() end
function after(seconds, fn) steps[#steps + 1] = {seconds, fn} end
function update(time)
  inUpdate = true
  frame = frame + 1
  start = start or time
  now = time - start
  if steps[1] and now - lastStep >= steps[1][1] then
    lastStep = now
    table.remove(steps, 1)[2]()
  end
  inUpdate = false
  if not steps[1] then os.exit(0) end
end
function peak(s)
  local bin, value = 0, -1
  for i = 1, 512 do if s[i] > value then bin, value = i - 1, s[i] end end
  return bin, value
end
)";

// Runs the prelude and `body` in the real host; every run must end normally
// (a ThreadSanitizer build turns a race report into exit status 66).
HostRunResult RunScript(const std::string& body, const HostRunOptions& options) {
  HostRunResult run = RunHost(std::string(kPrelude) + body, options);
  EXPECT_EQ(run.exitStatus, 0) << run.errors;
  return run;
}

// Writes a sound file into the run's res/ directory through `options`.
void AddSoundFile(HostRunOptions& options, const std::string& name, const SoundFileSpec& spec,
                  const std::string& tag = "") {
  static int serial = 0;
  const std::string path = testing::TempDir() + "strobe-music-" + std::to_string(serial++) + "-" + name;
  ASSERT_TRUE(WriteSoundFile(path, spec)) << name;
  if (!tag.empty()) AppendToFile(path, tag);
  options.copies["res/" + name] = path;
}

SoundFileSpec Tone(double hertz, double amplitude, double seconds) {
  SoundFileSpec spec;
  spec.frames = static_cast<long>(seconds * spec.rate);
  spec.sample = Sine(hertz, amplitude);
  return spec;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// One channel of the disk driver's stereo output, from `first` for `count` frames.
std::vector<float> LeftChannel(const std::vector<float>& output, size_t first, size_t count) {
  std::vector<float> left;
  for (size_t i = first; i < first + count && 2 * i < output.size(); ++i) left.push_back(output[2 * i]);
  return left;
}

std::vector<float> SpectrumOf(const std::vector<float>& samples) {
  std::vector<float> magnitudes(kSpectrumBins);
  SpectrumAnalyzer analyzer;
  analyzer.analyze(samples.data(), magnitudes.data());
  return magnitudes;
}

size_t FirstSoundingFrame(const std::vector<float>& output) {
  for (size_t i = 0; i < output.size(); ++i)
    if (output[i] != 0.0f) return i / 2;
  return output.size() / 2;
}

}  // namespace

TEST(Music, NoUsableDeviceReportsOnceAndEveryCallDoesNothing) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> environment;
    std::string line;
  };
  const Case cases[] = {
      {{{"SDL_AUDIODRIVER", "no-such-driver"}}, "BASS error: 1"},
      {{{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", "no-such-dir/out.raw"}}, "BASS error: 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    HostRunOptions options;
    options.environment = c.environment;
    AddSoundFile(options, "tagged.wav", Tone(1000, 0.5, 0.1), Id3v1Block("Title", "Artist"));
    const HostRunResult run = RunScript(R"(
      function MusicEnd() print("MusicEnd") end
      print("results", select("#", PlayMusic("res/tagged.wav")))
      SetVolume(0.5)
      after(0.5, function()
        local s, count, nonzero = GetSpectrum(), 0, 0
        for k, v in pairs(s) do count = count + 1; if v ~= 0 then nonzero = nonzero + 1 end end
        print("spectrum", count, nonzero)
      end)
    )", options);
    EXPECT_EQ(run.output, c.line + "results\t0\nspectrum\t512\t0\n");
  }
}

TEST(Music, UnplayableFileGivesNoResultsAndSpectrumKeepsItsKeysAndValues) {
  HostRunOptions options;
  AddSoundFile(options, "tone.wav", Tone(1000, 0.5, 2.0));
  options.files["res/garbage.mp3"] = std::string(4096, 'x') + Id3v1Block("Not", "Music");
  const HostRunResult run = RunScript(R"(
    local function describe(s)
      local count, low, high, numbers, largest = 0, math.huge, -math.huge, 0, 0
      for k, v in pairs(s) do
        count = count + 1
        low, high = math.min(low, k), math.max(high, k)
        if type(v) == "number" then numbers = numbers + 1; largest = math.max(largest, v) end
      end
      return count, low, high, numbers, largest
    end
    print("missing", select("#", PlayMusic("res/missing.ogg")))
    print("undecodable", select("#", PlayMusic("res/garbage.mp3")))
    print("before", describe(GetSpectrum()))
    local saved
    after(0, function() PlayMusic("res/tone.wav") end)
    after(0.4, function()
      saved = GetSpectrum()
      local count, low, high, numbers, largest = describe(saved)
      print("playing", count, low, high, numbers, largest > 0.3)
      print("missing", select("#", PlayMusic("res/missing.ogg")))
      local again, same = GetSpectrum(), true
      for i = 1, 512 do same = same and again[i] == saved[i] end
      print("kept", same)
    end)
  )", options);
  EXPECT_EQ(run.output,
            "missing\t0\n"
            "undecodable\t0\n"
            "before\t512\t1\t512\t512\t0\n"
            "playing\t512\t1\t512\t512\ttrue\n"
            "missing\t0\n"
            "kept\ttrue\n");
}

TEST(Music, Id3v1FieldsComeBackAsStored) {
  struct Case {
    std::string file;
    std::string tag;  // empty: no tag
    std::string expected;
  };
  const std::string thirty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";
  const Case cases[] = {
      {"full-title.wav", Id3v1Block(thirty, "Somebody"), "2\t[Somebody]\t[" + thirty + "]"},
      {"zero-ends.wav", Id3v1Block(std::string("Short\0after the zero", 20), std::string("A\0B", 3)),
       "2\t[A]\t[Short]"},
      {"blanks.wav", Id3v1Block("Padded" + std::string(24, ' '), "Name    "),
       "2\t[Name    ]\t[Padded" + std::string(24, ' ') + "]"},
      {"empty-fields.wav", Id3v1Block("", ""), "2\t[]\t[]"},
      {"untagged.wav", "", "0\t[nil]\t[nil]"},
  };
  HostRunOptions options;
  std::string body = "after(0.2, function() end)\n";
  std::string expected;
  for (const Case& c : cases) {
    AddSoundFile(options, c.file, Tone(1000, 0.1, 0.2), c.tag);
    body += "do local n = select('#', PlayMusic('res/" + c.file + "'))\n" +
            "  local artist, title = PlayMusic('res/" + c.file + "')\n" +
            "  print(n, '[' .. tostring(artist) .. ']', '[' .. tostring(title) .. ']') end\n";
    expected += c.expected + "\n";
  }
  const HostRunResult run = RunScript(body, options);
  EXPECT_EQ(run.output, expected);
}

// Each file is a 1 kHz sine, decoded and converted to 44.1 kHz stereo.
TEST(Music, EveryFormatPlaysAndPeaksAtOneKilohertz) {
  struct Case {
    std::string file;
    int format;
    int rate;
    int channels;
    double amplitude;
  };
  const Case cases[] = {
      {"full-scale.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, 1.0},
      {"mono-22k.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, 0.5},
      {"tone.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 2, 0.5},
      {"tone.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, 0.5},
      {"tone.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2, 0.5},
      {"silence.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 0.0},
  };
  HostRunOptions options;
  std::string body;
  for (const Case& c : cases) {
    SoundFileSpec spec = Tone(1000, c.amplitude, 1.0);
    spec.format = c.format;
    spec.rate = c.rate;
    spec.channels = c.channels;
    AddSoundFile(options, c.file, spec, Id3v1Block(c.file, "strobe"));
    body += "after(0, function() print('" + c.file + "', PlayMusic('res/" + c.file + "')) end)\n" +
            "after(0.3, function() print(peak(GetSpectrum())) end)\n";
  }
  const HostRunResult run = RunScript(body, options);
  const std::vector<std::string> lines = Lines(run.output);
  ASSERT_EQ(lines.size(), 2 * std::size(cases)) << run.output;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.file);
    EXPECT_EQ(lines[2 * i], c.file + "\tstrobe\t" + c.file);
    std::istringstream peakLine(lines[2 * i + 1]);
    int bin = -1;
    double value = -1;
    peakLine >> bin >> value;
    if (c.amplitude == 0) {
      EXPECT_LT(value, 1e-6);
    } else {
      EXPECT_EQ(bin, 23);
      // 1 kHz is 0.2 bin off the centre of bin 23: the Hann window reads 0.97.
      EXPECT_NEAR(value, 0.97 * c.amplitude, 0.05 * c.amplitude);
    }
  }
}

TEST(Music, EndsReachMusicEndBetweenFramesOncePerPollOfTheFlag) {
  HostRunOptions options;
  AddSoundFile(options, "short.wav", Tone(1000, 0.5, 0.2));
  const HostRunResult run = RunScript(R"(
    local calls, frames = 0, {}
    function MusicEnd()
      calls = calls + 1
      frames[#frames + 1] = frame
      if inUpdate then print("MusicEnd inside update") end
    end
    local before
    after(0, function() PlayMusic("res/short.wav") end)
    -- About four wraps of the 0.2 s file while the frame loop is blocked.
    after(0.05, function() before = calls; os.execute("sleep 0.8") end)
    after(0, function() print("after block", calls - before) end)
    after(0.5, function()
      local distinct = true
      for i = 2, #frames do distinct = distinct and frames[i] > frames[i - 1] end
      print("later", calls > before + 1, distinct)
    end)
  )", options);
  EXPECT_EQ(run.output, "after block\t1\nlater\ttrue\ttrue\n");
}

TEST(Music, ErrorInMusicEndIsPrintedAndNotRepeatedUntilTheNextEnd) {
  HostRunOptions options;
  AddSoundFile(options, "wrap.wav", Tone(1000, 0.5, 0.3));
  const HostRunResult run = RunScript(R"(
    local last, closest, calls, started = nil, math.huge, 0, 0
    function MusicEnd()
      calls = calls + 1
      if last then closest = math.min(closest, now - last) end
      last = now
      error("boom")
    end
    after(0, function() started = now; PlayMusic("res/wrap.wav") end)
    after(1.0, function()
      -- The 0.3 s file ends about every 0.3 s: one call each, not one per frame.
      print("closest", closest > 0.2 and closest < 0.45)
      print("calls", calls >= 2 and calls <= (now - started) / 0.3 + 1, frame > 10 * calls)
    end)
  )", options);
  const int errors = CountOccurrences(run.output, "Error: res/main.lua:");
  EXPECT_GE(errors, 2);
  EXPECT_EQ(errors, CountOccurrences(run.output, ": boom\n"));
  EXPECT_NE(run.output.find("closest\ttrue\ncalls\ttrue\ttrue\n"), std::string::npos) << run.output;
}

TEST(Music, SecondStreamPlaysWithTheFirstAndTakesVolumeAndSpectrum) {
  const int firstBin = 10;   // 430.7 Hz
  const int secondBin = 46;  // 1981.1 Hz
  HostRunOptions options;
  options.environment = {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", "out.raw"}};
  // 13 windows of 1024 frames: the sine loops without a seam.
  SoundFileSpec first = Tone(BinCentreHertz(firstBin), 0.4, 0);
  first.frames = 13 * 1024;
  AddSoundFile(options, "first.wav", first);
  AddSoundFile(options, "second.wav", Tone(BinCentreHertz(secondBin), 0.4, 5.0));
  const HostRunResult run = RunScript(R"(
    local ends = 0
    function MusicEnd() ends = ends + 1 end
    PlayMusic("res/first.wav")
    PlayMusic("res/second.wav")
    after(0.5, function() print("spectrum", peak(GetSpectrum())); SetVolume(0) end)
    after(0.1, function() print("muted", peak(GetSpectrum())) end)
    after(0.6, function() print("first stream ended", ends > 0) end)
  )", options);
  const std::vector<std::string> lines = Lines(run.output);
  ASSERT_EQ(lines.size(), 3u) << run.output;
  // Only the second stream is analysed, before its volume.
  for (const std::string& line : {lines[0], lines[1]}) {
    std::istringstream fields(line.substr(line.find('\t')));
    int bin = -1;
    double value = -1;
    fields >> bin >> value;
    EXPECT_EQ(bin, secondBin) << line;
    EXPECT_NEAR(value, 0.4, 0.01) << line;
  }
  EXPECT_EQ(lines[2], "first stream ended\ttrue");

  const std::vector<float> output = ReadRawFloats(run.directory + "/out.raw");
  const size_t start = FirstSoundingFrame(output);
  const size_t frames = output.size() / 2;
  ASSERT_GT(frames, start + 44100) << "too little output";
  const std::vector<float> both = SpectrumOf(LeftChannel(output, start + 13230, kSpectrumSamples));
  EXPECT_NEAR(both[firstBin], 0.4, 0.02);
  EXPECT_NEAR(both[secondBin], 0.4, 0.02);
  const std::vector<float> firstOnly = SpectrumOf(LeftChannel(output, frames - 8192, kSpectrumSamples));
  EXPECT_NEAR(firstOnly[firstBin], 0.4, 0.02);
  EXPECT_LT(firstOnly[secondBin], 0.01);
}

// A constant level makes the gain visible sample by sample in the output.
TEST(Music, VolumeIsAGainTakenAsItIs) {
  HostRunOptions options;
  options.environment = {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", "out.raw"}};
  SoundFileSpec level;
  level.sample = [](long, int) { return 0.25f; };
  AddSoundFile(options, "level.wav", level);
  const HostRunResult run = RunScript(R"(
    SetVolume(0.1)  -- no stream yet: no effect on the one started next
    PlayMusic("res/level.wav")
    after(0.3, function() SetVolume(0.5) end)
    after(0.3, function() SetVolume(2.0) end)
    after(0.3, function() SetVolume(-1) end)
    after(0.3, function() end)
  )", options);
  EXPECT_EQ(run.output, "");
  const std::vector<float> output = ReadRawFloats(run.directory + "/out.raw");
  std::vector<float> levels;
  for (size_t i = 2 * FirstSoundingFrame(output); i < output.size(); ++i)
    if (levels.empty() || levels.back() != output[i]) levels.push_back(output[i]);
  EXPECT_EQ(levels, (std::vector<float>{0.25f, 0.125f, 0.5f, -0.25f}));
}

// Opening the audio device must leave the default signal actions alone.
TEST(Music, HostWithAnOpenDeviceStillStopsOnSignals) {
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    HostRunOptions options;
    options.timeoutSeconds = 15;
    options.whileRunning = [signal](pid_t pid) {
      // Signal once the frame loop runs: the script leaves a file in its working directory.
      const std::string ready = "/proc/" + std::to_string(pid) + "/cwd/ready";
      for (int i = 0; i < 1000 && access(ready.c_str(), F_OK) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      kill(pid, signal);
    };
    const HostRunResult run = RunHost(
        "OpenWindow(64, 64)\nfunction initialize() end\n"
        "print('playing', select('#', PlayMusic('res/none.ogg')))\n"
        "function update() if not ready then ready = io.open('ready', 'w'); ready:close() end end\n",
        options);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.output, "playing\t0\n");
  }
}
