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

-- A wide ring of glowing boxes around the screen, joined by gradient lines.
local function drawScene(time, player)
  local cx, cy = width / 2, height / 2 - 20
  local count = 16
  local px, py, pr, pg, pb
  for i = 0, count do
    local a = time * 0.25 + i * 2 * math.pi / count
    local wobble = 1 + 0.06 * math.sin(time * 1.7 + i)
    local x, y = cx + 0.43 * width * wobble * math.cos(a), cy + 0.36 * height * wobble * math.sin(a)
    local r, g, b = hue(time + i * 0.4)
    if i < count then DrawBoxWithColor(x, y, 22, 22, time * 90 + i * 30, 0, r, g, b, 1) end
    if px then DrawLine(px, py, x, y, 2, pr, pg, pb, 0.9, r, g, b, 0.9) end
    px, py, pr, pg, pb = x, y, r, g, b
  end
  local r, g, b = hue(time * 2)
  DrawBoxWithColor(player.x, player.y, 14, 14, -time * 120, 0, r, g, b, 1)
end

function part.draw(time, dt, player)
  BindRenderTarget(scene, 0)
  drawScene(time, player)
  UnbindRenderTarget(scene)

  SetShader(blur)
  SetShaderParamf(blur, "stepX", 1.5 / halfWidth)
  SetShaderParamf(blur, "stepY", 0)
  BindRenderTarget(across, 0)
  DrawRenderTarget(scene, 0)
  UnbindRenderTarget(across)

  SetShaderParamf(blur, "stepX", 0)
  SetShaderParamf(blur, "stepY", 1.5 / halfHeight)
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
