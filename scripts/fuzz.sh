#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS on a copy of its
# seed corpus, so the corpora in the tree only ever change by hand.
#
#   scripts/fuzz.sh SECONDS [NAME...]
#
# NAME is a target such as fuzz_bmp or just bmp; without names every tests/fuzz/fuzz_*.cpp
# is run. The seeds of fuzz_NAME are tests/data/fuzz/NAME/ (an empty start if missing).
# Findings go to build-fuzz/artifacts/NAME/; the exit status is 1 if any target found one.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh SECONDS [NAME...]" >&2
  exit 2
fi
seconds=$1
shift

scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build-fuzz}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEMI_FUZZ=ON -DVEMI_TESTS=OFF -DVEMI_GUI=OFF >/dev/null

names=()
if [ $# -gt 0 ]; then
  for n in "$@"; do names+=("${n#fuzz_}"); done
else
  for f in tests/fuzz/fuzz_*.cpp; do
    n=$(basename "$f" .cpp)
    names+=("${n#fuzz_}")
  done
fi
if [ ${#names[@]} -eq 0 ]; then
  echo "fuzz: no fuzz targets" >&2
  exit 2
fi
targets=()
for n in "${names[@]}"; do targets+=("fuzz_$n"); done
ninja -C "$BUILD_DIR" "${targets[@]}"

# Undefined behaviour counts as a finding, not as a line in the log.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
status=0
for n in "${names[@]}"; do
  exe=$(find "$BUILD_DIR" -type f -name "fuzz_$n" -perm -u+x | head -n 1)
  if [ -z "$exe" ]; then
    echo "fuzz: no executable for fuzz_$n" >&2
    status=1
    continue
  fi
  corpus="$BUILD_DIR/corpus/$n"
  artifacts="$BUILD_DIR/artifacts/$n"
  rm -rf "$corpus"
  mkdir -p "$corpus" "$artifacts"
  if [ -d "tests/data/fuzz/$n" ]; then cp -R "tests/data/fuzz/$n/." "$corpus/"; fi
  echo "fuzz: fuzz_$n for ${seconds}s on $(ls "$corpus" | wc -l) seeds"
  if ! "$exe" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$artifacts/" "$corpus" 2>"$artifacts/log.txt"; then
    echo "fuzz: fuzz_$n found a problem; see $artifacts/" >&2
    tail -n 40 "$artifacts/log.txt" >&2
    status=1
  else
    grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$artifacts/log.txt" | sed "s/^/fuzz: fuzz_$n /" || true
  fi
done
exit $status
