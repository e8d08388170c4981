#include "host/registry.h"

#include "audio/wrap_music.h"
#include "profiler/wrap_profiler.h"
#include "render/wrap_render.h"
#include "render/wrap_render_target.h"
#include "render/wrap_shader.h"
#include "text/wrap_text.h"
#include "window/wrap_window.h"

// Registration order is part of the script API: keep rows in this order.
const GlobalFunction kGlobalFunctions[] = {
    {"OpenWindow", w_OpenWindow},
    {"DrawBox", w_DrawBox},
    {"DrawBoxWithColor", w_DrawBoxWithColor},
    {"DrawLine", w_DrawLine},
    {"GetKey", w_GetKey},
    {"GetMouse", w_GetMouse},
    {"PlayMusic", w_PlayMusic},
    {"GetSpectrum", w_GetSpectrum},
    {"LoadImage", w_LoadImage},
    {"SetAdditiveBlend", w_SetAdditiveBlend},
    {"LoadShader", w_LoadShader},
    {"SetShader", w_SetShader},
    {"SetShaderParami", w_SetShaderParami},
    {"SetShaderParamf", w_SetShaderParamf},
    {"BindRenderTarget", w_BindRenderTarget},
    {"UnbindRenderTarget", w_UnbindRenderTarget},
    {"DrawRenderTarget", w_DrawRenderTarget},
    {"MakeRenderTarget", w_MakeRenderTarget},
    {"DrawRenderTargets", w_DrawRenderTargets},
    {"ShowProfiling", w_ShowProfiling},
    {"LoadFont", w_LoadFont},
    {"DrawText", w_DrawText},
    {"SetVolume", w_SetVolume},
};

const size_t kGlobalFunctionCount = sizeof(kGlobalFunctions) / sizeof(kGlobalFunctions[0]);

void RegisterGlobalFunctions(lua_State* L) {
  for (const GlobalFunction& row : kGlobalFunctions) {
    lua_pushcclosure(L, row.function, 0);
    lua_setfield(L, LUA_GLOBALSINDEX, row.name);
  }
}
