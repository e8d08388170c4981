#include "render/shader_program.h"

#include <cstdio>

#include "render/flush.h"
#include "render/shader_file.h"
#include "window/window.h"

ShaderTable shaderTable;
int32_t currentShader = 0;

namespace {

// The shader entry points exist only once a window's context has loaded them.
bool ShadersAvailable() { return HasWindow() && GLEW_ARB_shader_objects; }

constexpr int kInfoLogSize = 1024;

const ShaderProgram* LoadedRecord(int32_t handle) {
  return ShadersAvailable() ? FindShaderProgram(handle) : nullptr;
}

}  // namespace

void CreateShaderTable() {
  shaderTable = ShaderTable();
  currentShader = 0;
}

const ShaderProgram* FindShaderProgram(int32_t handle) {
  if (handle < 1 || handle > shaderTable.count) return nullptr;
  return &shaderTable.records[handle - 1];
}

void CompileShaderProgram(ShaderProgram& record, const char* path) {
  record.vertexShader = glCreateShaderObjectARB(GL_VERTEX_SHADER_ARB);
  record.fragmentShader = glCreateShaderObjectARB(GL_FRAGMENT_SHADER_ARB);

  ShaderSources sources;
  if (!ReadShaderFile(path, sources)) {
    std::printf("Shader (%s), Could not load\n", path);
    return;
  }
  const GLcharARB* vertexText = sources.vertex.c_str();
  const GLcharARB* fragmentText = sources.fragment.c_str();
  glShaderSourceARB(record.vertexShader, 1, &vertexText, nullptr);
  glShaderSourceARB(record.fragmentShader, 1, &fragmentText, nullptr);
  glCompileShaderARB(record.vertexShader);
  glCompileShaderARB(record.fragmentShader);

  record.program = glCreateProgramObjectARB();
  glAttachObjectARB(record.program, record.vertexShader);
  glAttachObjectARB(record.program, record.fragmentShader);
  glLinkProgramARB(record.program);

  // The link log is the only report: it carries the compile errors too.
  GLcharARB log[kInfoLogSize] = {};
  glGetInfoLogARB(record.program, kInfoLogSize, nullptr, log);
  std::printf("Shader (%s), GLSL Info: %s\n", path, log);
}

int32_t LoadShader(const char* path) {
  if (!ShadersAvailable() || shaderTable.count >= kShaderTableCapacity) return 0;
  ShaderProgram& record = shaderTable.records[shaderTable.count];
  ++shaderTable.count;
  CompileShaderProgram(record, path);
  return shaderTable.count;
}

void SetShader(int32_t handle) {
  if (!ShadersAvailable() || handle == currentShader) return;
  if (handle > shaderTable.count) return;
  FlushBatches();
  const ShaderProgram* record = FindShaderProgram(handle);
  glUseProgramObjectARB(record != nullptr ? record->program : 0);
  currentShader = handle;
}

// The location is looked up anew on every call; a name the program lacks
// gives -1, which GL ignores.
void SetShaderParami(int32_t handle, const char* name, int32_t value) {
  const ShaderProgram* record = LoadedRecord(handle);
  if (record == nullptr) return;
  glUniform1iARB(glGetUniformLocationARB(record->program, name), value);
}

void SetShaderParamf(int32_t handle, const char* name, float value) {
  const ShaderProgram* record = LoadedRecord(handle);
  if (record == nullptr) return;
  glUniform1fARB(glGetUniformLocationARB(record->program, name), value);
}
