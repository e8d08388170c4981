#!/usr/bin/env bash
# Runs bench/text/text_frame.lua in the real host, in a scratch working
# directory holding the script as res/main.lua and the shipped font.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${STROBE_BUILD_DIR:-$root/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/res"
cp "$root/bench/text/text_frame.lua" "$work/res/main.lua"
cp -r "$root/res/font" "$work/res/font"
cd "$work"
if [[ -n "${DISPLAY:-}" ]]; then
  "$build/strobe"
else
  xvfb-run -a -s "-screen 0 1280x1024x24" "$build/strobe"
fi
