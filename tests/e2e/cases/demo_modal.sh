# A modal window takes all input; the application minimises and comes back through
# the window manager; timers repeat until killed; the overlay panel shows while the
# Ctrl+Shift+Alt chord is held.
E2E_SCREEN=1024x768

e2e_case() {
    e2e_start_app "$E2E_DEMO" --pos 0 0 --timer 100 3
    e2e_wait_line '^ready 0 0 1024 768 screen 1024 768$'
    e2e_wait_window --pid "$E2E_APP_PID" --name '^e2e_demo$'
    local main=$E2E_WID

    # Three ticks about 100 ms apart, then the timer is dead.
    e2e_wait_line '^tick 3$' 3
    sleep 0.4
    e2e_no_line '^tick 4$'

    # The overlay: black, a lowered bevel, gone at the first key release.
    e2e_click 500 400
    e2e_wait_line '^up left 500 400'
    e2e_mark
    xdotool keydown ctrl keydown shift keydown alt keydown d
    e2e_wait_new_line '^overlay on$'
    e2e_wait_pixel 680 160 '#000000' 'inside the panel' overlay
    e2e_expect_pixel 280 143 '#808080' 'shadow at the top-left'
    e2e_expect_pixel 720 175 '#FFFFFF' 'light at the bottom-right'
    e2e_expect_pixel 279 143 '#178F80' 'left of the panel'
    e2e_new_lines | grep -qx 'keydown 68 SCA' || e2e_fail "chord key not reported with its modifiers"
    xdotool keyup d keyup alt keyup shift keyup ctrl
    e2e_wait_new_line '^overlay off$'
    e2e_wait_pixel 680 160 '#A8A080' 'canvas again where the panel was' overlay-off

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
