#!/usr/bin/env bash
# Runs bench/profiler/hook_calls.lua in the real host, in a scratch working
# directory holding the script as res/main.lua.
set -euo pipefail
source "$(dirname "$0")/../scratch.sh"
enter_scratch bench/profiler/hook_calls.lua
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} "$build/strobe"
