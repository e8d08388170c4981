# Sourced by the whole-frame benchmark runners: enter_scratch SCRIPT makes a
# scratch working directory holding SCRIPT (relative to the source tree) as
# res/main.lua, removed on exit, and enters it. Sets $root and $build.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${STROBE_BUILD_DIR:-$root/build}

enter_scratch() {
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/res"
  cp "$root/$1" "$work/res/main.lua"
  cd "$work"
}
