#pragma once
// GLSL programs from shader files, kept in the ShaderTable, selected for
// everything drawn afterwards. Built on the ARB shader-object entry points.
//
// A shader handle is a record's index plus one; 0 (or less) means the
// fixed-function pipeline. Handles above the count of loaded records name no
// record: calls with them do nothing. Before a window exists there is no GL
// context: every call here does nothing and LoadShader answers 0.
#include <GL/glew.h>

#include <cstdint>

constexpr int kShaderTableCapacity = 10;

struct ShaderProgram {
  GLhandleARB program;  // 0 when the shader file could not be read
  GLhandleARB fragmentShader;
  GLhandleARB vertexShader;
};

struct ShaderTable {
  ShaderProgram records[kShaderTableCapacity];
  int32_t count;  // records in use, taken in order, never released
};

extern ShaderTable shaderTable;
// The handle last selected with SetShader; 0 at start.
extern int32_t currentShader;

// Start-up: an empty table and the fixed-function pipeline selected.
void CreateShaderTable();

// Builds the record's shader and program objects from the file at `path` and
// prints "Shader (<path>), GLSL Info: <link log>" after the link, or
// "Shader (<path>), Could not load" when the file cannot be read.
void CompileShaderProgram(ShaderProgram& record, const char* path);

// Takes the next record and compiles the file into it. Returns its handle,
// also when the file was missing or did not compile; 0 without a window or
// when all records are taken (nothing printed then).
int32_t LoadShader(const char* path);

// Selects a program (handle 0 or less: the fixed-function pipeline), flushing
// the batches first. Selecting the current handle again does nothing.
void SetShader(int32_t handle);

// Sets a uniform of the program in use, at the location `name` has in the
// program of `handle`. Neither flushes nor selects: call SetShader first.
void SetShaderParami(int32_t handle, const char* name, int32_t value);
void SetShaderParamf(int32_t handle, const char* name, float value);

// The record of a loaded handle, or null when the handle names none.
const ShaderProgram* FindShaderProgram(int32_t handle);
