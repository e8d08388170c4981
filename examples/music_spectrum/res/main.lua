-- music_spectrum: play a file, draw its spectrum, react to its end.
--   cd examples/music_spectrum && ../../build/strobe
-- Keys: - and = change the volume.
OpenWindow(640, 480)

local font
local artist, title
local volume = 1
local ends = 0      -- how often the music reached its end
local flash = 0

function initialize(args)
  font = LoadFont("../../res/font/consolas-20.fnt", "../../res/font/")
  -- The stream loops; PlayMusic gives the ID3v1 artist and title, or nothing.
  artist, title = PlayMusic("../../res/music/strobe-loop.ogg")
end

-- Called by the host after update in the frame after the music ended. A
-- looping stream ends (and goes on) each time it wraps to its start.
function MusicEnd()
  ends = ends + 1
  flash = 1
end

local wasDown = {}
local function pressed(key) -- true only in the frame the key went down
  local down = GetKey(key)
  local edge = down and not wasDown[key]
  wasDown[key] = down
  return edge
end

function update(time, dt)
  if pressed("-") then volume = math.max(0, volume - 0.1) SetVolume(volume) end
  if pressed("=") then volume = math.min(1.5, volume + 0.1) SetVolume(volume) end

  -- 512 linear amplitudes; entry i is centred on (i - 1) * 44100 / 1024 Hz.
  -- The first 128 entries (up to about 5.5 kHz) hold most of the music.
  local spectrum = GetSpectrum()
  for i = 1, 128 do
    local h = math.min(300, math.sqrt(spectrum[i]) * 400) + 1
    DrawBoxWithColor(i * 5 - 2, 440 - h / 2, 4, h, 0, 0, i / 128, 1 - i / 128, 1, 1)
  end

  flash = math.max(0, flash - dt)
  if flash > 0 then DrawBoxWithColor(320, 460, 640, 20, 0, 0, 1, 1, 1, flash) end

  DrawText(font, string.format("%s - %s   volume %.1f   ends: %d",
           artist or "?", title or "?", volume, ends), 10, 10, -1, false, 1, 1, 1, 1)
end
