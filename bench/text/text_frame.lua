-- Whole-frame benchmark: 5 000 glyphs of text per frame through DrawText, in
-- the shipped default font (50 calls of 100 characters, wrapped at 760 px,
-- every tenth call centred and coloured). A first phase draws nothing, to
-- show what a bare frame costs; the last draws the same text below the
-- window, where GL clips it, which leaves layout and submission without the
-- rasterising. The script prints the three and exits.
local width, height = 800, 600
local warmupFrames, measuredFrames = 30, 300
local calls, charactersPerCall = 50, 100

OpenWindow(width, height)
local font = LoadFont("res/font/consolas-20.fnt", "res/font/")

local sample = "Strobe draws text at once, glyph by glyph, laid out again on every call. "
local line = string.rep(sample, 2):sub(1, charactersPerCall)

local phases = {
  { name = "empty frame" },
  { name = "5000 glyphs", top = 0 },
  { name = "5000 clipped", top = height + 100 },
}
local phase, frame, started = 1, 0, nil
local results = {}

function initialize() end

function update(time, dt)
  local current = phases[phase]
  if current.top then
    for i = 1, calls do
      local centred = i % 10 == 0
      local x = centred and width / 2 or 20
      DrawText(font, line, x, current.top + (i - 1) * 11, 760, centred, 1, i / calls, 0.5, 1)
    end
  end
  frame = frame + 1
  if frame == warmupFrames then started = time end
  if frame == warmupFrames + measuredFrames then
    local seconds = time - started
    results[#results + 1] = { current.name, seconds / measuredFrames }
    phase, frame = phase + 1, 0
    if phase > #phases then
      for _, r in ipairs(results) do
        print(string.format("%-12s %8.3f ms/frame", r[1], r[2] * 1000))
      end
      local glyphs = calls * charactersPerCall
      for i = 2, #results do
        local cost = results[i][2] - results[1][2]
        print(string.format("%-12s %8.3f ms/frame over an empty frame, %.2f M glyphs/s",
                            results[i][1], cost * 1000, glyphs / cost / 1e6))
      end
      os.exit(0)
    end
  end
end
