#!/usr/bin/env bash
# Runs bench/profiler/hook_calls.lua in the real host, in a scratch working
# directory holding the script as res/main.lua.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${STROBE_BUILD_DIR:-$root/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/res"
cp "$root/bench/profiler/hook_calls.lua" "$work/res/main.lua"
cd "$work"
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} "$build/strobe"
