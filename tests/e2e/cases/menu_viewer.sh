# The picture viewer: a click on the screenshot shows the program's large pictures
# full-screen on black, each click the next one, the click on the last one closes
# the viewer; Escape closes it too. The menu takes input again afterwards.
E2E_SCREEN=1024x768

viewer_gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }

e2e_case() {
    . "$here/menu_lib.sh"
    menu_start
    # Biuro Domowe 2007 (row 2) has three large pictures of 800 x 600.
    e2e_click "$(menu_row_x 1)" "$(menu_row_y 2)"
    # shellcheck disable=SC2086
    menu_wait_region biuro $MENU_SHOT_BOX "$(menu_small biuro1.jpg)"
    e2e_click 880 200
    e2e_wait_window --name '^IMG_FRM$'
    local viewer=$E2E_WID
    e2e_wait_geometry "$viewer" 0 0 1024 768
    e2e_expect_borderless "$viewer"
    # The size of the screen, it asks for the whole screen, which keeps it above the
    # others while it is in use.
    e2e_until "$E2E_WAIT" eval 'e2e_window_state "$viewer" | grep -q _NET_WM_STATE_FULLSCREEN' ||
        e2e_fail "the viewer is not full-screen: $(e2e_window_state "$viewer")"

    # Centred: (1024 - 800) / 2 = 112, (768 - 600) / 2 = 84, black all around.
    local n
    for n in 1 2 3; do
        menu_wait_region "picture$n" 112 84 800 600 "$(menu_large "biuro$n.jpg")"
        e2e_expect_pixel 111 300 '#000000' 'left of the picture'
        e2e_expect_pixel 912 300 '#000000' 'right of the picture'
        e2e_expect_pixel 500 83 '#000000' 'above the picture'
        e2e_expect_pixel 500 684 '#000000' 'below the picture'
        e2e_expect_pixel 0 0 '#000000' 'screen corner'
        e2e_expect_pixel 1023 767 '#000000' 'screen corner'
        e2e_click 500 400
    done
    # The third click closed the viewer; the menu is back and takes clicks.
    e2e_until "$E2E_WAIT" viewer_gone "$viewer" || e2e_fail "the viewer did not close after the last picture"
    # shellcheck disable=SC2086
    menu_wait_region back $MENU_SHOT_BOX "$(menu_small biuro1.jpg)"
    e2e_click "$(menu_row_x 1)" "$(menu_row_y 3)"
    # shellcheck disable=SC2086
    menu_wait_region kreator $MENU_SHOT_BOX "$(menu_small kreator1.jpg)"

    # Kreator's one picture is 1600 x 1200: drawn from the corner, cut at the edges.
    # Escape closes the viewer without a click.
    e2e_click 880 200
    e2e_wait_window --name '^IMG_FRM$'
    viewer=$E2E_WID
    menu_wait_region large 0 0 1024 768 "$(menu_large kreator1.jpg)"
    xdotool windowactivate --sync "$viewer" 2>/dev/null || true
    e2e_key Escape
    e2e_until "$E2E_WAIT" viewer_gone "$viewer" || e2e_fail "Escape did not close the viewer"
    # shellcheck disable=SC2086
    menu_wait_region escaped $MENU_SHOT_BOX "$(menu_small kreator1.jpg)"
    # The keyboard reaches the list again: Down selects Archiwizer Pro 5.
    xdotool windowactivate --sync "$MENU_WID" 2>/dev/null || true
    e2e_key Down
    # shellcheck disable=SC2086
    menu_wait_region archiwizer $MENU_SHOT_BOX "$(menu_small archiwizer1.jpg)"

    e2e_click $MENU_CLOSE
    e2e_expect_exit 0
}
