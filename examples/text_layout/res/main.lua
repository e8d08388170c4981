-- text_layout: bitmap fonts, word wrap, centring and colour.
--   cd examples/text_layout && ../../build/strobe
OpenWindow(640, 480)

local font
local story = "Text is laid out glyph by glyph. With a wrap width, a line breaks at its "
  .. "last space once it grows wider than the width; a word longer than the width "
  .. "is broken after the glyph that crosses it."

function initialize(args)
  -- A .fnt file (AngelCode BMFont, text form) and the folder of its page images,
  -- with a trailing slash: the page file names are appended to it as they are.
  font = LoadFont("../../res/font/consolas-20.fnt", "../../res/font/")
end

function update(time, dt)
  -- DrawText(font, text, x, y, wrap width (-1: none), centred, r, g, b, a).
  -- x, y is the top-left corner of the first line.
  DrawText(font, "text_layout", 20, 20, -1, false, 1, 1, 1, 1)

  -- A wrap width that breathes, with a box showing it. The box waits in the
  -- batch and is drawn after update, so it would cover the text: draw it
  -- faint, or flush it first (SetAdditiveBlend flushes, see below).
  local wrap = math.floor(300 + 120 * math.sin(time * 0.8))
  DrawBoxWithColor(20 + wrap / 2, 165, wrap, 200, 0, 0, 0.15, 0.2, 0.4, 1)
  SetAdditiveBlend(false) -- flushes the box above, so the text lands on it
  DrawText(font, story, 20, 75, wrap, false, 0.9, 0.95, 1, 1)

  -- Centred: the block moves left by half its widest line, so x is its middle.
  -- "\n" starts a new line.
  local r = 0.5 + 0.5 * math.sin(time * 2)
  DrawText(font, "centred\non two lines", 320, 300, -1, true, r, 1, 1 - r, 1)

  -- A column only 60 pixels wide: the long word is broken inside itself.
  DrawText(font, "wrap supercalifragilistic", 20, 360, 60, false, 1, 0.8, 0.4, 1)
end
