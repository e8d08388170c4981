-- profiling: find where a script's time goes with the profiler module.
--   cd examples/profiling && ../../build/strobe
-- After 60 frames it prints the call tree and the flat list, writes both to
-- profile.txt in this folder and shows the on-screen overlay. P toggles it.
-- The overlay is drawn in the host's own font, which the host always reads
-- from res/font/consolas-20.fnt in the working directory: hence the copy in
-- this folder's res/font/.
local profiler = require "profiler"

OpenWindow(640, 480)

local frames = 0
local overlay = false
local wasDown = false

function initialize(args)
  -- From now on every named script function is a zone of its own, called
  -- like "@res/main.lua(20):drawGrid"; host functions are "C:DrawBoxWithColor".
  profiler.start()
end

-- Some work worth measuring: many boxes, many lines, and plain arithmetic.
local function drawGrid(time)
  for y = 0, 11 do
    for x = 0, 15 do
      local shade = 0.5 + 0.5 * math.sin(time * 2 + x * 0.4 + y * 0.3)
      DrawBoxWithColor(20 + x * 40, 20 + y * 40, 30, 30, shade * 45, 0, shade, 0.3, 1 - shade, 1)
    end
  end
end

local function drawRays(time)
  for i = 0, 63 do
    local a = time + i * math.pi / 32
    DrawLine(320, 240, 320 + 200 * math.cos(a), 240 + 200 * math.sin(a), 1, 1, 1, 1, 1, 1, 1, 1, 0)
  end
end

local function busyWork(n)
  local sum = 0
  for i = 1, n do sum = sum + math.sin(i) * math.cos(i) end
  return sum
end

function update(time, dt)
  drawGrid(time)
  drawRays(time)
  busyWork(20000)

  -- Fold this frame's counts into the damped averages (damping 0.9 by
  -- default: profiler.damping() reads it, profiler.damping(x) sets it). The
  -- overlay updates once per frame by itself; a second update in the same
  -- frame would halve its figures.
  if not overlay then profiler.update() end
  frames = frames + 1
  if frames == 60 then
    print(profiler.tree_string())
    print(profiler.flat_string())
    profiler.output("profile.txt") -- both reports; profiler.output() writes to standard output
    profiler.stop()                -- script functions are no longer measured; host zones still are
    overlay = true
    ShowProfiling(overlay)
  end

  -- A dark pane keeps the overlay, drawn over the whole frame, readable.
  if overlay then DrawBoxWithColor(320, 240, 640, 480, 0, 0, 0, 0, 0, 0.75) end

  local down = GetKey("p")
  if down and not wasDown then
    overlay = not overlay
    ShowProfiling(overlay)
  end
  wasDown = down
end
