-- hello_box: the smallest strobe program. Run it from this folder:
--   cd examples/hello_box && ../../build/strobe
-- The host loads res/main.lua from the working directory, runs it, then calls
-- initialize once and update once per frame until the window is closed.

-- Open the one window (width, height in pixels). Drawing uses window pixels:
-- (0, 0) is the top-left corner and y grows downwards.
OpenWindow(640, 480)

local tile -- a texture name from LoadImage (0 if the file could not be read)

function initialize(args)
  -- Paths are relative to the working directory: this reuses the demo's image.
  tile = LoadImage("../../res/image/tile.png")
end

function update(time, dt)
  -- A white box: centre x, y, width, height, angle in degrees (clockwise), texture (0 = none).
  DrawBox(160, 240, 120, 120, 0, 0)
  -- A coloured box that turns: the same six arguments plus red, green, blue, alpha (0..1).
  DrawBoxWithColor(320, 240, 120, 120, time * 90, 0, 1, 0.5, 0.1, 1)
  -- A textured box; the colour tints the texture.
  DrawBoxWithColor(480, 240, 120, 120, -time * 45, tile, 0.6, 0.9, 1, 1)
  -- A line from (x1, y1) to (x2, y2), 3 pixels wide, fading from cyan to magenta.
  DrawLine(60, 400, 580, 400, 3, 0, 1, 1, 1, 1, 0, 1, 1)
  -- Nothing is drawn here yet: boxes and lines are batched and the host draws
  -- them after update returns, boxes first, then lines.
end
