#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ (or $STROBE_ASAN_BUILD_DIR) and runs the whole test suite there
# under Xvfb with SDL's dummy audio driver. Any sanitizer report fails the run.
# Not part of tools/test.sh: it takes several times as long.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${STROBE_ASAN_BUILD_DIR:-$root/build-asan}
# float-cast-overflow is not part of -fsanitize=undefined in GCC.
extra="-fsanitize=float-cast-overflow"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTROBE_SANITIZE=ON -DSTROBE_BENCH=OFF \
  -DCMAKE_C_FLAGS="$extra" -DCMAKE_CXX_FLAGS="$extra" >/dev/null
cmake --build "$build" -j "$(nproc)"
export SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:exitcode=66:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:exitcode=66"
cd "$build"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j "$(nproc)" "$@"
