-- Music: plays the demo's own loop, draws its spectrum as bars along the
-- bottom of the window and flashes every time the loop wraps (MusicEnd).
-- Keys: - and = turn the volume down and up, M mutes.
local M = {}

local MUSIC = "res/music/strobe-loop.ogg"
local BAR_COUNT = 48
local STRIP_HEIGHT = 150

local width, height
local artist, title
local levels = {}   -- smoothed bar heights, 0..1
local flash = 0     -- 1 right after a wrap, fades to 0
local loops = 0
local font
local volume, muted = 0.8, false

-- Bar i covers bins [first, last): one bin each at the bottom, then wider
-- bands at higher frequencies, as the ear hears them.
local bands = {}
local edge = 1
for i = 1, BAR_COUNT do
  local last = math.min(512, math.max(edge + 1, math.floor(2 ^ (i / BAR_COUNT * 9))))
  bands[i] = { first = edge, last = last }
  levels[i] = 0
  edge = last
end

local function onMusicEnd()
  loops = loops + 1
  flash = 1
end

function M.init(w, h)
  width, height = w, h
  artist, title = PlayMusic(MUSIC)
  local previous = MusicEnd
  MusicEnd = function()
    if previous then previous() end
    onMusicEnd()
  end
  SetVolume(volume)
  font = LoadFont("res/font/consolas-20.fnt", "res/font/")
end

-- The spectrum is taken before the volume, so the bars keep moving when muted.
local function adjustVolume(pressed)
  if pressed["-"] then volume = math.max(0, volume - 0.1) end
  if pressed["="] then volume = math.min(1.5, volume + 0.1) end
  if pressed["m"] then muted = not muted end
  if pressed["-"] or pressed["="] or pressed["m"] then
    SetVolume(muted and 0 or volume)
  end
end

function M.draw(time, dt, input)
  adjustVolume(input.pressed)
  local spectrum = GetSpectrum()
  local barWidth = width / BAR_COUNT
  local baseline = height - 30 -- above the key hint
  flash = math.max(0, flash - dt * 2)
  for i, band in ipairs(bands) do
    local peak = 0
    for bin = band.first, band.last - 1 do peak = math.max(peak, spectrum[bin + 1]) end
    -- Music sits far below full scale: a square root spreads it over the strip.
    local target = math.min(1, math.sqrt(peak) * 1.6)
    levels[i] = math.max(target, levels[i] - dt * 1.5)
    local h = math.max(2, levels[i] * STRIP_HEIGHT)
    local x = (i - 0.5) * barWidth
    local t = i / BAR_COUNT
    DrawBoxWithColor(x, baseline - h / 2, barWidth - 3, h, 0, 0,
                     0.2 + 0.8 * t + flash, 0.9 - 0.5 * t + flash, 1.0 - 0.6 * t + flash, 0.85)
  end
  -- One small square per completed loop, and a band that flashes on each wrap.
  for n = 1, math.min(loops, 20) do
    DrawBoxWithColor(n * 14, baseline - STRIP_HEIGHT - 20, 10, 10, 0, 0, 1, 0.8, 0.2, 1)
  end
  if flash > 0 then
    DrawBoxWithColor(width / 2, baseline - STRIP_HEIGHT - 4, width, 4, 0, 0, 1, 1, 1, flash)
  end
  if title then
    local level = muted and "muted" or string.format("volume %d%%", math.floor(volume * 100 + 0.5))
    DrawText(font, artist .. " - " .. title .. "\nloop " .. loops .. "   " .. level, width - 250, 40,
             -1, false, 1, 1, 1, 0.8)
  end
end

return M
