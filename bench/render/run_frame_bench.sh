#!/usr/bin/env bash
# Runs bench/render/frame_bench.lua in the real host: run_frame_bench.sh boxes|lines N [frames]
# Needs a display; under Xvfb use: xvfb-run -a -s "-screen 0 1280x1024x24" bench/render/run_frame_bench.sh boxes 50000
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${STROBE_BUILD_DIR:-$root/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/res"
cp "$root/bench/render/frame_bench.lua" "$work/res/main.lua"
cd "$work"
"$build/strobe" "$@"
