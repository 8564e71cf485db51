# Under a Wayland compositor (weston) the menu runs on its Xwayland, and the
# compositor decides where a window goes: the menu, which fills a 1024 x 768
# screen, asks for the whole screen and so lies at its origin, whole, and the close
# button ends it; the screen is kept as wayland.png (docs/menu-wayland.png). The
# picture viewer, the size of the screen, lies at its origin as well. On a
# 1280 x 1024 screen the menu is an ordinary window, which the compositor places
# where it likes: all of it on the screen, and its close button ends it there.
# Screenshots and input go through the compositor's own screen.
E2E_SCREEN=1024x768
E2E_WM=weston

e2e_case() {
    . "$here/menu_lib.sh"
    local docs="$here/../../docs/screenshot.png"
    menu_start
    # weston draws its pointer into the screenshots, where it last knew it: a place
    # of our own, away from the regions compared.
    e2e_move 600 450
    e2e_until "$E2E_WAIT" eval 'e2e_window_state "$MENU_WID" | grep -q _NET_WM_STATE_FULLSCREEN' ||
        e2e_fail "not full-screen: $(e2e_window_state "$MENU_WID")"
    # The screenshot box where the window's own coordinates put it: the window's
    # corner is the screen's.
    # shellcheck disable=SC2086
    menu_wait_region start $MENU_SHOT_TOP "$(menu_small malarz1.jpg)"
    # Title strip and link row on the screen as in the menu's own screenshot.
    menu_wait_region title 273 113 745 20 "$docs" 273 113
    menu_wait_region links 268 740 480 28 "$docs" 268 740
    # The frame's top edge and bottom-right corner reach the screen's edges.
    menu_wait_region top-edge 0 0 1024 7 "$docs" 0 0
    menu_wait_region corner 990 740 34 28 "$docs" 990 740
    cp "$E2E_SHOT" "$E2E_DIR/wayland.png"
    # The picture viewer covers the screen too, its picture in the middle; Escape
    # closes it.
    e2e_click 880 200
    e2e_wait_window --name '^IMG_FRM$'
    menu_wait_region viewer 112 84 800 600 "$(menu_large malarz1.jpg)"
    e2e_key Escape
    # (weston's screenshots show the pointer)
    e2e_move 500 300
    # shellcheck disable=SC2086
    menu_wait_region back $MENU_SHOT_TOP "$(menu_small malarz1.jpg)"
    e2e_click $MENU_CLOSE
    e2e_expect_exit 0

    # 1280 x 1024: the centred window of mode 1025, wherever weston puts it.
    e2e_next_screen 1280 1024
    menu_start
    e2e_wait_geometry_settled "$MENU_WID"
    local x=$E2E_X y=$E2E_Y
    [ "$E2E_W" = 1024 ] && [ "$E2E_H" = 768 ] || e2e_fail "the window is ${E2E_W}x$E2E_H"
    [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + 1024)) -le 1280 ] && [ $((y + 768)) -le 1024 ] ||
        e2e_fail "the window at $x,$y hangs over the screen's edges"
    # On the screen where the window says it is: the screenshot box, the title
    # strip, the link row and the frame's right edge by the close button.
    menu_wait_region large $((x + 756)) $((y + 141)) 256 160 "$(menu_small malarz1.jpg)"
    menu_wait_region large-title $((x + 273)) $((y + 113)) 745 20 "$docs" 273 113
    menu_wait_region large-links $((x + 268)) $((y + 740)) 480 28 "$docs" 268 740
    menu_wait_region large-right $((x + 1010)) $((y + 100)) 14 600 "$docs" 1010 100
    e2e_click $((x + 1005)) $((y + 121))
    e2e_expect_exit 0
}
