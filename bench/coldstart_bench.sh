#!/usr/bin/env bash
# Cold start of the menu from an optical drive: the sample disc served by a simulated
# drive (bench/optical_drive.py, mounted afresh for every start so that nothing of the
# disc is in the page cache), the menu started from it on a private Xvfb screen, and
# the time from just before the process starts to its first whole picture.
#
#   bench/coldstart_bench.sh [--drive dvd8|cd52] [--runs N] [--disc FOLDER]
#                            [--image FILE.iso] [--rate MB/s] [--seek MS] [--jump MS]
#                            [--trace FILE]
#
# dvd8 (the default): 11 MB/s, 100 ms to seek to another file or folder, 30 ms to jump
# within a file; cd52: 7.8 MB/s with the same seeks. --rate, --seek and --jump change
# one figure of the drive. --disc serves another disc folder (default: the build's
# sample disc, whose menu program is the build's vemi32). --image serves the files of
# a disc image where they lie in it, so that files read one after another cost one
# seek when they lie one after another (see bench/optical_drive.py). --trace keeps the drive's
# list of requests of the last start. BUILD_DIR picks the build folder (default build);
# NO_WM=1 runs without openbox.
#
# Prints the median first paint and the median bytes, requests, seeks to another file
# or folder and jumps within a file that the drive served until the menu was ended,
# just after its first paint. Installs python3-fusepy and fuse3 with apt-get when they
# are missing (for the system's own python3); needs /dev/fuse (root, or a container that passes it through).
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=lib.sh
. bench/lib.sh
BUILD_DIR=${BUILD_DIR:-build}
RUNS=7
DRIVE=dvd8
DISC=
IMAGE=
TRACE=
RATE= SEEK= JUMP=
while [ $# -gt 0 ]; do
  case "$1" in
    --drive) DRIVE=$2; shift 2 ;;
    --runs) RUNS=$2; shift 2 ;;
    --disc) DISC=$2; shift 2 ;;
    --image) IMAGE=$(realpath "$2"); shift 2 ;;
    --rate) RATE=$2; shift 2 ;;
    --seek) SEEK=$2; shift 2 ;;
    --jump) JUMP=$2; shift 2 ;;
    --trace) TRACE=$2; shift 2 ;;
    [0-9]*) RUNS=$1; shift ;;
    *) echo "coldstart_bench: unknown option $1"; exit 2 ;;
  esac
done
case "$DRIVE" in
  dvd8) : "${RATE:=11}" "${SEEK:=100}" "${JUMP:=30}" ;;
  cd52) : "${RATE:=7.8}" "${SEEK:=100}" "${JUMP:=30}" ;;
  *) echo "coldstart_bench: --drive is dvd8 or cd52"; exit 2 ;;
esac

if ! /usr/bin/python3 -c 'import fusepy' 2>/dev/null || ! command -v fusermount >/dev/null; then
  echo "coldstart_bench: installing python3-fusepy and fuse3"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q python3-fusepy fuse3 >/dev/null
fi
[ -e /dev/fuse ] || { echo "coldstart_bench: /dev/fuse is missing"; exit 1; }
for tool in Xvfb xdpyinfo; do
  command -v $tool >/dev/null || { echo "coldstart_bench: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
done
[ "${NO_WM:-0}" = 1 ] || command -v openbox >/dev/null || { echo "coldstart_bench: openbox is missing (or set NO_WM=1)"; exit 1; }

if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
ninja -C "$BUILD_DIR" sample_disc startup_probe >"${TMPDIR:-/tmp}/coldstart_bench.build.log" 2>&1 ||
  { cat "${TMPDIR:-/tmp}/coldstart_bench.build.log"; exit 1; }
PROBE="$BUILD_DIR/bench/startup_probe"
DISC=$(realpath "${DISC:-$BUILD_DIR/sample-disc/disc}")
[ -f "$DISC/vemi32" ] || { echo "coldstart_bench: no vemi32 in $DISC"; exit 1; }

WORK=$(mktemp -d)
MNT="$WORK/drive"
mkdir "$MNT"
PIDS=()
FS_PID=
unmount() {
  if [ -n "$FS_PID" ]; then
    fusermount -u "$MNT" 2>/dev/null || umount -l "$MNT" 2>/dev/null || true
    wait "$FS_PID" 2>/dev/null || true
    FS_PID=
  fi
}
cleanup() {
  local i
  unmount
  for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do kill "${PIDS[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

bench_screen coldstart_bench

# One start from a drive mounted for it alone; appends "first_paint_ms=... requests=..."
# to $1. The host's own libraries and fonts stay warm: a reader's machine has them.
cold_start() {
  local stats="$WORK/stats"
  rm -f "$stats"
  /usr/bin/python3 bench/optical_drive.py ${IMAGE:+--image} "${IMAGE:-$DISC}" "$MNT" --rate "$RATE" --seek "$SEEK" --jump "$JUMP" \
    --stats "$stats" ${TRACE:+--trace "$TRACE"} 2>>"$WORK/drive.log" &
  FS_PID=$!
  for _ in $(seq 200); do mountpoint -q "$MNT" && break; sleep 0.05; done
  mountpoint -q "$MNT" || { echo "coldstart_bench: the drive did not mount"; cat "$WORK/drive.log"; exit 1; }
  local line
  line=$("$PROBE" --timeout 60 "$MNT/vemi32") || { echo "coldstart_bench: the menu did not paint"; exit 1; }
  unmount
  echo "$line $(cat "$stats" 2>/dev/null)" >>"$1"
}

# The host's libraries and fonts once, warm, from the disc folder itself.
"$PROBE" "$DISC/vemi32" >/dev/null
: >"$WORK/runs"
for _ in $(seq "$RUNS"); do cold_start "$WORK/runs"; done

# The range of one key=value field over the runs.
range() { bench_values "$1" "$2" | awk 'NR == 1 {lo = $1} {hi = $1} END {printf "%.0f-%.0f", lo, hi}'; }
FP=$(bench_median first_paint_ms "$WORK/runs")
if [ -n "$IMAGE" ]; then
  echo "cold start from a simulated drive ($DRIVE: $RATE MB/s, $SEEK ms seek, $JUMP ms jump of up to 1 MiB) reading $(basename "$IMAGE"), median of $RUNS starts:"
else
  echo "cold start from a simulated drive ($DRIVE: $RATE MB/s, $SEEK ms seek, $JUMP ms jump in a file), median of $RUNS starts:"
fi
printf '  first paint      %8.0f ms   (%s ms)\n' "$FP" "$(range first_paint_ms "$WORK/runs")"
awk -v b="$(bench_median bytes "$WORK/runs")" 'BEGIN { printf "  bytes read       %8.2f MB\n", b / 1e6 }'
printf '  requests         %8s\n' "$(bench_median requests "$WORK/runs")"
if [ -n "$IMAGE" ]; then
  printf '  seeks            %8s   (further than 1 MiB)\n' "$(bench_median seeks "$WORK/runs")"
  printf '  jumps            %8s   (up to 1 MiB)\n' "$(bench_median jumps "$WORK/runs")"
else
  printf '  seeks            %8s   (to another file or folder)\n' "$(bench_median seeks "$WORK/runs")"
  printf '  jumps            %8s   (within a file)\n' "$(bench_median jumps "$WORK/runs")"
fi
printf '  drive busy       %8.0f ms\n' "$(bench_median busy_ms "$WORK/runs")"
