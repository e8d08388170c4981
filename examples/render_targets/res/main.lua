-- render_targets: draw a scene off screen, then show it through a shader.
--   cd examples/render_targets && ../../build/strobe
-- The shader file res/ripple.shader has a [vertex] and a [fragment] section.
-- Its lines are joined with nothing between them, so it uses no // comments.
OpenWindow(640, 480)

local scene  -- render-target handle
local ripple -- shader handle

function initialize(args)
  -- One render target of window size with one colour texture (index 0).
  scene = MakeRenderTarget(640, 480, 1)
  -- Prints one "Shader (...), GLSL Info: ..." line with the link log.
  ripple = LoadShader("res/ripple.shader")
end

local function drawScene(time)
  for i = 0, 11 do
    local a = time * 0.7 + i * math.pi / 6
    DrawBoxWithColor(320 + 150 * math.cos(a), 240 + 150 * math.sin(a), 50, 50, time * 60, 0,
                     0.5 + 0.5 * math.cos(a), 0.5 + 0.5 * math.sin(a), 1, 1)
  end
  DrawLine(100, 240, 540, 240, 4, 1, 1, 0, 1, 1, 0, 0, 1)
end

function update(time, dt)
  -- Bind first: binding clears the framebuffer bound at that moment (here the
  -- window), then drawing goes into the target's texture. Coordinates stay
  -- window pixels.
  BindRenderTarget(scene, 0)
  drawScene(time)
  UnbindRenderTarget(scene) -- flushes the boxes into the target, back to the window

  -- Select the shader, then set its uniforms (they go to the program in use).
  SetShader(ripple)
  SetShaderParami(ripple, "image", 0) -- texture unit 0
  SetShaderParamf(ripple, "time", time)
  SetShaderParamf(ripple, "amount", 0.03 + 0.03 * math.sin(time))
  DrawRenderTarget(scene, 0) -- one quad over the whole window
  SetShader(0)               -- back to the fixed pipeline
end
