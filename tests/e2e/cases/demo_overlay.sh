# Timers repeat until killed; the overlay panel shows while the Ctrl+Shift+Alt
# chord is held and goes at the first key release, even when the key repeats.
E2E_SCREEN=1024x768

e2e_case() {
    e2e_start_app "$E2E_DEMO" --pos 0 0 --timer 100 3
    e2e_wait_line '^ready 0 0 1024 768 screen 1024 768$'
    e2e_wait_window --pid "$E2E_APP_PID" --name '^e2e_demo$'

    # Three ticks about 100 ms apart, then the timer is dead.
    e2e_wait_line '^tick 3$'
    sleep 0.4
    e2e_no_line '^tick 4$'

    # The overlay: black, a lowered bevel, gone at the first key release.
    e2e_wait_pixel 500 400 '#F49080' 'canvas' placed
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
    # A held key repeats as presses only: one release, so one "overlay off".
    [ "$(e2e_new_lines | grep -c '^overlay off$')" = 1 ] || e2e_fail "the panel went away more than once"

    e2e_click 30 30
    e2e_wait_line '^close$'
    e2e_expect_exit 0
}
