#pragma once
// Reading a binding's arguments with the host's conversions.
//
// Arguments are read by position only and never raise a script error: a nil or
// non-numeric number reads as 0, a numeric string is converted, only nil and
// false read as false, and a string argument also takes a number as its text.
// A missing argument reads like nil. A value that is neither a string nor a
// number reads as the empty string.
#include <cstdint>
#include <string_view>

extern "C" {
#include <lua.h>
}

class ScriptArgs {
 public:
  // `count` is how many arguments the binding reads.
  ScriptArgs(lua_State* L, int count) : L_(L), count_(count) {}

  double number(int position) const;
  // Truncated toward zero; NaN reads as 0 and values out of range saturate.
  int64_t integer(int position) const;
  int32_t int32(int position) const;
  bool boolean(int position) const;
  // Valid until drop() is called; never null.
  std::string_view string(int position) const;
  const char* cstring(int position) const { return string(position).data(); }

  // Removes the arguments the binding read from the top of the stack. Only
  // values that were passed are removed, so the caller's stack stays sound
  // when fewer arguments came than the binding reads.
  void drop() const;

 private:
  bool present(int position) const { return position >= 1 && position <= count_ && position <= lua_gettop(L_); }
  lua_State* L_;
  int count_;
};

// Saturating conversions shared by the bindings and their cores.
int64_t TruncateToInt64(double value);
int32_t TruncateToInt32(double value);
