#!/usr/bin/env bash
# Runs bench/render/frame_bench.lua in the real host: run_frame_bench.sh boxes|lines N [frames]
# Needs a display; under Xvfb use: xvfb-run -a -s "-screen 0 1280x1024x24" bench/render/run_frame_bench.sh boxes 50000
set -euo pipefail
source "$(dirname "$0")/../scratch.sh"
enter_scratch bench/render/frame_bench.lua
"$build/strobe" "$@"
