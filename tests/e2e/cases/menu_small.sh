# Screens smaller than the menu's window: on 800 x 600 it shows an 800-pixel strip,
# on 1000 x 700 its core alone, centred. Its window hangs over the screen's edges,
# which desktops that place windows themselves refuse, so it covers the screen
# instead: the system's window is the screen, showing what the screen showed of the
# menu before, the menu's own picture (as docs/screenshot.png has it, and the core
# the same pixels on both screens). Clicks land where they did; dragging the title
# strip of the centred core moves the picture within the window. The same case
# runs under weston (menu_small_wayland).
E2E_SCREEN=800x600

# The core without its frame line, in client pixels: (274, 114), 743 x 598.
CORE="743x598"

# Whether the core's interior shows at screen (x, y) as it did on the 800 x 600
# screen (the picture strip.png, at (28, 1)).
core_at() {
    e2e_shot "$3"
    [ "$(compare -metric AE "$E2E_SHOT[$CORE+$1+$2]" "$E2E_DIR/strip.png[$CORE+28+1]" null: 2>&1)" = 0 ]
}
wait_core_at() {
    e2e_until "$E2E_WAIT" core_at "$@" ||
        e2e_fail "$3: the core at $1,$2 differs from the strip's in $(compare -metric AE "$E2E_SHOT[$CORE+$1+$2]" "$E2E_DIR/strip.png[$CORE+28+1]" null: 2>&1) pixels"
}
# The pointer over the same client pixel on every screen, so that the same part of
# the menu is lit (and under weston, whose screenshots show the pointer, it is in
# the same place of the picture).
rest_pointer() {
    e2e_move $((512 + $1)) $((384 + $2))
}

covers_screen() {
    e2e_wait_geometry "$MENU_WID" 0 0 "$1" "$2"
    # (weston's window manager keeps no frame extents)
    [ "$E2E_WM" = weston ] || e2e_expect_borderless "$MENU_WID"
    e2e_until "$E2E_WAIT" eval 'e2e_window_state "$MENU_WID" | grep -q _NET_WM_STATE_FULLSCREEN' ||
        e2e_fail "not full-screen: $(e2e_window_state "$MENU_WID")"
}

e2e_case() {
    . "$here/menu_lib.sh"
    # 800 x 600: the strip from client (246, 113) fills the screen.
    menu_start
    covers_screen 800 600
    rest_pointer -246 -113
    menu_wait_region strip 28 1 743 598 "$here/../../docs/screenshot.png" 274 114
    # A row of the list, then the close button, at the same client pixels.
    e2e_click $(($(menu_row_x 1) - 246)) $(($(menu_row_y 2) - 113))
    menu_wait_region selected $((756 - 246)) $((141 - 113)) 256 160 "$(menu_small biuro1.jpg)"
    e2e_click $((1005 - 246)) $((121 - 113))
    e2e_expect_exit 0

    # 1000 x 700: the core alone, at (127, 50); black around it.
    e2e_next_screen 1000 700
    menu_start
    covers_screen 1000 700
    rest_pointer -146 -63
    wait_core_at 128 51 core
    e2e_expect_pixel 126 300 '#000000' 'left of the core'
    e2e_expect_pixel 500 651 '#000000' 'below the core'
    # Dragged by the title strip 40 to the right and 30 down: the window stays, the
    # core moves, and where it was shows black.
    local seat=${E2E_SEAT_DISPLAY:-$DISPLAY}
    e2e_move $((500 - 146)) $((120 - 63))
    DISPLAY=$seat xdotool mousedown 1
    e2e_move $((500 - 146 + 20)) $((120 - 63 + 15))
    e2e_move $((500 - 146 + 40)) $((120 - 63 + 30))
    DISPLAY=$seat xdotool mouseup 1
    rest_pointer $((40 - 146)) $((30 - 63))
    wait_core_at 168 81 dragged
    e2e_expect_geometry "$MENU_WID" 0 0 1000 700
    e2e_expect_pixel 140 60 '#000000' 'where the core was'
    e2e_click $((1005 - 146 + 40)) $((121 - 63 + 30))
    e2e_expect_exit 0
}
