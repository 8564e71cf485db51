# Helpers for the end-to-end tests: a private X server with a window manager,
# a program started on it, screenshots and pixel checks. Sourced by run_e2e.sh;
# every case file in cases/ uses these. Nothing here is specific to one program.
#
# State kept in variables: DISPLAY, E2E_XVFB_PID, E2E_WM_PID, E2E_APP_PID,
# E2E_APP_OUT (the program's stdout), E2E_SHOT (last screenshot), E2E_DIR (this
# test's output folder), E2E_WID (last window found).

E2E_PIDS=()
# How long a wait may take before it counts as a failure, in seconds: generous,
# since a loaded build machine can hold an X client up for seconds.
E2E_WAIT=${E2E_WAIT:-10}

e2e_log() { printf '[e2e %s] %s\n' "${E2E_NAME:-?}" "$*"; }

e2e_fail() {
    printf '[e2e %s] FAIL: %s\n' "${E2E_NAME:-?}" "$*" >&2
    if [ -n "${E2E_APP_OUT:-}" ] && [ -f "$E2E_APP_OUT" ]; then
        printf -- '--- program output (last 40 lines) ---\n' >&2
        tail -n 40 "$E2E_APP_OUT" >&2
    fi
    exit 1
}

# Kills what the test started, newest first, even when the test failed.
e2e_cleanup() {
    local i pid
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${E2E_PIDS[i]}
        kill "$pid" 2>/dev/null
    done
    for pid in "${E2E_PIDS[@]}"; do
        for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    E2E_PIDS=()
# How long a wait may take before it counts as a failure, in seconds: generous,
# since a loaded build machine can hold an X client up for seconds.
E2E_WAIT=${E2E_WAIT:-10}
}

# Polls a command until it succeeds; false after the timeout (seconds).
e2e_until() {
    local timeout=$1; shift
    local deadline=$((SECONDS + timeout))
    while ! "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.05
    done
}

# Starts Xvfb with a W x H x 24 screen on a display it picks itself, black root.
e2e_start_display() {
    local w=$1 h=$2 dfile="$E2E_DIR/display"
    : >"$dfile"
    Xvfb -displayfd 3 -screen 0 "${w}x${h}x24" -nolisten tcp -noreset -br 3>"$dfile" 2>"$E2E_DIR/xvfb.log" &
    E2E_XVFB_PID=$!
    E2E_PIDS+=("$E2E_XVFB_PID")
    e2e_until 10 test -s "$dfile" || e2e_fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$dfile")"
    E2E_SCREEN_W=$w
    E2E_SCREEN_H=$h
    e2e_until 10 xdpyinfo || e2e_fail "display $DISPLAY does not answer"
    e2e_log "display $DISPLAY ${w}x${h}"
}

e2e_wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

# Starts openbox and waits until it manages windows: it announces itself early in
# its start, and a window mapped before it is ready waits unseen, so a probe
# window must have been framed before the test goes on.
e2e_start_wm() {
    # openbox now and then dies right after start on a busy machine (an interrupted
    # call on its X connection); a window manager that is not there is no finding,
    # so it gets three tries before the case fails.
    local try probe
    for try in 1 2 3; do
        openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 &
        E2E_WM_PID=$!
        E2E_PIDS+=("$E2E_WM_PID")
        if e2e_until 15 e2e_wm_running; then
            xmessage -name e2e-probe -geometry +0+0 probe >/dev/null 2>&1 &
            probe=$!
            if e2e_until 15 e2e_probe_managed; then
                kill "$probe" 2>/dev/null
                wait "$probe" 2>/dev/null
                return 0
            fi
            kill "$probe" 2>/dev/null
            wait "$probe" 2>/dev/null
        fi
        e2e_log "openbox not managing windows (try $try), starting it again"
        kill "$E2E_WM_PID" 2>/dev/null
        wait "$E2E_WM_PID" 2>/dev/null
        unset 'E2E_PIDS[-1]'
    done
    e2e_fail "openbox does not manage windows"
}
e2e_probe_managed() {
    local w
    w=$(xdotool search --onlyvisible --classname '^e2e-probe$' | head -n1)
    [ -n "$w" ] && xprop -id "$w" _NET_FRAME_EXTENTS | grep -q '='
}

# Starts a program in the background, stdout to $E2E_APP_OUT (a file in E2E_DIR).
e2e_start_app() {
    E2E_APP_OUT="$E2E_DIR/app.out"
    : >"$E2E_APP_OUT"
    "$@" >"$E2E_APP_OUT" 2>"$E2E_DIR/app.err" &
    E2E_APP_PID=$!
    E2E_PIDS+=("$E2E_APP_PID")
    e2e_log "started $* (pid $E2E_APP_PID)"
}

# Waits for a line matching the extended regex in the program's output.
e2e_wait_line() {
    local re=$1 timeout=${2:-$E2E_WAIT}
    e2e_until "$timeout" grep -Eq -- "$re" "$E2E_APP_OUT" || e2e_fail "no output line matching '$re'"
}

# Fails when a line matching the regex is in the program's output.
e2e_no_line() {
    if grep -Eq -- "$1" "$E2E_APP_OUT"; then e2e_fail "unexpected output line matching '$1'"; fi
}

# Number of output lines so far; with e2e_wait_new_line, waits for a match after them.
e2e_mark() { E2E_MARK=$(wc -l <"$E2E_APP_OUT"); }
e2e_new_lines() { tail -n +"$((E2E_MARK + 1))" "$E2E_APP_OUT"; }
e2e_has_new_line() { e2e_new_lines | grep -Eq -- "$1"; }
e2e_wait_new_line() {
    local re=$1 timeout=${2:-$E2E_WAIT}
    e2e_until "$timeout" e2e_has_new_line "$re" || e2e_fail "no new output line matching '$re'"
}

# Finds a visible window by xdotool search arguments (e.g. --name '^title$');
# sets E2E_WID to the first one.
e2e_find_window() {
    E2E_WID=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -n1)
    [ -n "$E2E_WID" ]
}
e2e_wait_window() {
    if ! e2e_until "$E2E_WAIT" e2e_find_window "$@"; then
        xdotool search "$@" >"$E2E_DIR/search.log" 2>&1
        xwininfo -root -tree >>"$E2E_DIR/search.log" 2>&1
        e2e_fail "no window for: $* (see search.log)"
    fi
    e2e_find_window "$@"
}

# Absolute geometry of a window: sets E2E_X E2E_Y E2E_W E2E_H.
e2e_geometry() {
    local info
    info=$(xwininfo -id "$1" 2>/dev/null) || return 1
    E2E_X=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    E2E_Y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    E2E_W=$(sed -n 's/.*Width: *//p' <<<"$info")
    E2E_H=$(sed -n 's/.*Height: *//p' <<<"$info")
}

e2e_expect_geometry() {
    local wid=$1 x=$2 y=$3 w=$4 h=$5
    e2e_geometry "$wid" || e2e_fail "window $wid is gone"
    [ "$E2E_X $E2E_Y $E2E_W $E2E_H" = "$x $y $w $h" ] ||
        e2e_fail "window at $E2E_X,$E2E_Y size ${E2E_W}x$E2E_H, expected $x,$y size ${w}x$h"
}

# Waits until the window has reached the given place (the window manager may
# take a moment to honour a move).
e2e_wait_geometry() {
    local wid=$1 x=$2 y=$3 w=$4 h=$5
    e2e_until "$E2E_WAIT" e2e_geometry_is "$wid" "$x" "$y" "$w" "$h" || e2e_expect_geometry "$wid" "$x" "$y" "$w" "$h"
}
e2e_geometry_is() {
    e2e_geometry "$1" || return 1
    [ "$E2E_X $E2E_Y $E2E_W $E2E_H" = "$2 $3 $4 $5" ]
}

# A window without decorations: the manager reports no frame around it.
e2e_expect_borderless() {
    local ext
    ext=$(xprop -id "$1" _NET_FRAME_EXTENTS)
    case "$ext" in
    *"= 0, 0, 0, 0"*) ;;
    *) e2e_fail "window $1 has a frame: $ext" ;;
    esac
}

e2e_window_state() { xprop -id "$1" _NET_WM_STATE; }

# Screenshot of the whole screen into E2E_DIR/NAME.png (for people) and NAME.rgb
# (raw bytes, for the pixel checks); E2E_SHOT names the picture.
e2e_shot() {
    E2E_SHOT="$E2E_DIR/$1.png"
    import -window root "$E2E_SHOT" 2>>"$E2E_DIR/import.log" || e2e_fail "screenshot $1 failed"
    convert "$E2E_SHOT" -depth 8 "rgb:${E2E_SHOT%.png}.rgb" 2>>"$E2E_DIR/import.log" || e2e_fail "cannot read screenshot $1"
}

# The colour of a pixel of the last screenshot as #RRGGBB.
e2e_pixel() {
    local x=$1 y=$2
    if [ "$x" -lt 0 ] || [ "$y" -lt 0 ] || [ "$x" -ge "$E2E_SCREEN_W" ] || [ "$y" -ge "$E2E_SCREEN_H" ]; then
        echo "off-screen"
        return
    fi
    od -An -tx1 -j $(((y * E2E_SCREEN_W + x) * 3)) -N3 "${E2E_SHOT%.png}.rgb" | tr -d ' \n' | tr a-f A-F | sed 's/^/#/'
}

e2e_expect_pixel() {
    local x=$1 y=$2 want=$3 what=${4:-}
    local got
    got=$(e2e_pixel "$x" "$y")
    [ "$got" = "$want" ] || e2e_fail "pixel $x,$y of $(basename "$E2E_SHOT") is $got, expected $want ${what:+($what)}"
}

# Takes screenshots until the pixel has the colour (drawing reaches the screen
# a little after the program says it drew); the last one stays in E2E_SHOT.
e2e_wait_pixel() {
    local x=$1 y=$2 want=$3 what=${4:-} name=${5:-wait}
    local deadline=$((SECONDS + E2E_WAIT))
    while :; do
        e2e_shot "$name"
        [ "$(e2e_pixel "$x" "$y")" = "$want" ] && return 0
        [ "$SECONDS" -ge "$deadline" ] && e2e_expect_pixel "$x" "$y" "$want" "$what"
        sleep 0.1
    done
}

# Waits for the program to end; fails unless its exit code is want (default 0).
e2e_expect_exit() {
    local want=${1:-0} timeout=${2:-$E2E_WAIT} code
    e2e_until "$timeout" e2e_app_ended || e2e_fail "program did not end"
    wait "$E2E_APP_PID"
    code=$?
    [ "$code" = "$want" ] || e2e_fail "exit code $code, expected $want"
}
e2e_app_ended() { ! kill -0 "$E2E_APP_PID" 2>/dev/null; }

# Mouse and keys, by screen position. (xdotool's own --sync waits forever when the
# pointer is already where it is sent, hence the check of our own.)
e2e_pointer_at() { [ "$(xdotool getmouselocation --shell | sed -n 's/^[XY]=//p' | tr '\n' ' ')" = "$1 $2 " ]; }
e2e_move() {
    xdotool mousemove "$1" "$2"
    e2e_until "$E2E_WAIT" e2e_pointer_at "$1" "$2" || e2e_fail "pointer did not reach $1,$2"
}
e2e_click() {
    e2e_move "$1" "$2"
    xdotool click "${3:-1}"
}
e2e_key() { xdotool key --clearmodifiers "$@"; }
