-- Whole-frame benchmark: N boxes (DrawBoxWithColor) or N lines (DrawLine) per
-- frame, from the script call to the pixels on screen.
-- Arguments: kind ("boxes" or "lines"), N, measured frames (default 200).
local width, height = 800, 600
OpenWindow(width, height)

local kind, count, measured
local warmup = 20
local frame = 0
local startTime

function initialize(args)
  kind = args[1] or "boxes"
  count = tonumber(args[2] or "10000")
  measured = tonumber(args[3] or "200")
end

local function drawBoxes(time)
  local spin = time * 90
  for i = 1, count do
    local x = (i * 37) % width
    local y = (i * 53) % height
    local shade = (i % 256) / 255
    DrawBoxWithColor(x, y, 4, 4, (i * 7 + spin) % 360, 0, shade, 1 - shade, 0.5, 1)
  end
end

local function drawLines(time)
  local wobble = time % 4
  for i = 1, count do
    local x = (i * 37) % width
    local y = (i * 53) % height
    local shade = (i % 256) / 255
    DrawLine(x, y, x + 4, y + wobble, 1, shade, 0, 1 - shade, 1, 1 - shade, 1, shade, 1)
  end
end

function update(time, dt)
  frame = frame + 1
  if frame == warmup + 1 then startTime = time end
  if frame == warmup + measured + 1 then
    local seconds = time - startTime
    local fps = measured / seconds
    print(string.format("%s N=%d: %.1f frames/s, %.0f %s/s, %.1f ns per %s (whole frame)",
      kind, count, fps, fps * count, kind, seconds / (measured * count) * 1e9, kind == "boxes" and "box" or "line"))
    os.exit(0)
  end
  if kind == "lines" then drawLines(time) else drawBoxes(time) end
end
