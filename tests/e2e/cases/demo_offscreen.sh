# A borderless window hanging over the top-left edge of a 1000 x 700 screen, cut to
# its 745 x 600 core: where it is, what shows, where clicks land.
E2E_SCREEN=1000x700

e2e_case() {
    # Client pixel (x, y) is drawn as #(x mod 256)(y mod 256)80; the close
    # rectangle green; the hook swallows mouse input in a rectangle of its own.
    e2e_start_app "$E2E_DEMO" --pos -146 -63 --shape rect 273 113 1018 713 \
        --close 300 130 40 30 --swallow 900 600 50 50
    e2e_wait_line '^ready -146 -63 1024 768 screen 1000 700$'
    e2e_wait_window --pid "$E2E_APP_PID"
    local wid=$E2E_WID
    e2e_wait_geometry "$wid" -146 -63 1024 768
    e2e_expect_borderless "$wid"
    if e2e_window_state "$wid" | grep -q SKIP_TASKBAR; then e2e_fail "window kept out of the taskbar"; fi

    # The core's corners and the pixels just outside them (the black root shows).
    e2e_wait_pixel 127 50 '#117180' 'core top-left = client 273,113' placed
    e2e_expect_pixel 126 50 '#000000' 'left of the shape'
    e2e_expect_pixel 127 49 '#000000' 'above the shape'
    e2e_expect_pixel 871 649 '#F9C880' 'core bottom-right = client 1017,712'
    e2e_expect_pixel 872 649 '#000000' 'right of the shape'
    e2e_expect_pixel 871 650 '#000000' 'below the shape'
    e2e_expect_pixel 500 300 '#866B80' 'client 646,363'
    e2e_expect_pixel 160 75 '#00FF00' 'close rectangle'

    # Clicks arrive in client coordinates, after the hook saw them on the screen.
    e2e_mark
    e2e_click 500 300
    e2e_wait_new_line '^up left 646 363 -$'
    e2e_new_lines | grep -qx 'hook down left 500 300 key 0' || e2e_fail "hook did not see the press first"
    e2e_new_lines | grep -qx 'down left 646 363 l' || e2e_fail "press not at client 646,363"
    e2e_mark
    e2e_click 510 310 3
    e2e_wait_new_line '^up right 656 373 -$'
    e2e_new_lines | grep -qx 'down right 656 373 r' || e2e_fail "right press wrong"

    # A drag reports the held button.
    e2e_mark
    e2e_move 400 400
    xdotool mousedown 1
    e2e_move 420 410
    xdotool mouseup 1
    e2e_wait_new_line '^up left 566 473 -$'
    e2e_new_lines | grep -qx 'drag 566 473 l' || e2e_fail "drag not reported"

    # The wheel: +1 a notch up, -1 down, with the pointer's screen position.
    e2e_mark
    e2e_click 500 300 4
    e2e_click 500 300 5
    e2e_wait_new_line '^wheel -1 500 300$'
    e2e_new_lines | grep -qx 'wheel 1 500 300' || e2e_fail "wheel up missing"

    # What the hook swallows never reaches the window.
    e2e_mark
    e2e_click 770 550
    e2e_wait_new_line '^hook up left 770 550 key 0 swallowed$'
    e2e_new_lines | grep -q '^down' && e2e_fail "swallowed press reached the window"

    # Keys as Windows key codes, modifiers after the key itself.
    e2e_mark
    e2e_key a
    e2e_key shift+Return
    e2e_key Down
    e2e_wait_new_line '^keyup 40 -$'
    e2e_new_lines | grep -qx 'keydown 65 -' || e2e_fail "letter key wrong"
    e2e_new_lines | grep -qx 'keydown 16 S' || e2e_fail "shift key wrong"
    e2e_new_lines | grep -qx 'keydown 13 S' || e2e_fail "shift+Enter wrong"

    # A click in the close rectangle ends the program with code 0.
    e2e_click 160 75
    e2e_wait_line '^close$'
    e2e_expect_exit 0
}
