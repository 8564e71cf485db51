#!/usr/bin/env bash
# Unpacking speed of `vemi-disc extract` next to Info-ZIP unzip, bsdtar and bare zlib,
# on one archive of about 300 MB (documents, packed media, 5000 small files and two
# big ones). Each unpacker runs RUNS times into an empty folder, the three taking
# turns; the best time of each counts.
#
#   bench/zip_bench.sh [RUNS]        (BUILD_DIR picks the build folder, default build;
#                                     BENCH_DIR the scratch folder, default /tmp)
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${1:-3}
BUILD_DIR=${BUILD_DIR:-build}
WORK=${BENCH_DIR:-${TMPDIR:-/tmp}}/vemi-zip-bench
for tool in zip unzip bsdtar; do
  command -v $tool >/dev/null || { echo "zip_bench: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
done

if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
ninja -C "$BUILD_DIR" vemi-disc zip_inflate_bench >/dev/null
VEMI="$BUILD_DIR/tools/vemi-disc"
INFL="$BUILD_DIR/bench/zip_inflate_bench"

mkdir -p "$WORK"
ARCHIVE="$WORK/bench.zip"
if [ ! -f "$ARCHIVE" ]; then
  echo "making the data set and the archive in $WORK ..."
  rm -rf "$WORK/data"
  "$INFL" make-data "$WORK/data"
  (cd "$WORK/data" && zip -q -r "$ARCHIVE.tmp" .)
  mv "$ARCHIVE.tmp" "$ARCHIVE"
  rm -rf "$WORK/data"
fi
BYTES=$(unzip -Z -t "$ARCHIVE" | awk '{print $3}')
echo "archive: $(du -m "$ARCHIVE" | cut -f1) MB packed, $((BYTES / 1000000)) MB unpacked, $(unzip -Z -1 "$ARCHIVE" | wc -l) entries"

OUT="$WORK/out"
rm -rf "$OUT"
RUN=0
once() {  # wall-clock nanoseconds of one command line, run inside a new empty folder
  local dir="$OUT/$2"
  mkdir -p "$dir" && sync
  local t0 t1
  t0=$(date +%s%N)
  (cd "$dir" && eval "$1") >/dev/null
  t1=$(date +%s%N)
  echo $(( t1 - t0 ))
}
rate() { awk -v b="$BYTES" -v ns="$1" 'BEGIN { printf "%8.1f MB/s  (%.2f s)", b / 1e6 / (ns / 1e9), ns / 1e9 }'; }

# Round by round, each unpacker in turn, so that a busy moment of the machine does
# not fall on one of them alone; the best round of each counts.
NAMES=("vemi-disc extract" "bsdtar -xf" "unzip -o -q")
CMDS=("'$PWD/$VEMI' extract '$ARCHIVE' ." "bsdtar -xf '$ARCHIVE'" "unzip -o -q '$ARCHIVE'")
BEST=("" "" "")
# Every run keeps its output until the end: files deleted a moment ago make the
# next creations slow on some file systems (ext4 steps over recently freed inodes),
# and that would bill each unpacker for the clean-up of the one before.
for _ in $(seq "$RUNS"); do
  for i in 0 1 2; do
    RUN=$((RUN + 1))
    t=$(once "${CMDS[$i]}" "$RUN")
    if [ -z "${BEST[$i]}" ] || [ "$t" -lt "${BEST[$i]}" ]; then BEST[$i]=$t; fi
  done
done
rm -rf "$OUT"
for i in 0 1 2; do printf "%-20s %s\n" "${NAMES[$i]}" "$(rate "${BEST[$i]}")"; done
awk -v o="${BEST[0]}" -v t="${BEST[1]}" -v u="${BEST[2]}" \
  'BEGIN { printf "ours vs bsdtar: %.2fx faster, ours vs unzip: %.2fx faster\n", t / o, u / o }'
"$INFL" inflate "$ARCHIVE" "$RUNS" | sed 1d
