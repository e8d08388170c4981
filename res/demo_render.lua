-- Boxes, lines, textures and blending: a ring of rotating textured tiles, a
-- wave of coloured boxes, a fan of gradient lines from the player, and glows
-- drawn with additive blending.
local demo = {}

local width, height
local tile, glow

function demo.init(w, h)
  width, height = w, h
  tile = LoadImage("res/image/tile.png")
  glow = LoadImage("res/image/glow.png")
end

local function hue(t)
  return 0.5 + 0.5 * math.sin(t), 0.5 + 0.5 * math.sin(t + 2.094), 0.5 + 0.5 * math.sin(t + 4.188)
end

local function colouredWave(time)
  for i = 0, 39 do
    local x = 20 + i * (width - 40) / 39
    local y = height - 60 + 25 * math.sin(time * 2 + i * 0.4)
    local r, g, b = hue(time + i * 0.15)
    DrawBoxWithColor(x, y, 14, 14, time * 120 + i * 9, 0, r, g, b, 1)
  end
end

local function tileRing(time)
  local cx, cy = width / 2, height / 2 - 20
  for i = 0, 7 do
    local a = time * 0.6 + i * math.pi / 4
    local x, y = cx + 170 * math.cos(a), cy + 170 * math.sin(a)
    DrawBox(x, y, 64, 64, -time * 70 + i * 45, tile)
  end
  DrawBoxWithColor(cx, cy, 96, 96, time * 40, tile, 1, 1, 1, 0.85)
end

local function lineFan(time, player)
  local rays = 48
  for i = 0, rays - 1 do
    local a = time * 0.8 + i * 2 * math.pi / rays
    local reach = 90 + 30 * math.sin(time * 3 + i * 0.5)
    local r, g, b = hue(i * 0.25 + time)
    DrawLine(player.x, player.y, player.x + reach * math.cos(a), player.y + reach * math.sin(a), 2,
      1, 1, 1, 1, r, g, b, 0)
  end
end

local function glows(time)
  SetAdditiveBlend(true)
  for i = 0, 5 do
    local a = -time * 1.1 + i * math.pi / 3
    local r, g, b = hue(time * 2 + i)
    DrawBoxWithColor(width / 2 + 110 * math.cos(a), height / 2 - 20 + 110 * math.sin(a), 90, 90, 0, glow,
      r, g, b, 0.9)
  end
  SetAdditiveBlend(false)
end

function demo.draw(time, dt, player)
  colouredWave(time)
  tileRing(time)
  glows(time)
  lineFan(time, player)
end

return demo
