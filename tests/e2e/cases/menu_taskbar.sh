# Under a window manager with a taskbar along the bottom of the screen (icewm) the
# menu, which fills a 1024 x 768 screen, asks for the whole screen and gets it: the
# taskbar stays below it, the bottom row of links shows as the menu draws it, and a
# click on a link reaches the menu, which minimises to the taskbar and comes back
# over it.
E2E_SCREEN=1024x768
E2E_WM=icewm

opened_lines() { [ "$(wc -l <"$E2E_DIR/opened")" -ge "$1" ]; }

e2e_case() {
    . "$here/menu_lib.sh"
    mkdir -p "$E2E_DIR/bin"
    : >"$E2E_DIR/opened"
    cat >"$E2E_DIR/bin/xdg-open" <<STANDIN
#!/bin/sh
printf '%s\n' "\$*" >>"$E2E_DIR/opened"
exit 0
STANDIN
    chmod +x "$E2E_DIR/bin/xdg-open"
    menu_start PATH="$E2E_DIR/bin:$PATH"
    e2e_wait_geometry "$MENU_WID" 0 0 1024 768
    e2e_until "$E2E_WAIT" eval 'e2e_window_state "$MENU_WID" | grep -q _NET_WM_STATE_FULLSCREEN' ||
        e2e_fail "not full-screen: $(e2e_window_state "$MENU_WID")"
    # shellcheck disable=SC2086
    menu_wait_region first $MENU_SHOT_TOP "$(menu_small malarz1.jpg)"
    # The links' row is the skin's, as the menu's own screenshot in docs/ shows it
    # (the banners there are chosen at random; this row is not).
    menu_wait_region links 268 740 480 28 "$here/../../docs/screenshot.png" 268 740

    # "Wydawca", the first link: the opener gets the publisher's address.
    e2e_click 308 752
    e2e_until "$E2E_WAIT" opened_lines 1 || e2e_fail "a click on the bottom link did not reach the menu"
    [ "$(sed -n 1p "$E2E_DIR/opened")" = "http://www.wydawnictwo-vemi.pl" ] ||
        e2e_fail "the link opened '$(sed -n 1p "$E2E_DIR/opened")'"
    e2e_until "$E2E_WAIT" menu_is_iconic "$MENU_WID" || e2e_fail "the menu did not minimise after opening the link"
    menu_restore "$(menu_small malarz1.jpg)"
    # Back from the taskbar it covers the taskbar again; the screen is kept as
    # taskbar.png (docs/menu-icewm.png).
    menu_wait_region restored-links 268 740 480 28 "$here/../../docs/screenshot.png" 268 740
    cp "$E2E_SHOT" "$E2E_DIR/taskbar.png"

    e2e_click $MENU_CLOSE
    e2e_expect_exit 0
}
