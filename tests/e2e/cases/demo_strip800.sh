# An 800 x 600 screen: a 1052 x 768 window at (-246, -113), larger than the
# screen, on top and asking for the whole screen, cut to the 800 x 600 strip that
# fills the screen. The system's window is the screen; it shows the strip where
# the window's bounds put it and takes clicks at the same client pixels.
E2E_SCREEN=800x600

e2e_case() {
    e2e_start_app "$E2E_DEMO" --pos -246 -113 --size 1052 768 --top --full --shape rect 246 113 1046 713 \
        --close 700 150 40 40
    e2e_wait_line '^ready -246 -113 1052 768 screen 800 600$'
    e2e_wait_line '^scale 1$'
    e2e_wait_window --pid "$E2E_APP_PID"
    local wid=$E2E_WID
    e2e_wait_geometry "$wid" 0 0 800 600
    e2e_expect_borderless "$wid"
    e2e_until "$E2E_WAIT" eval 'e2e_window_state "$wid" | grep -q _NET_WM_STATE_FULLSCREEN' ||
        e2e_fail "not full-screen: $(e2e_window_state "$wid")"

    e2e_wait_pixel 0 0 '#F67180' 'screen corner = client 246,113' placed
    e2e_expect_pixel 799 599 '#15C880' 'opposite corner = client 1045,712'
    e2e_expect_pixel 400 300 '#869D80' 'middle = client 646,413'

    e2e_mark
    e2e_click 10 20
    e2e_wait_new_line '^up left 256 133 -$'
    e2e_new_lines | grep -qx 'hook down left 10 20 key 0' || e2e_fail "the hook did not see the press at its screen place"
    e2e_click 470 50
    e2e_wait_line '^close$'
    e2e_expect_exit 0
}
