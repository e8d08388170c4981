-- strobe demo: a box that follows the mouse, keys that move another.
local width, height = 800, 600
local x, y = width / 2, height / 2

OpenWindow(width, height)

function initialize(args)
end

function update(time, dt)
  local speed = 200 * dt
  if GetKey("a") then x = x - speed end
  if GetKey("d") then x = x + speed end
  if GetKey("w") then y = y - speed end
  if GetKey("s") then y = y + speed end
end
