#!/usr/bin/env bash
# Start-up time of the menu on an X server: from just before the process starts to
# its first whole picture on the screen, next to an empty FLTK window of the same
# size timed the same way in the same run; the peak memory of each; then the
# in-process start-up, repaint and selection times of view_bench.
#
#   bench/startup_bench.sh [RUNS]    (default 11; BUILD_DIR picks the build folder,
#                                     default build; NO_WM=1 runs without openbox)
#
# Needs Xvfb (and openbox unless NO_WM=1). The build folder must have the desktop
# back end (VEMI_GUI=ON, the default).
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=lib.sh
. bench/lib.sh
RUNS=${1:-11}
BUILD_DIR=${BUILD_DIR:-build}
for tool in Xvfb xdpyinfo; do
  command -v $tool >/dev/null || { echo "startup_bench: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
done
[ "${NO_WM:-0}" = 1 ] || command -v openbox >/dev/null || { echo "startup_bench: openbox is missing (or set NO_WM=1)"; exit 1; }

if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# The statically linked yardstick exists where the program on the disc is built so.
STATIC_TARGET=$(ninja -C "$BUILD_DIR" -t targets all 2>/dev/null | grep -o '^bench/empty_window_static' | head -n1 || true)
ninja -C "$BUILD_DIR" sample_disc startup_probe empty_window ${STATIC_TARGET:+empty_window_static} view_bench \
  >"${TMPDIR:-/tmp}/startup_bench.build.log" 2>&1 ||
  { cat "${TMPDIR:-/tmp}/startup_bench.build.log"; exit 1; }
PROBE="$BUILD_DIR/bench/startup_probe"
EMPTY="$BUILD_DIR/bench/empty_window"
EMPTY_STATIC=${STATIC_TARGET:+$BUILD_DIR/bench/empty_window_static}
DISC="$BUILD_DIR/sample-disc/disc"
MENU="$DISC/vemi32"

WORK=$(mktemp -d)
PIDS=()
cleanup() {
  local i
  for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do kill "${PIDS[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

bench_screen startup_bench

# Both programs once untimed (disk cache, font cache), then turn by turn, so that a
# busy moment of the machine does not fall on one of them alone.
# A third series runs the menu with glibc's allocator told to keep freed memory and
# to back the heap with 2 MiB pages: the difference shows what page faults cost.
TUNED=glibc.malloc.mmap_threshold=67108864:glibc.malloc.trim_threshold=268435456:glibc.malloc.hugetlb=1
"$PROBE" "$EMPTY" >/dev/null
"$PROBE" "$MENU" >/dev/null
[ -z "$EMPTY_STATIC" ] || "$PROBE" "$EMPTY_STATIC" >/dev/null
: >"$WORK/empty" && : >"$WORK/menu" && : >"$WORK/tuned" && : >"$WORK/static"
for _ in $(seq "$RUNS"); do
  "$PROBE" "$EMPTY" >>"$WORK/empty"
  "$PROBE" "$MENU" >>"$WORK/menu"
  GLIBC_TUNABLES=$TUNED "$PROBE" "$MENU" >>"$WORK/tuned"
  [ -z "$EMPTY_STATIC" ] || "$PROBE" "$EMPTY_STATIC" >>"$WORK/static"
done

# Median of one key=value field over the runs.
E_MS=$(bench_median first_paint_ms "$WORK/empty"); M_MS=$(bench_median first_paint_ms "$WORK/menu")
E_KB=$(bench_median peak_kib "$WORK/empty"); M_KB=$(bench_median peak_kib "$WORK/menu")
T_MS=$(bench_median first_paint_ms "$WORK/tuned"); T_KB=$(bench_median peak_kib "$WORK/tuned")
E_PF=$(bench_median faults "$WORK/empty"); M_PF=$(bench_median faults "$WORK/menu"); T_PF=$(bench_median faults "$WORK/tuned")
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
echo "start-up to the first whole picture on Xvfb 1024x768$([ "${NO_WM:-0}" = 1 ] && echo ', no window manager' || echo ', openbox'), median of $RUNS runs:"
printf '  empty FLTK window         %8.1f ms   peak memory %6s MiB   page faults %6s\n' "$E_MS" "$(mib "$E_KB")" "$E_PF"
printf '  vemi32 menu               %8.1f ms   peak memory %6s MiB   page faults %6s\n' "$M_MS" "$(mib "$M_KB")" "$M_PF"
printf '  vemi32, allocator tuned   %8.1f ms   peak memory %6s MiB   page faults %6s\n' "$T_MS" "$(mib "$T_KB")" "$T_PF"
awk -v m="$M_MS" -v e="$E_MS" 'BEGIN { r = m / e; printf "  ratio menu / empty window: %.2f (%s the 1.5 limit)\n", r, r <= 1.5 ? "within" : "OVER" }'
if [ -n "$EMPTY_STATIC" ]; then
  S_MS=$(bench_median first_paint_ms "$WORK/static"); S_KB=$(bench_median peak_kib "$WORK/static"); S_PF=$(bench_median faults "$WORK/static")
  printf '  empty, linked as vemi32   %8.1f ms   peak memory %6s MiB   page faults %6s\n' "$S_MS" "$(mib "$S_KB")" "$S_PF"
  awk -v m="$M_MS" -v e="$S_MS" 'BEGIN { printf "  ratio menu / empty window linked alike: %.2f\n", m / e }'
fi
echo "in process, headless back end (view_bench):"
"$BUILD_DIR/bench/view_bench" "$DISC" 200 | sed 's/^/  /'
