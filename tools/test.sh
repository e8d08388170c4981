#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite (headless: Xvfb, SDL's dummy audio).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh"
build=${STROBE_BUILD_DIR:-$root/build}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
cd "$build"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j "$(nproc)" "$@"
"$root/tools/fuzz.sh" ci
