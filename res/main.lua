-- strobe demo. Each part is a module in res/ with init() and draw(time, dt, input).
local width, height = 800, 600
local parts = {
  require "demo_shaders", -- first: binding a render target clears the window
  require "demo_render",
  require "demo_text",
  require "demo_audio",
  require "demo_hud",     -- last: its text goes over everything else
}

OpenWindow(width, height)

-- What the parts read about the user: the player moved with WASD, the mouse,
-- and the keys that went down in this frame.
local input = { x = width / 2, y = height / 2, mouseX = 0, mouseY = 0, left = false, right = false,
                pressed = {} }

-- GetKey tells whether a key is down; a toggle wants the frame it went down,
-- or holding the key would flip the toggle every frame.
local watchedKeys = { "p", "m", "-", "=" }
local wasDown = {}
local function readKeyEdges()
  for _, key in ipairs(watchedKeys) do
    local down = GetKey(key)
    input.pressed[key] = down and not wasDown[key]
    wasDown[key] = down
  end
end

local showProfiling = false

function initialize(args)
  for _, part in ipairs(parts) do
    if part.init then part.init(width, height) end
  end
end

function update(time, dt)
  local speed = 200 * dt
  if GetKey("a") then input.x = input.x - speed end
  if GetKey("d") then input.x = input.x + speed end
  if GetKey("w") then input.y = input.y - speed end
  if GetKey("s") then input.y = input.y + speed end
  input.x = math.max(0, math.min(width, input.x))
  input.y = math.max(0, math.min(height, input.y))
  input.mouseX, input.mouseY, input.left, input.right = GetMouse()
  readKeyEdges()

  if input.pressed["p"] then
    showProfiling = not showProfiling
    ShowProfiling(showProfiling)
  end
  input.profiling = showProfiling

  for _, part in ipairs(parts) do
    if part.draw then part.draw(time, dt, input) end
  end
end
