-- Mouse and keys: a cursor that throws sparks while the left button is held
-- (a ring with the right one), the key hint along the bottom, and a dark pane
-- under the profiler overlay while it is on (P).
local hud = {}

local HINT = "WASD move  mouse/click sparks  -/= volume  M mute  P profiler"

local width, height
local glow, font
local sparks = {}

function hud.init(w, h)
  width, height = w, h
  glow = LoadImage("res/image/glow.png")
  font = LoadFont("res/font/consolas-20.fnt", "res/font/")
end

local function spawn(x, y, angle, speed, r, g, b)
  sparks[#sparks + 1] = { x = x, y = y, vx = speed * math.cos(angle), vy = speed * math.sin(angle),
                          life = 1, r = r, g = g, b = b }
end

local function emit(time, input)
  if input.left then
    for _ = 1, 3 do
      spawn(input.mouseX, input.mouseY, math.random() * 2 * math.pi, 60 + math.random() * 160,
            1, 0.5 + 0.5 * math.random(), 0.2)
    end
  end
  if input.right and #sparks < 400 then
    for i = 0, 23 do
      spawn(input.mouseX, input.mouseY, time + i * math.pi / 12, 220, 0.3, 0.7, 1)
    end
  end
end

-- Sparks fall a little and fade; dead ones are swapped out of the list.
local function moveSparks(dt)
  local i = 1
  while i <= #sparks do
    local s = sparks[i]
    s.life = s.life - dt * 1.2
    if s.life <= 0 then
      sparks[i] = sparks[#sparks]
      sparks[#sparks] = nil
    else
      s.vy = s.vy + 120 * dt
      s.x, s.y = s.x + s.vx * dt, s.y + s.vy * dt
      i = i + 1
    end
  end
end

local function drawCursor(time, input)
  local x, y = input.mouseX, input.mouseY
  local reach = 10 + 3 * math.sin(time * 6)
  DrawLine(x - reach, y, x + reach, y, 1, 1, 1, 1, 0.9, 1, 1, 1, 0.9)
  DrawLine(x, y - reach, x, y + reach, 1, 1, 1, 1, 0.9, 1, 1, 1, 0.9)
  SetAdditiveBlend(true)
  DrawBoxWithColor(x, y, 40, 40, 0, glow, 0.6, 0.8, 1, 0.8)
  for _, s in ipairs(sparks) do
    local size = 10 + 20 * s.life
    DrawBoxWithColor(s.x, s.y, size, size, 0, glow, s.r, s.g, s.b, s.life)
  end
  SetAdditiveBlend(false)
end

function hud.draw(time, dt, input)
  emit(time, input)
  moveSparks(dt)
  drawCursor(time, input)
  if input.profiling then
    -- The overlay is drawn after the frame's boxes, so this pane lies under it.
    DrawBoxWithColor(width / 2, 200, width - 20, 380, 0, 0, 0, 0, 0, 0.75)
  end
  -- Text is drawn at once while boxes wait: flush the strip first (any blend
  -- change flushes), then the hint lies on top of it.
  DrawBoxWithColor(width / 2, height - 13, width, 26, 0, 0, 0.05, 0.05, 0.1, 0.9)
  SetAdditiveBlend(false)
  DrawText(font, HINT, width / 2, height - 24, -1, true, 0.8, 0.85, 1, 1)
end

return hud
