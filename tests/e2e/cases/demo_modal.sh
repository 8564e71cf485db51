# A modal window takes all input while the main window rests; the application
# minimises and comes back through the window manager.
E2E_SCREEN=1024x768

e2e_case() {
    e2e_start_app "$E2E_DEMO" --pos 0 0
    e2e_wait_line '^ready 0 0 1024 768 screen 1024 768$'
    e2e_wait_window --pid "$E2E_APP_PID" --name '^e2e_demo$'
    local main=$E2E_WID
    e2e_wait_pixel 500 400 '#F49080' 'canvas' placed
    e2e_click 500 400
    e2e_wait_line '^up left 500 400'
    # V opens a 200 x 100 modal window at (600, 500).
    e2e_key v
    e2e_wait_line '^modal open$'
    e2e_wait_window --name '^e2e_modal$'
    e2e_wait_geometry "$E2E_WID" 600 500 200 100
    e2e_wait_pixel 650 520 '#FFFFFF' 'modal window' modal
    # The main window rests: the hook sees the click, the window does not.
    e2e_mark
    e2e_click 100 100
    e2e_wait_new_line '^hook up left 100 100 key 0$'
    sleep 0.2
    e2e_new_lines | grep -q '^down' && e2e_fail "the main window took input under a modal window"
    # The click must not bring the full-screen main window over its modal window.
    e2e_shot modal-after-click
    e2e_expect_pixel 650 520 '#FFFFFF' 'modal window still above the main window'
    # A click in the modal window closes it and the main window takes input again.
    e2e_click 650 520
    e2e_wait_line '^modal up left 50 20$'
    e2e_wait_line '^modal done$'
    e2e_mark
    e2e_click 100 100
    e2e_wait_new_line '^up left 100 100 -$'

    # M minimises; the window manager's activation brings it back and repaints.
    e2e_key m
    e2e_wait_line '^minimized$'
    e2e_until "$E2E_WAIT" eval 'xwininfo -id "$main" | grep -q IsUnMapped' || e2e_fail "window still mapped after minimising"
    e2e_mark
    xdotool windowactivate "$main"
    e2e_wait_new_line '^restored$'
    e2e_wait_new_line '^paint$'
    e2e_until "$E2E_WAIT" eval 'xwininfo -id "$main" | grep -q IsViewable' || e2e_fail "window not back"

    e2e_click 30 30
    e2e_wait_line '^close$'
    e2e_expect_exit 0
}
