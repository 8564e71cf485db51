# Shared by the start-up benchmarks: a private screen to start the menu on, and the
# median of a key=value field over the runs. The caller sets WORK (its scratch
# folder) and PIDS (what its clean-up stops), and sources this file.

# A private 1024 x 768 Xvfb screen (the menu's own screen mode fills it exactly)
# with openbox on it unless NO_WM=1; exports DISPLAY. $1 names the caller in errors.
bench_screen() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset -br 3>"$WORK/display" 2>"$WORK/xvfb.log" &
  PIDS+=($!)
  for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
  [ -s "$WORK/display" ] || { echo "$1: Xvfb did not start"; exit 1; }
  export DISPLAY=":$(head -n1 "$WORK/display")"
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  if [ "${NO_WM:-0}" != 1 ]; then
    openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
    PIDS+=($!)
    for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done
    sleep 0.5  # the manager announces itself a little before it manages windows
  fi
}

# The values of the key=value field $1 in the lines of file $2, in order; their median.
bench_values() { grep -o "\b$1=[0-9.]*" "$2" | cut -d= -f2 | sort -g; }
bench_median() { bench_values "$1" "$2" | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
