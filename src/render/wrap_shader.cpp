#include "render/wrap_shader.h"

#include <string>

#include "host/script_args.h"
#include "render/shader_program.h"

int w_LoadShader(lua_State* L) {
  ScriptArgs args(L, 1);
  // Copied: the argument's text lives only until drop().
  const std::string path(args.string(1));
  args.drop();
  lua_pushinteger(L, LoadShader(path.c_str()));
  return 1;
}

int w_SetShader(lua_State* L) {
  ScriptArgs args(L, 1);
  const int32_t handle = args.int32(1);
  args.drop();
  SetShader(handle);
  return 0;
}

int w_SetShaderParami(lua_State* L) {
  ScriptArgs args(L, 3);
  const int32_t handle = args.int32(1);
  const std::string name(args.string(2));
  const int32_t value = args.int32(3);
  args.drop();
  SetShaderParami(handle, name.c_str(), value);
  return 0;
}

int w_SetShaderParamf(lua_State* L) {
  ScriptArgs args(L, 3);
  const int32_t handle = args.int32(1);
  const std::string name(args.string(2));
  const float value = static_cast<float>(args.number(3));
  args.drop();
  SetShaderParamf(handle, name.c_str(), value);
  return 0;
}
