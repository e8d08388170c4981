-- Bitmap text: a centred title in changing colours, a paragraph wrapped to a
-- width that breathes, a label that follows the player, and text under and
-- over boxes. DrawText draws at once while boxes wait for the next flush, so a
-- box queued after the text covers it, and text drawn after a flush (here
-- SetAdditiveBlend, which flushes) lies over the boxes before it.
local demo = {}

local width, height
local font
local frames, fps, fpsTime = 0, 0, 0

local paragraph = "strobe lays out bitmap text glyph by glyph: it breaks lines at the last "
  .. "space that fits, carries the font's kerning, and draws each page of the font with one "
  .. "indexed draw. Every call lays its text out afresh."

function demo.init(w, h)
  width, height = w, h
  font = LoadFont("res/font/consolas-20.fnt", "res/font/")
end

local function title(time)
  local r = 0.6 + 0.4 * math.sin(time * 1.3)
  local g = 0.6 + 0.4 * math.sin(time * 1.3 + 2.1)
  local b = 0.6 + 0.4 * math.sin(time * 1.3 + 4.2)
  DrawText(font, "strobe", width / 2, 14, -1, true, r, g, b, 1)
end

-- Text over a panel: the panel is flushed before the text is drawn.
local function wrappedPanel(time)
  local wrapWidth = math.floor(230 + 60 * math.sin(time * 0.7))
  -- About as many lines as the wrapping makes, at 12 px per glyph and 23 per line.
  local lines = math.ceil(#paragraph * 12 / (wrapWidth - 30))
  local panelHeight = lines * 23 + 20
  DrawBoxWithColor(30 + wrapWidth / 2, 50 + panelHeight / 2, wrapWidth + 20, panelHeight, 0, 0, 0.1, 0.12, 0.25, 0.85)
  SetAdditiveBlend(false)
  DrawText(font, paragraph, 30, 60, wrapWidth, false, 0.85, 0.9, 1, 1)
end

-- Text under a box: the box is still queued when the text is drawn.
local function coveredLine(time)
  DrawText(font, "a box passes over this line", width - 20 - 27 * 12, height - 130, -1, false, 1, 0.8, 0.3, 1)
  local x = width - 190 + 160 * math.sin(time * 0.9)
  DrawBoxWithColor(x, height - 118, 40, 40, time * 90, 0, 0.2, 0.7, 1, 0.9)
end

local function playerLabel(player)
  local label = string.format("player\n%d, %d", player.x, player.y)
  DrawText(font, label, math.floor(player.x), math.floor(player.y) + 24, -1, true, 1, 1, 0.5, 1)
end

local function frameRate(dt)
  frames, fpsTime = frames + 1, fpsTime + dt
  if fpsTime >= 0.5 then
    fps, frames, fpsTime = frames / fpsTime, 0, 0
  end
  DrawText(font, string.format("%5.1f fps", fps), width - 130, 10, -1, false, 0.6, 1, 0.6, 0.9)
end

function demo.draw(time, dt, player)
  title(time)
  wrappedPanel(time)
  coveredLine(time)
  playerLabel(player)
  frameRate(dt)
end

return demo
