# A dense screen: 2048 x 1536 with the desktop's Xft.dpi at 192. The menu shows every
# pixel as 2 x 2: its window is the whole screen, which halved is pixel for pixel
# the menu at its own size (taken first, with VEMI_SCALE=1, on the same screen); a
# click at doubled coordinates selects the same row, the installer opens at twice
# its size, takes a click on its button at doubled coordinates, and its question is
# twice its size too. The screen with the installer open, halved, is kept
# as hidpi.png (docs/menu-hidpi.png).
E2E_SCREEN=2048x1536

# The question the wizard asks before it stops: a window of the menu's title.
find_question() {
    local w
    for w in $(xdotool search --onlyvisible --name '^VEMI32$' 2>/dev/null); do
        [ "$w" != "$MENU_WID" ] && QUESTION=$w && return 0
    done
    return 1
}

# The whole screen as raw pixels: a PNG of this size takes a second to write.
big_shot() {
    E2E_SHOT="$E2E_DIR/$1.ppm"
    import -window root "$E2E_SHOT" 2>>"$E2E_DIR/import.log" || e2e_fail "screenshot $1 failed"
}

e2e_case() {
    . "$here/menu_lib.sh"
    echo 'Xft.dpi: 192' | xrdb -merge || e2e_fail "cannot set Xft.dpi"
    # Away from the banners (chosen at random at each start) and the corners (cut
    # round on the large screen), at twice the size.
    local plain_part="1508x1306+526+216"

    # Scaling turned off: the 1024 x 768 window, centred on the large screen.
    menu_start VEMI_SCALE=1
    e2e_wait_geometry "$MENU_WID" 512 384 1024 768
    import -window "$MENU_WID" "$E2E_DIR/plain.ppm" 2>>"$E2E_DIR/import.log" || e2e_fail "cannot take the window's picture"
    convert "$E2E_DIR/plain.ppm" -sample 200% "$E2E_DIR/plain2x.ppm"
    e2e_click $((512 + 1005)) $((384 + 121))
    e2e_expect_exit 0

    # The desktop's density: the window is the screen, and shows the plain window's
    # picture with every pixel a 2 x 2 square.
    menu_start
    e2e_wait_geometry "$MENU_WID" 0 0 2048 1536
    e2e_until "$E2E_WAIT" eval 'e2e_window_state "$MENU_WID" | grep -q _NET_WM_STATE_FULLSCREEN' ||
        e2e_fail "not full-screen: $(e2e_window_state "$MENU_WID")"
    big_shot scaled
    local diff
    diff=$(compare -metric AE "$E2E_SHOT[$plain_part]" "$E2E_DIR/plain2x.ppm[$plain_part]" null: 2>&1)
    [ "$diff" = 0 ] || e2e_fail "the screen differs from the plain window doubled in $diff pixels"

    # Biuro Domowe 2007, the second row of the list, at doubled coordinates: its
    # screenshot, doubled, fills the doubled box.
    convert "$(menu_small biuro1.jpg)" -sample 200% "$E2E_DIR/biuro2x.ppm"
    e2e_click $((2 * $(menu_row_x 1))) $((2 * $(menu_row_y 2) + 1))
    local deadline=$((SECONDS + E2E_WAIT))
    until big_shot row && menu_region_is $((2 * 756)) $((2 * 141)) 512 320 "$E2E_DIR/biuro2x.ppm"; do
        [ "$SECONDS" -ge "$deadline" ] && e2e_fail "a click on the doubled row did not select Biuro Domowe 2007"
        sleep 0.1
    done

    # Back to Malarz 3; its install button opens the wizard, twice its size.
    e2e_click $((2 * $(menu_row_x 1))) $((2 * $(menu_row_y 1)))
    sleep 0.5
    menu_open_wizard install $((2 * 829)) $((2 * 364))
    [ "$E2E_W" -eq 1004 ] && [ "$E2E_H" -eq 708 ] || e2e_fail "the wizard is ${E2E_W}x$E2E_H, not 1004x708"
    local cx=$((E2E_X + E2E_W / 2))
    [ $((cx - 1024)) -le 4 ] && [ $((1024 - cx)) -le 4 ] || e2e_fail "the wizard is not centred across ($E2E_X)"
    # Its header band's white reaches twice as far down.
    e2e_until "$E2E_WAIT" eval 'e2e_shot wizard; [ "$(e2e_pixel $((E2E_X + 600)) $((E2E_Y + 90)))" = "#FFFFFF" ]' ||
        e2e_fail "the wizard's header band is not twice its height"
    convert "$E2E_SHOT" -resize 50% "$E2E_DIR/hidpi.png"

    # Its "Anuluj" button, at doubled client coordinates, asks first, in a box at
    # twice its size; Enter answers "Tak".
    e2e_click_client "$WIZ" $((2 * (416 + 37))) $((2 * (320 + 12)))
    e2e_until "$E2E_WAIT" find_question || e2e_fail "closing the wizard asked nothing"
    e2e_wait_geometry_settled "$QUESTION"
    [ "$E2E_H" -eq 220 ] || e2e_fail "the question is ${E2E_W}x$E2E_H, not 220 high"
    xdotool windowactivate --sync "$QUESTION" 2>/dev/null || true
    e2e_key Return
    e2e_until "$E2E_WAIT" menu_wizard_gone || e2e_fail "the wizard stayed after the answer"

    e2e_click $((2 * 1005)) $((2 * 121))
    e2e_expect_exit 0
}
