# The same off-screen placement with no window manager at all: FLTK alone would keep
# the window on the screen; it must still hang over the edges, shaped, and take
# clicks and keys, and a minimised window (which nothing can iconify) must come
# back at the next click.
E2E_SCREEN=1000x700
E2E_NO_WM=1

e2e_case() {
    e2e_start_app "$E2E_DEMO" --pos -146 -63 --top --shape rect 273 113 1018 713 --close 300 130 40 30
    e2e_wait_line '^ready -146 -63 1024 768 screen 1000 700$'
    e2e_wait_window --pid "$E2E_APP_PID"
    local wid=$E2E_WID
    e2e_wait_geometry "$wid" -146 -63 1024 768

    e2e_wait_pixel 127 50 '#117180' 'core top-left = client 273,113' placed
    e2e_expect_pixel 126 50 '#000000' 'left of the shape'
    e2e_expect_pixel 871 649 '#F9C880' 'core bottom-right = client 1017,712'
    e2e_expect_pixel 872 649 '#000000' 'right of the shape'

    e2e_mark
    e2e_click 500 300
    e2e_wait_new_line '^up left 646 363 -$'
    e2e_key m
    e2e_wait_new_line '^minimized$'
    e2e_mark
    e2e_click 510 300
    e2e_wait_new_line '^up left 656 363 -$'
    e2e_new_lines | grep -qx 'restored' || e2e_fail "a click did not bring the application back"

    e2e_click 160 75
    e2e_wait_line '^close$'
    e2e_expect_exit 0
}
