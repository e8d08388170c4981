#include "host/script_args.h"

#include <cmath>
#include <limits>

int64_t TruncateToInt64(double value) {
  if (std::isnan(value)) return 0;
  // 2^63 is exactly representable; anything at or beyond it saturates.
  constexpr double kLimit = 9223372036854775808.0;
  if (value >= kLimit) return std::numeric_limits<int64_t>::max();
  if (value < -kLimit) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(value);
}

int32_t TruncateToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

double ScriptArgs::number(int position) const {
  return present(position) ? lua_tonumber(L_, position) : 0.0;
}

int64_t ScriptArgs::integer(int position) const { return TruncateToInt64(number(position)); }

int32_t ScriptArgs::int32(int position) const { return TruncateToInt32(number(position)); }

bool ScriptArgs::boolean(int position) const {
  return present(position) && lua_toboolean(L_, position) != 0;
}

std::string_view ScriptArgs::string(int position) const {
  if (present(position)) {
    size_t length = 0;
    if (const char* text = lua_tolstring(L_, position, &length)) return {text, length};
  }
  return {"", 0};
}

void ScriptArgs::drop() const {
  const int top = lua_gettop(L_);
  const int passed = top < count_ ? top : count_;
  lua_settop(L_, top - passed);
}
