#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz/*_fuzz.cpp) with clang, ASan and
# UBSan into build-fuzz/ (or $STROBE_FUZZ_BUILD_DIR) and runs them.
#
#   tools/fuzz.sh build                        configure and build only
#   tools/fuzz.sh run [seconds] [target...]    fuzz each target for `seconds` (default 60)
#   tools/fuzz.sh ci                           replay every seed corpus, then a short run of each
#
# Targets are named as their corpus folders: font shader_file text_layout
# texture id3 audio_decode (all of them when none is given). New inputs are
# kept in <build>/corpus/<target>, outside the tree; crashes go to
# <build>/artifacts/. The texture target needs a display and runs under Xvfb
# when there is none.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${STROBE_FUZZ_BUILD_DIR:-$root/build-fuzz}
seeds=$root/tests/fuzz/corpus
all_targets=(font shader_file text_layout texture id3 audio_decode)

build_targets() {
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTROBE_FUZZ=ON \
    -DBUILD_TESTING=OFF -DSTROBE_BENCH=OFF >/dev/null
  local names=()
  for target in "${all_targets[@]}"; do names+=("${target}_fuzz"); done
  nice cmake --build "$build" -j "$(nproc)" --target "${names[@]}" >/dev/null
}

# fuzz_one <target> <libFuzzer arguments...>
fuzz_one() {
  local target=$1
  shift
  local binary=$build/tests/fuzz/${target}_fuzz
  [[ -x $binary ]] || { echo "fuzz.sh: no target $target" >&2; return 2; }
  mkdir -p "$build/artifacts"
  local command=(nice -n 19 "$binary" -artifact_prefix="$build/artifacts/${target}-" -close_fd_mask=1
                 -max_len=4096 -timeout=20 -rss_limit_mb=2048 "$@")
  if [[ $target == texture && -z ${DISPLAY:-} ]]; then
    command=(xvfb-run -a -s "-screen 0 640x480x24" "${command[@]}")
  fi
  LSAN_OPTIONS=suppressions=$root/tests/fuzz/lsan.supp:print_suppressions=0 "${command[@]}"
}

mode=${1:-}
case $mode in
  build)
    build_targets
    ;;
  run)
    seconds=${2:-60}
    targets=("${@:3}")
    [[ ${#targets[@]} -gt 0 ]] || targets=("${all_targets[@]}")
    build_targets
    for target in "${targets[@]}"; do
      mkdir -p "$build/corpus/$target"
      echo "== $target: fuzzing for ${seconds}s"
      fuzz_one "$target" -max_total_time="$seconds" -print_final_stats=1 \
        "$build/corpus/$target" "$seeds/$target"
    done
    ;;
  ci)
    build_targets
    start=$SECONDS
    for target in "${all_targets[@]}"; do
      scratch=$(mktemp -d)
      # Every seed must pass, then a few seconds of fresh inputs from them.
      fuzz_one "$target" -runs=0 "$seeds/$target" 2>"$scratch/log" ||
        { cat "$scratch/log" >&2; rm -rf "$scratch"; exit 1; }
      fuzz_one "$target" -max_total_time=4 -seed=1 "$scratch" "$seeds/$target" 2>"$scratch/log" ||
        { cat "$scratch/log" >&2; rm -rf "$scratch"; exit 1; }
      echo "fuzz $target: $(grep -o 'Done [0-9]* runs' "$scratch/log" | tail -1)"
      rm -rf "$scratch"
    done
    echo "fuzz: all targets passed in $((SECONDS - start))s"
    ;;
  *)
    sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
