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
shot=${STROBE_SCREENSHOT:-$build/demo.png}
echo "No display: running the demo under Xvfb for $seconds seconds."
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
# The host's window is called "strobe"; the whole screen is taken only if it
# cannot be found.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  "$1" "${@:4}" & pid=$!
  sleep "$2"
  id=$(xwininfo -name strobe 2>/dev/null | awk "/Window id:/ {print \$4}")
  import -window "${id:-root}" "$3"
  kill $pid 2>/dev/null; wait $pid 2>/dev/null || true
' _ "$build/strobe" "$seconds" "$shot" "$@"
# A picture of one colour means nothing was drawn (or nothing was captured).
colours=$(identify -format %k "$shot" 2>/dev/null || echo 0)
if (( colours < 16 )); then
  echo "The screenshot $shot is blank ($colours colours)."
  exit 1
fi
echo "Screenshot saved to $shot ($colours colours)."
