# Under a Wayland compositor (weston) the menu runs on its Xwayland, and the
# compositor decides where a window goes: the menu, which fills a 1024 x 768
# screen, asks for the whole screen and so lies at its origin, whole, and the close
# button ends it. Screenshots and input go through the compositor's own screen.
E2E_SCREEN=1024x768
E2E_WM=weston

e2e_case() {
    . "$here/menu_lib.sh"
    menu_start
    e2e_until "$E2E_WAIT" eval 'e2e_window_state "$MENU_WID" | grep -q _NET_WM_STATE_FULLSCREEN' ||
        e2e_fail "not full-screen: $(e2e_window_state "$MENU_WID")"
    # The screenshot box where the window's own coordinates put it: the window's
    # corner is the screen's.
    # shellcheck disable=SC2086
    menu_wait_region start $MENU_SHOT_TOP "$(menu_small malarz1.jpg)"
    # Title strip and link row on the screen as in the menu's own screenshot.
    menu_wait_region title 273 113 745 20 "$here/../../docs/screenshot.png" 273 113
    menu_wait_region links 268 740 480 28 "$here/../../docs/screenshot.png" 268 740
    # The frame's top edge and bottom-right corner reach the screen's edges.
    menu_wait_region top-edge 0 0 1024 7 "$here/../../docs/screenshot.png" 0 0
    menu_wait_region corner 990 740 34 28 "$here/../../docs/screenshot.png" 990 740
    e2e_click $MENU_CLOSE
    e2e_expect_exit 0
}
