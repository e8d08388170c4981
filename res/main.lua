-- strobe demo. Each part is a module in res/ with init() and draw(time, dt).
local width, height = 800, 600
local parts = {
  require "demo_shaders", -- first: binding a render target clears the window
  require "demo_render",
  require "demo_text",
  require "demo_audio",
}

OpenWindow(width, height)

local player = { x = width / 2, y = height / 2 }

function initialize(args)
  for _, part in ipairs(parts) do
    if part.init then part.init(width, height) end
  end
end

function update(time, dt)
  local speed = 200 * dt
  if GetKey("a") then player.x = player.x - speed end
  if GetKey("d") then player.x = player.x + speed end
  if GetKey("w") then player.y = player.y - speed end
  if GetKey("s") then player.y = player.y + speed end
  for _, part in ipairs(parts) do
    if part.draw then part.draw(time, dt, player) end
  end
end
