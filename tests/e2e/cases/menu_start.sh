# The menu as it starts: on a 1024 x 768 screen it fills the screen, borderless and
# full-screen (which keeps it above the others while it is used), with the first program selected; on 1280 x 1024 it is centred with round
# corners and is an ordinary window. The whole window is kept as window.png.
E2E_SCREEN=1024x768

e2e_case() {
    . "$here/menu_lib.sh"
    menu_start
    e2e_wait_geometry "$MENU_WID" 0 0 1024 768
    e2e_expect_borderless "$MENU_WID"
    e2e_until "$E2E_WAIT" eval 'e2e_window_state "$MENU_WID" | grep -q _NET_WM_STATE_FULLSCREEN' ||
        e2e_fail "not full-screen: $(e2e_window_state "$MENU_WID")"
    # The program's icon for the taskbar, the 32-pixel one among its sizes, and a
    # class the desktop can group its windows by.
    xprop -id "$MENU_WID" _NET_WM_ICON | grep -q 'Icon (32 x 32)' ||
        e2e_fail "no 32 x 32 icon: $(xprop -id "$MENU_WID" _NET_WM_ICON | grep -o 'Icon ([0-9 x]*)' | tr '\n' ' ')"
    [ "$(xprop -id "$MENU_WID" WM_CLASS)" = 'WM_CLASS(STRING) = "vemi32", "Vemi32"' ] ||
        e2e_fail "window class $(xprop -id "$MENU_WID" WM_CLASS)"
    # The first program of the catalogue (Malarz 3) is selected: its small
    # screenshot fills the box, exactly as libjpeg decodes the disc's file.
    # shellcheck disable=SC2086
    menu_wait_region start $MENU_SHOT_TOP "$(menu_small malarz1.jpg)"
    # Nothing of the black root shows: the skin covers the window's corners.
    local corner x y
    for x in 0 1023; do
        for y in 0 767; do
            corner=$(e2e_pixel $x $y)
            [ "$corner" != '#000000' ] || e2e_fail "window corner $x,$y is black: the skin does not reach it"
        done
    done
    import -window "$MENU_WID" "$E2E_DIR/window.png" || e2e_fail "cannot take the window's picture"
    [ "$(identify -format '%wx%h' "$E2E_DIR/window.png")" = 1024x768 ] || e2e_fail "window picture of the wrong size"
    # Pixels to find again on the large screen, away from the banners (which are
    # chosen at random): the frame's middle edges and the title strip.
    local top left title
    top=$(e2e_pixel 512 0)
    left=$(e2e_pixel 0 384)
    title=$(e2e_pixel 500 120)
    e2e_click $MENU_CLOSE
    e2e_expect_exit 0

    # A larger screen: the window is centred, 1024 x 768 at (128, 128), not on top,
    # its corners cut round so that the root shows there.
    e2e_start_display 1280 1024
    e2e_start_wm
    menu_start
    e2e_wait_geometry "$MENU_WID" 128 128 1024 768
    e2e_expect_borderless "$MENU_WID"
    if e2e_window_state "$MENU_WID" | grep -Eq 'ABOVE|FULLSCREEN'; then e2e_fail "the centred window is on top"; fi
    # shellcheck disable=SC2086
    menu_wait_region large $((128 + 756)) $((128 + 141)) 256 160 "$(menu_small malarz1.jpg)"
    e2e_expect_pixel 128 128 '#000000' 'top-left corner cut'
    e2e_expect_pixel 1151 128 '#000000' 'top-right corner cut'
    e2e_expect_pixel 128 895 '#000000' 'bottom-left corner cut'
    e2e_expect_pixel 1151 895 '#000000' 'bottom-right corner cut'
    e2e_expect_pixel 127 512 '#000000' 'left of the window'
    e2e_expect_pixel $((128 + 512)) 128 "$top" 'top edge middle = client 512,0'
    e2e_expect_pixel 128 $((128 + 384)) "$left" 'left edge middle = client 0,384'
    e2e_expect_pixel $((128 + 500)) $((128 + 120)) "$title" 'title strip = client 500,120'
    e2e_click $((128 + 1005)) $((128 + 121))
    e2e_expect_exit 0
}
