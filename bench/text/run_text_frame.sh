#!/usr/bin/env bash
# Runs bench/text/text_frame.lua in the real host, in a scratch working
# directory holding the script as res/main.lua and the shipped font.
set -euo pipefail
source "$(dirname "$0")/../scratch.sh"
enter_scratch bench/text/text_frame.lua
cp -r "$root/res/font" res/font
if [[ -n "${DISPLAY:-}" ]]; then
  "$build/strobe"
else
  xvfb-run -a -s "-screen 0 1280x1024x24" "$build/strobe"
fi
