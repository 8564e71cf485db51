# The centred window of a large screen: 1024 x 768 at (128, 128) with elliptic
# corners, an ordinary window (not on top).
E2E_SCREEN=1280x1024

e2e_case() {
    e2e_start_app "$E2E_DEMO" --pos 128 128 --shape round 0 0 1025 769 15 15 --close 600 300 50 50
    e2e_wait_line '^ready 128 128 1024 768 screen 1280 1024$'
    e2e_wait_window --pid "$E2E_APP_PID"
    local wid=$E2E_WID
    e2e_wait_geometry "$wid" 128 128 1024 768
    e2e_expect_borderless "$wid"
    if e2e_window_state "$wid" | grep -q ABOVE; then e2e_fail "window is on top"; fi

    e2e_wait_pixel 135 135 '#070780' 'client 7,7 inside the corner' placed
    e2e_expect_pixel 128 128 '#000000' 'top-left corner cut'
    e2e_expect_pixel 130 128 '#000000' 'top edge near the corner cut'
    e2e_expect_pixel 128 130 '#000000' 'left edge near the corner cut'
    e2e_expect_pixel 640 128 '#000080' 'top edge middle = client 512,0'
    e2e_expect_pixel 128 512 '#008080' 'left edge middle = client 0,384'
    e2e_expect_pixel 1151 895 '#000000' 'bottom-right corner cut'
    e2e_expect_pixel 1144 888 '#F8F880' 'client 1016,760 inside the corner'
    e2e_expect_pixel 127 512 '#000000' 'left of the window'

    e2e_mark
    e2e_click 728 528
    e2e_wait_new_line '^up left 600 400 -$'
    e2e_click 750 450
    e2e_wait_line '^close$'
    e2e_expect_exit 0
}
