#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/*_fuzz.cpp) with clang in build-fuzz/ and
# runs each for a bounded time on its seed corpus (fuzz/corpus/NAME/) and
# dictionary (fuzz/NAME.dict). New inputs collect in build-fuzz/corpus/NAME/,
# findings in build-fuzz/findings/.
#
#   scripts/fuzz.sh                  every target for 30 s
#   scripts/fuzz.sh 1800 converters  the converter target for 30 minutes
#   scripts/fuzz.sh --build          only configure and build build-fuzz/
#
# Any further libFuzzer flag can be given through VX_FUZZ_FLAGS, for example
# VX_FUZZ_FLAGS="-jobs=2 -workers=2".
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
shift || true
build=build-fuzz

CXX=clang++ scripts/setup.sh "$build" -DVX_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DCMAKE_CXX_FLAGS=-Werror
[[ $seconds == --build ]] && exit 0

targets=("$@")
if ((${#targets[@]} == 0)); then
  for source in fuzz/*_fuzz.cpp; do
    name=$(basename "$source" .cpp)
    targets+=("${name%_fuzz}")
  done
fi

mkdir -p "$build/findings"
for name in "${targets[@]}"; do
  echo "== fuzzing $name for ${seconds}s"
  mkdir -p "$build/corpus/$name"
  flags=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
         -artifact_prefix="$build/findings/$name-")
  [[ -f fuzz/$name.dict ]] && flags+=(-dict="fuzz/$name.dict")
  seeds=()
  [[ -d fuzz/corpus/$name ]] && seeds+=("fuzz/corpus/$name")
  # shellcheck disable=SC2086 # VX_FUZZ_FLAGS is a list of flags
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1} \
    "$build/vx_${name}_fuzz" "${flags[@]}" ${VX_FUZZ_FLAGS:-} "$build/corpus/$name" "${seeds[@]}"
done
