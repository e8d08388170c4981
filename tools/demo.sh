#!/usr/bin/env bash
# Sets up, builds and runs the demo in res/. Without a display it runs the demo
# under Xvfb for a few seconds and saves a screenshot.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh"
build=${STROBE_BUILD_DIR:-$root/build}
cd "$root"
if [[ -n "${DISPLAY:-}" ]]; then
  exec "$build/strobe" "$@"
fi
seconds=${STROBE_DEMO_SECONDS:-5}
shot=${STROBE_SCREENSHOT:-$root/build/demo.png}
echo "No display: running the demo under Xvfb for $seconds seconds."
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  "$1" "${@:4}" & pid=$!
  sleep "$2"
  import -window root "$3" 2>/dev/null || xwd -root -silent | convert xwd:- "$3"
  kill $pid 2>/dev/null; wait $pid 2>/dev/null || true
' _ "$build/strobe" "$seconds" "$shot" "$@"
echo "Screenshot saved to $shot"
