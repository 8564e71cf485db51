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
    if [ -s "$E2E_DIR/app.err" ]; then
        printf -- '--- program errors (last 20 lines) ---\n' >&2
        tail -n 20 "$E2E_DIR/app.err" >&2
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
}

# --- the program runs as a reader: an ordinary account, never root ---
# Root passes every permission check (a read-only file is writable to it, the
# all-users menu folders are open to it), so a test run as root says nothing about
# what a reader meets. When the tests run as root, the program under test runs as
# the account vemi-reader (scripts/setup.sh makes it; nobody if it is missing),
# with a home folder of its own in the case's folder; the case's folders become the
# reader's, except the ones a case declares the system's (e2e_system_folder), which
# stay root's and read-only to the reader. A case that must run its program as the
# build's own user sets E2E_AS_READER=0 and says why.
E2E_AS_READER=${E2E_AS_READER:-1}
E2E_SYSTEM_FOLDERS=()

e2e_reader_ids() {
    if id -u vemi-reader >/dev/null 2>&1; then
        echo "$(id -u vemi-reader) $(id -g vemi-reader)"
    else
        echo "65534 65534"
    fi
}

# Becomes the command, run as the reader (as it is, when the tests do not run as
# root); for a background job, whose process id is then the program's own.
e2e_exec_as_reader() {
    if [ "$(id -u)" != 0 ] || [ "$E2E_AS_READER" != 1 ]; then
        exec "$@"
    fi
    local ids
    read -r -a ids <<<"$(e2e_reader_ids)"
    exec setpriv --reuid="${ids[0]}" --regid="${ids[1]}" --clear-groups -- \
        env HOME="$E2E_DIR/home" USER=vemi-reader LOGNAME=vemi-reader "$@"
}

# Folders that belong to the system, as /usr/local/share/applications does:
# present, but not the reader's to write.
e2e_system_folder() {
    local d
    for d in "$@"; do
        mkdir -p "$d"
        E2E_SYSTEM_FOLDERS+=("$d")
    done
}

# Gives the case's folder to the reader before its program starts: the reader
# must be able to reach the build's programs, and owns what the case made for it.
e2e_hand_over() {
    [ "$(id -u)" = 0 ] && [ "$E2E_AS_READER" = 1 ] || return 0
    local ids d
    read -r -a ids <<<"$(e2e_reader_ids)"
    mkdir -p "$E2E_DIR/home"
    chown -R "${ids[0]}:${ids[1]}" "$E2E_DIR"
    for d in "${E2E_SYSTEM_FOLDERS[@]}"; do
        chown -R 0:0 "$d"
        chmod -R go-w "$d"
    done
    # The checkout may lie in a folder only root may enter (/root): the reader needs
    # to pass through every level above the build, as through /usr to a program.
    # The root itself too: a system made in a folder of its own (a chroot made with
    # mktemp) may have a root only its owner may enter.
    local path="" part parts
    IFS=/ read -r -a parts <<<"$(cd "${E2E_BUILD_DIR:-$E2E_DIR}" && pwd)"
    for part in / "${parts[@]}"; do
        [ -n "$part" ] || continue
        if [ "$part" = / ]; then path=/; else path="${path%/}/$part"; fi
        if ! setpriv --reuid="${ids[0]}" --regid="${ids[1]}" --clear-groups -- test -x "$path"; then
            chmod o+x "$path"
            e2e_log "let the reader pass through $path"
        fi
    done
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

# Ends the screen the case used so far, with everything on it, and starts a fresh
# W x H one with the case's window manager: a case that looks at several screens.
e2e_next_screen() {
    e2e_cleanup
    unset E2E_SEAT_DISPLAY
    e2e_start_display "$1" "$2"
    if [ "${E2E_NO_WM:-0}" != 1 ]; then e2e_start_chosen_wm; fi
}

e2e_wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

# Starts openbox and waits until it manages windows: it announces itself early in
# its start, and a window mapped before it is ready waits unseen, so a probe
# window must have been framed before the test goes on.
e2e_start_wm() {
    # openbox now and then dies right after start on a busy machine (an interrupted
    # call on its X connection); a window manager that is not there is no finding,
    # so it gets three tries before the case fails. Now and then, too, it sits in its
    # loop with the probe's map request read but not handled, until some other event
    # reaches it (seen on a freshly set-up machine right after the build): a property
    # changed on the root window now and then while waiting wakes it.
    local try probe why
    for try in 1 2 3; do
        rm -f "$E2E_DIR/probe.log"
        openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 &
        E2E_WM_PID=$!
        E2E_PIDS+=("$E2E_WM_PID")
        e2e_until 15 e2e_wm_announced_or_gone
        if e2e_wm_running && e2e_wm_alive; then
            xmessage -name e2e-probe -geometry +0+0 probe >"$E2E_DIR/probe.log" 2>&1 &
            probe=$!
            e2e_until 15 e2e_probe_framed_or_wm_gone
            if e2e_probe_managed; then
                kill "$probe" 2>/dev/null
                wait "$probe" 2>/dev/null
                return 0
            fi
            xwininfo -root -tree >"$E2E_DIR/windows-try$try.txt" 2>&1
            kill "$probe" 2>/dev/null
            wait "$probe" 2>/dev/null
            if e2e_wm_alive; then
                why="the probe window was not framed in 15 s (windows in $E2E_DIR/windows-try$try.txt)"
            else
                why="openbox exited before framing the probe"
            fi
        elif e2e_wm_alive; then
            why="openbox runs but did not announce itself in 15 s"
        else
            why="openbox exited"
        fi
        e2e_log "openbox not managing windows (try $try: $why), starting it again"
        # What openbox and the probe said is all there is to go on afterwards.
        sed 's/^/    openbox: /' "$E2E_DIR/openbox.log" | tail -n 5 >&2
        [ -f "$E2E_DIR/probe.log" ] && sed 's/^/    probe: /' "$E2E_DIR/probe.log" | tail -n 3 >&2
        kill "$E2E_WM_PID" 2>/dev/null
        wait "$E2E_WM_PID" 2>/dev/null
        unset 'E2E_PIDS[-1]'
    done
    e2e_fail "openbox does not manage windows"
}
e2e_wm_alive() { kill -0 "$E2E_WM_PID" 2>/dev/null; }
e2e_wm_announced_or_gone() { e2e_wm_running || ! e2e_wm_alive; }
e2e_probe_framed_or_wm_gone() {
    xprop -root -f _E2E_NUDGE 32c -set _E2E_NUDGE "$SECONDS" 2>/dev/null
    e2e_probe_managed || ! e2e_wm_alive
}
e2e_probe_managed() {
    local w
    w=$(xdotool search --onlyvisible --classname '^e2e-probe$' | head -n1)
    [ -n "$w" ] && xprop -id "$w" _NET_FRAME_EXTENTS | grep -q '='
}

# Starts the window manager the case chose in E2E_WM: openbox (the default), icewm
# (a manager with a taskbar along the bottom) or weston (a Wayland compositor on
# the Xvfb screen; its Xwayland becomes the case's DISPLAY).
e2e_start_chosen_wm() {
    case "${E2E_WM:-openbox}" in
    openbox) e2e_start_wm ;;
    icewm) e2e_start_icewm ;;
    weston) e2e_start_weston ;;
    *) e2e_fail "unknown window manager E2E_WM=$E2E_WM" ;;
    esac
}

# Whether a throw-away window gets taken on by the manager: it says the window's
# state (WM_STATE), which a manager writes once it manages a window.
e2e_wm_takes_windows() {
    local probe ok=1
    xmessage -name e2e-probe -geometry +0+0 probe >"$E2E_DIR/probe.log" 2>&1 &
    probe=$!
    e2e_until 15 e2e_probe_stated_or_wm_gone
    e2e_probe_stated && ok=0
    kill "$probe" 2>/dev/null
    wait "$probe" 2>/dev/null
    return $ok
}

e2e_probe_stated() {
    local w
    w=$(xdotool search --onlyvisible --classname '^e2e-probe$' | head -n1)
    [ -n "$w" ] && xprop -id "$w" WM_STATE | grep -q 'window state: Normal'
}
e2e_probe_stated_or_wm_gone() { e2e_probe_stated || ! e2e_wm_alive; }

# icewm with its taskbar at the bottom of the screen, on settings of its own.
e2e_start_icewm() {
    command -v icewm >/dev/null || e2e_fail "icewm is missing (scripts/setup.sh installs it)"
    mkdir -p "$E2E_DIR/icewm"
    printf '%s\n' ShowTaskBar=1 TaskBarAtTop=0 TaskBarAutoHide=0 TaskBarShowClock=0 \
        TaskBarShowMailboxStatus=0 ShowProgramsMenu=0 >"$E2E_DIR/icewm/preferences"
    ICEWM_PRIVCFG="$E2E_DIR/icewm" icewm >"$E2E_DIR/icewm.log" 2>&1 &
    E2E_WM_PID=$!
    E2E_PIDS+=("$E2E_WM_PID")
    e2e_until 15 e2e_wm_announced_or_gone
    e2e_wm_running && e2e_wm_alive || e2e_fail "icewm did not start (icewm.log)"
    e2e_wm_takes_windows || e2e_fail "icewm does not manage windows (icewm.log)"
}

# weston drawing into a window of the Xvfb screen, which it fills, with Xwayland
# for X programs. The screen and the input stay the Xvfb display's
# (E2E_SEAT_DISPLAY): screenshots are taken and the pointer and keys sent there,
# and reach the programs through the compositor, as a user's would.
# A case may start a second screen: each weston gets a runtime folder, a socket and
# a log of its own (weston adds to a log it finds).
E2E_WESTONS=0
e2e_start_weston() {
    local n=$E2E_WESTONS x x11
    local rt="$E2E_DIR/runtime$n" log="$E2E_DIR/weston$n.log"
    E2E_WESTONS=$((n + 1))
    command -v weston >/dev/null && command -v Xwayland >/dev/null ||
        e2e_fail "weston or Xwayland is missing (scripts/setup.sh installs them)"
    mkdir -p "$rt"
    chmod 700 "$rt"
    printf '%s\n' '[core]' 'idle-time=0' '[shell]' 'panel-position=none' 'locking=false' \
        'animation=none' 'startup-animation=none' 'close-animation=none' 'focus-animation=none' >"$E2E_DIR/weston.ini"
    XDG_RUNTIME_DIR=$rt weston --backend=x11-backend.so --xwayland --width="$E2E_SCREEN_W" \
        --height="$E2E_SCREEN_H" --config="$E2E_DIR/weston.ini" --socket="vemi-e2e-$n" \
        --log="$log" >"$E2E_DIR/weston$n.out" 2>&1 &
    E2E_WM_PID=$!
    E2E_PIDS+=("$E2E_WM_PID")
    e2e_until 15 grep -q 'xserver listening on display' "$log" ||
        e2e_fail "weston did not start Xwayland ($(basename "$log"))"
    x=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$log" | tail -n1)
    E2E_SEAT_DISPLAY=$DISPLAY
    # weston follows the pointer by its moves from where it last entered weston's
    # window; a window made under the pointer may miss that entry, and weston's
    # pointer is then off from the seat's for the whole run (a click lands beside
    # its place). Hidden and shown again, the window is entered where the pointer is.
    x11=$(sed -n 's/.*x11 output .*window id \([0-9]*\).*/\1/p' "$log" | tail -n1)
    [ -n "$x11" ] || e2e_fail "weston named no window of its own ($(basename "$log"))"
    xdotool windowunmap --sync "$x11" && xdotool windowmap --sync "$x11" ||
        e2e_fail "weston's window could not be shown again"
    export DISPLAY=$x
    # Xwayland starts with its first client.
    e2e_until 15 xdpyinfo || e2e_fail "Xwayland $DISPLAY does not answer ($(basename "$log"))"
    # Xwayland lets in only weston's own user; the reader's session would be its own.
    if [ "$(id -u)" = 0 ] && [ "$E2E_AS_READER" = 1 ] && id -u vemi-reader >/dev/null 2>&1; then
        xhost +si:localuser:vemi-reader >/dev/null || e2e_fail "Xwayland does not let the reader in"
    fi
    e2e_until 15 e2e_wm_announced_or_gone
    e2e_wm_running && e2e_wm_alive || e2e_fail "weston's window manager did not start ($(basename "$log"))"
    e2e_wm_takes_windows || e2e_fail "weston does not manage X windows ($(basename "$log"))"
    e2e_log "weston's Xwayland on $DISPLAY"
}

# Starts a program in the background, stdout to $E2E_APP_OUT (a file in E2E_DIR).
e2e_start_app() {
    E2E_APP_OUT="$E2E_DIR/app.out"
    : >"$E2E_APP_OUT"
    e2e_hand_over
    e2e_exec_as_reader "$@" >"$E2E_APP_OUT" 2>"$E2E_DIR/app.err" &
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

# Waits until the window manager has placed a window: two equal readings of its
# geometry in a row (E2E_X ... then hold them).
e2e_wait_geometry_settled() {
    local last="" now
    for _ in $(seq 1 $((E2E_WAIT * 10))); do
        e2e_geometry "$1" || e2e_fail "window $1 is gone"
        now="$E2E_X $E2E_Y $E2E_W $E2E_H"
        [ "$now" = "$last" ] && return 0
        last=$now
        sleep 0.1
    done
    e2e_fail "window $1 keeps moving"
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
    DISPLAY=${E2E_SEAT_DISPLAY:-$DISPLAY} import -window root "$E2E_SHOT" 2>>"$E2E_DIR/import.log" || e2e_fail "screenshot $1 failed"
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
    e2e_until "$timeout" e2e_app_ended ||
        e2e_fail "program did not end ($(e2e_app_state))"
    wait "$E2E_APP_PID"
    code=$?
    [ "$code" = "$want" ] || e2e_fail "exit code $code, expected $want"
}
e2e_app_ended() { ! kill -0 "$E2E_APP_PID" 2>/dev/null; }
# What a program that did not end was doing, for the failure's message: its state
# and where it waits, its windows, and where the pointer was.
e2e_app_state() {
    local pid=$E2E_APP_PID child
    # (the reader's account runs it through a chain of starters: the last one is it)
    while child=$(pgrep -n -P "$pid" 2>/dev/null); do pid=$child; done
    printf 'state %s, waits in %s; windows: %s; pointer %s' \
        "$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)" "$(cat "/proc/$pid/wchan" 2>/dev/null)" \
        "$(xdotool search --onlyvisible --name . 2>/dev/null | while read -r w; do
            printf '%s "%s" ' "$w" "$(xdotool getwindowname "$w" 2>/dev/null)"; done)" \
        "$(xdotool getmouselocation 2>/dev/null)"
}

# Mouse and keys, by screen position. (xdotool's own --sync waits forever when the
# pointer is already where it is sent, hence the check of our own.)
# (on the seat's display; e2e_pointer_on names the display)
e2e_pointer_on() { [ "$(DISPLAY=$1 xdotool getmouselocation --shell | sed -n 's/^[XY]=//p' | tr '\n' ' ')" = "$2 $3 " ]; }
e2e_pointer_at() { e2e_pointer_on "${E2E_SEAT_DISPLAY:-$DISPLAY}" "$1" "$2"; }
e2e_move() {
    DISPLAY=${E2E_SEAT_DISPLAY:-$DISPLAY} xdotool mousemove "$1" "$2"
    e2e_until "$E2E_WAIT" e2e_pointer_at "$1" "$2" || e2e_fail "pointer did not reach $1,$2"
}
# Under a compositor the seat's pointer is where xdotool put it at once, but the X
# windows learn of it only when the compositor passes the move on: a click sent
# before then has been seen to miss the window on a busy machine. So a click
# waits until the windows' own server has the pointer there too.
e2e_click() {
    e2e_move "$1" "$2"
    if [ -n "${E2E_SEAT_DISPLAY:-}" ]; then
        e2e_until "$E2E_WAIT" e2e_pointer_on "$DISPLAY" "$1" "$2" ||
            e2e_fail "the compositor did not pass the pointer to $1,$2 (X server has $(xdotool getmouselocation))"
    fi
    DISPLAY=${E2E_SEAT_DISPLAY:-$DISPLAY} xdotool click "${3:-1}"
}
e2e_key() { DISPLAY=${E2E_SEAT_DISPLAY:-$DISPLAY} xdotool key --clearmodifiers "$@"; }

# --- dialogs ---

# The frame the window manager put around a window: sets E2E_FRAME_L, _R, _T, _B.
e2e_frame_extents() {
    local ext
    ext=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ' ')
    [ -n "$ext" ] || return 1
    IFS=, read -r E2E_FRAME_L E2E_FRAME_R E2E_FRAME_T E2E_FRAME_B <<<"$ext"
}

# Clicks the close box of a framed window (openbox's default theme: the rightmost
# button of the title bar, 12 pixels in from the frame's right edge).
e2e_close_box() {
    e2e_geometry "$1" || e2e_fail "window $1 is gone"
    e2e_frame_extents "$1" || e2e_fail "window $1 has no frame"
    e2e_click $((E2E_X + E2E_W + E2E_FRAME_R - 12)) $((E2E_Y - E2E_FRAME_T / 2))
}

# Screen position of a client pixel of window wid: sets E2E_SX, E2E_SY.
e2e_client_point() {
    e2e_geometry "$1" || e2e_fail "window $1 is gone"
    E2E_SX=$((E2E_X + $2))
    E2E_SY=$((E2E_Y + $3))
}
# A click on a client pixel of window wid (button 1 unless a fourth argument says).
e2e_click_client() {
    e2e_client_point "$1" "$2" "$3"
    e2e_click "$E2E_SX" "$E2E_SY" "${4:-1}"
}
e2e_double_click_client() {
    e2e_client_point "$1" "$2" "$3"
    e2e_move "$E2E_SX" "$E2E_SY"
    xdotool click --repeat 2 --delay 80 1
}

# Puts key symbols on spare keys, one key per argument ("aogonek Aogonek": the
# plain and the shifted symbol), so that xdotool types them without changing the
# keyboard mapping for every letter: a program that reads a key after the mapping
# changed again sees another letter, or none. Call it before the program starts:
# the window manager takes every change of the mapping as a cue to grab its keys
# anew, and clicks made meanwhile reach the program late.
e2e_map_keys() {
    local spare i=0 pair args=()
    mapfile -t spare < <(xmodmap -pke | awk 'NF == 3 && $1 == "keycode" { print $2 }' | sort -rn)
    for pair in "$@"; do
        [ "$i" -lt "${#spare[@]}" ] || e2e_fail "no spare key for $pair"
        args+=(-e "keycode ${spare[i]} = $pair")
        i=$((i + 1))
    done
    xmodmap "${args[@]}" || e2e_fail "cannot map the keys $*"
}
# The Polish letters, lower and upper case.
e2e_map_polish_keys() {
    e2e_map_keys "aogonek Aogonek" "cacute Cacute" "eogonek Eogonek" "lstroke Lstroke" "nacute Nacute" \
        "oacute Oacute" "sacute Sacute" "zacute Zacute" "zabovedot Zabovedot"
}

# The bytes of a UTF-8 text in Windows-1250, as upper-case hex (what a program
# that prints its strings in hex shows for it).
e2e_cp1250_hex() { printf '%s' "$1" | iconv -f UTF-8 -t CP1250 | od -An -tx1 | tr -d ' \n' | tr a-f A-F; }

# The ink of a w x h region at (x, y) of the last screenshot: its dark pixels (text
# on a light ground) as a black-on-white picture cut to their bounding box, in out.
# The grey levels are stretched first, so that the same text on a white field and
# on the button face gives the same picture.
e2e_ink() {
    convert "$E2E_SHOT" -crop "${3}x${4}+${1}+${2}" +repage -colorspace Gray -normalize -threshold 50% -trim +repage "$5" \
        2>>"$E2E_DIR/import.log"
}
# Number of ink pixels in a region of the last screenshot.
e2e_ink_count() {
    convert "$E2E_SHOT" -crop "${3}x${4}+${1}+${2}" +repage -colorspace Gray -threshold 50% -negate \
        -format '%[fx:round(mean*w*h)]' info: 2>>"$E2E_DIR/import.log"
}
# Number of pixels of exactly one colour (#RRGGBB) in a region of the last screenshot.
e2e_count_color() {
    convert "$E2E_SHOT" -crop "${3}x${4}+${1}+${2}" +repage -fill black +opaque "$5" -fill white -opaque "$5" \
        -colorspace Gray -format '%[fx:round(mean*w*h)]' info: 2>>"$E2E_DIR/import.log"
}

# Pixels in which two ink pictures differ; "size" when their sizes differ.
e2e_ink_diff() {
    local a b
    a=$(identify -format '%wx%h' "$1" 2>/dev/null) b=$(identify -format '%wx%h' "$2" 2>/dev/null)
    if [ -z "$a" ] || [ "$a" != "$b" ]; then
        echo size
        return
    fi
    compare -metric AE "$1" "$2" null: 2>&1 | sed 's/ .*//'
}

# The x positions of the right edges of the buttons of the dialog look that cross
# row y of the last screenshot between x0 and x1: their outer frame's dark shadow
# (#404040) is the only pixel of that colour in a button's row above its text.
e2e_button_edges() {
    local y=$1 x0=$2 x1=$3
    od -An -tx1 -v -w3 -j $(((y * E2E_SCREEN_W + x0) * 3)) -N $(((x1 - x0 + 1) * 3)) "${E2E_SHOT%.png}.rgb" |
        awk -v x0="$x0" '$1 == "40" && $2 == "40" && $3 == "40" { print x0 + NR - 1 }'
}
