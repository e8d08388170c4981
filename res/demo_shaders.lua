-- Glow post-process: the scene is drawn into a render target, blurred at half
-- size in two passes (across, then down) and added back onto the scene.
--
-- BindRenderTarget clears the window, so this part runs first in the frame.
local part = {}

local width, height
local blur, combine
local scene, across, down
local halfWidth, halfHeight

function part.init(w, h)
  width, height = w, h
  halfWidth, halfHeight = math.floor(w / 2), math.floor(h / 2)
  blur = LoadShader("res/shaders/glow_blur.shader")
  combine = LoadShader("res/shaders/glow_combine.shader")
  scene = MakeRenderTarget(width, height, 1)
  across = MakeRenderTarget(halfWidth, halfHeight, 1)
  down = MakeRenderTarget(halfWidth, halfHeight, 1)
end

local function hue(t)
  return 0.5 + 0.5 * math.sin(t), 0.5 + 0.5 * math.sin(t + 2.094), 0.5 + 0.5 * math.sin(t + 4.189)
end

local function drawScene(time, player)
  local cx, cy = width / 2, height / 2
  local count = 12
  for i = 0, count - 1 do
    local a = time * 0.6 + i * 2 * math.pi / count
    local radius = 170 + 40 * math.sin(time * 1.3 + i)
    local x, y = cx + radius * math.cos(a), cy + radius * math.sin(a)
    local r, g, b = hue(time + i * 0.5)
    DrawBoxWithColor(x, y, 26, 26, time * 90 + i * 30, 0, r, g, b, 1)
    DrawLine(cx, cy, x, y, 2, r, g, b, 0.0, r, g, b, 0.8)
  end
  local r, g, b = hue(time * 2)
  DrawBoxWithColor(player.x, player.y, 18, 18, -time * 120, 0, r, g, b, 1)
end

function part.draw(time, dt, player)
  BindRenderTarget(scene, 0)
  drawScene(time, player)
  UnbindRenderTarget(scene)

  SetShader(blur)
  SetShaderParamf(blur, "stepX", 3 / halfWidth)
  SetShaderParamf(blur, "stepY", 0)
  BindRenderTarget(across, 0)
  DrawRenderTarget(scene, 0)
  UnbindRenderTarget(across)

  SetShaderParamf(blur, "stepX", 0)
  SetShaderParamf(blur, "stepY", 3 / halfHeight)
  BindRenderTarget(down, 0)
  DrawRenderTarget(across, 0)
  UnbindRenderTarget(down)

  SetShader(combine)
  SetShaderParami(combine, "glow", 1)
  SetShaderParamf(combine, "strength", 2.0 + 0.8 * math.sin(time * 2))
  DrawRenderTargets(scene, 0, down, 0, 0, 0, 0, 0)
  SetShader(0)
end

return part
