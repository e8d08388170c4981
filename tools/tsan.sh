#!/usr/bin/env bash
# Builds the host and the audio tests with ThreadSanitizer into build-tsan/
# (or $STROBE_TSAN_BUILD_DIR) and runs the audio tests there; any race report
# fails the run. Takes a few minutes on 2 cores, so it is not part of CI.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${STROBE_TSAN_BUILD_DIR:-$root/build-tsan}
flags="-fsanitize=thread -fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTROBE_BENCH=OFF \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
cmake --build "$build" -j "$(nproc)" --target strobe test_audio_mixer test_audio_music test_audio_spectrum
export SDL_AUDIODRIVER=dummy
export TSAN_OPTIONS="suppressions=$root/tests/audio/tsan.supp halt_on_error=1 exitcode=66"
cd "$build"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -R '^test_audio_' "$@"
