# A dialog with a control of every kind on the desktop: framed, centred, above the
# full-screen window that stays on top, modal; what the user does on each control
# reaches the program, Polish text both ways, Enter presses the default button and
# the close box asks before closing.
E2E_SCREEN=1024x768

# Client places of the demo dialog's controls (see e2e_demo.cpp).
DLG_EDIT="100 90"
DLG_LIST_ROW1="300 133"      # second row of the group list ("Gry" once sorted)
DLG_CHECK="258 189"
DLG_FOLDER_ROW1="100 133"    # second row of the folder list
DLG_FOLDER_ROW2="100 150"    # third row of the folder list ("Łódź": Alfa, Łódź, zeta)
DLG_DRIVES="100 241"
DLG_BACK="285 332"
DLG_ASK="52 332"
DLG_PROGRESS_HALF="240 270"  # inside the bar, right of a quarter and left of a half

e2e_case() {
    local cdir="$E2E_DIR/c" ddir="$E2E_DIR/d"
    mkdir -p "$cdir/Alfa" "$cdir/Łódź/Wnętrze" "$cdir/zeta" "$cdir/.ukryty" "$ddir/Programy"
    e2e_map_polish_keys
    e2e_start_app "$E2E_DEMO" --pos 0 0 --top --dialog "$cdir" "$ddir"
    e2e_wait_line '^ready 0 0 1024 768'
    e2e_wait_window --pid "$E2E_APP_PID" --name '^e2e_demo$'
    local main=$E2E_WID
    e2e_wait_line '^dialog shown 261 207 502 354$'
    e2e_wait_window --name '^VEMI Dialog'
    local dlg=$E2E_WID

    # Framed, centred (client area at ((1024 - 502) / 2, (768 - 354) / 2)), a
    # dialog of the main window that cannot be resized or maximised.
    e2e_wait_geometry "$dlg" 261 207 502 354
    e2e_frame_extents "$dlg" || e2e_fail "the dialog has no frame"
    [ "$E2E_FRAME_T" -gt 5 ] || e2e_fail "no title bar: frame $E2E_FRAME_L,$E2E_FRAME_R,$E2E_FRAME_T,$E2E_FRAME_B"
    [ "$(xdotool getwindowname "$dlg")" = 'VEMI Dialog – Łódź' ] || e2e_fail "title $(xdotool getwindowname "$dlg")"
    xprop -id "$dlg" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DIALOG || e2e_fail "not a dialog window"
    xprop -id "$dlg" WM_TRANSIENT_FOR | grep -q "$(printf '0x%x' "$main")" || e2e_fail "not transient for the main window $main: $(xprop -id "$dlg" WM_TRANSIENT_FOR)"
    local actions
    actions=$(xprop -id "$dlg" _NET_WM_ALLOWED_ACTIONS)
    grep -q _NET_WM_ACTION_CLOSE <<<"$actions" || e2e_fail "no close box: $actions"
    grep -Eq '_NET_WM_ACTION_(RESIZE|MAXIMIZE)' <<<"$actions" && e2e_fail "the dialog can be resized: $actions"
    e2e_window_state "$dlg" | grep -q _NET_WM_STATE_ABOVE || e2e_fail "the dialog does not stay on top"

    # Above the main window, which stays on top itself: the button face shows.
    e2e_wait_pixel 271 267 '#D4D0C8' 'dialog background' shown
    e2e_shot dialog
    # The header band is white with the classic bevels: the lowered outer one
    # (grey top-left), then the raised inner one (white top-left).
    e2e_expect_pixel $((261 + 100)) 207 '#808080' 'outer bevel of the header'
    e2e_expect_pixel $((261 + 100)) $((207 + 48)) '#FFFFFF' 'light bottom of the header'
    e2e_expect_pixel $((261 + 300)) $((207 + 40)) '#FFFFFF' 'header band'
    # The etched rule: grey over white.
    e2e_expect_pixel $((261 + 100)) $((207 + 296)) '#808080' 'rule, upper line'
    e2e_expect_pixel $((261 + 100)) $((207 + 297)) '#FFFFFF' 'rule, lower line'
    # Polish labels show their letters: more ink than the same letters without
    # their marks, in the same face.
    local pl as
    pl=$(e2e_ink_count $((261 + 40)) $((207 + 58)) 210 17)
    as=$(e2e_ink_count $((261 + 260)) $((207 + 58)) 210 17)
    e2e_log "ink: Polish label $pl, plain label $as"
    [ "$as" -gt 50 ] || e2e_fail "the plain label shows no text ($as)"
    [ "$pl" -gt $((as + 20)) ] || e2e_fail "the Polish label shows no marks ($pl against $as)"

    # The main window rests: the hook sees a click, the window does not, and the
    # dialog stays above it.
    e2e_mark
    e2e_click 100 100
    e2e_wait_new_line '^hook up left 100 100 key 0$'
    sleep 0.2
    e2e_new_lines | grep -q '^down' && e2e_fail "the main window took input under the dialog"
    e2e_shot after-main-click
    e2e_expect_pixel 271 267 '#D4D0C8' 'dialog still above the main window'

    # The close box asks first; with the check box clear the dialog stays.
    e2e_close_box "$dlg"
    e2e_wait_line '^closequery 0$'
    sleep 0.2
    e2e_no_line '^dialog closed'
    e2e_find_window --name '^VEMI Dialog' || e2e_fail "the dialog closed against the program's answer"

    # Polish letters typed into the edit field reach the program as Windows-1250.
    local typed='ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ'
    e2e_click_client "$dlg" $DLG_EDIT
    xdotool type --delay 30 "$typed"
    e2e_wait_line "^edit $(e2e_cp1250_hex "$typed")\$"
    # They show as the program's own label shows them: the same ink.
    e2e_key Tab
    sleep 0.3
    e2e_shot typed
    e2e_ink $((261 + 43)) $((207 + 81)) 411 18 "$E2E_DIR/ink-edit.png"
    e2e_ink $((261 + 40)) $((207 + 58)) 210 17 "$E2E_DIR/ink-label.png"
    e2e_ink $((261 + 260)) $((207 + 58)) 210 17 "$E2E_DIR/ink-plain.png"
    local same other
    same=$(e2e_ink_diff "$E2E_DIR/ink-edit.png" "$E2E_DIR/ink-label.png")
    other=$(e2e_ink_diff "$E2E_DIR/ink-edit.png" "$E2E_DIR/ink-plain.png")
    e2e_log "typed text against the label: $same pixels differ; against the plain label: $other"
    [ "$same" != size ] && [ "$same" -lt 30 ] || e2e_fail "the typed text does not look like the label ($same)"
    [ "$other" = size ] || [ "$other" -gt $((same + 60)) ] || e2e_fail "the comparison cannot tell texts apart ($other)"

    # A list row, the check box, a double click on a folder, a drive.
    e2e_click_client "$dlg" $DLG_LIST_ROW1
    e2e_wait_line "^select 1 $(e2e_cp1250_hex Gry)\$"
    e2e_click_client "$dlg" $DLG_CHECK
    e2e_wait_line '^check 1$'
    e2e_double_click_client "$dlg" $DLG_FOLDER_ROW2
    e2e_wait_line '^open C:\\Łódź$'
    e2e_shot folder-opened
    e2e_click_client "$dlg" $DLG_DRIVES
    sleep 0.3
    e2e_key Down Return
    e2e_wait_line '^drive 1 D:$'
    e2e_wait_line '^open D:\\$'
    # On D:\ a single click only marks a folder; Enter opens it, the folder list
    # keeping the key from the default button.
    e2e_mark
    e2e_click_client "$dlg" $DLG_FOLDER_ROW1
    sleep 0.6
    e2e_new_lines | grep -q '^open' && e2e_fail "a single click opened a folder"
    e2e_key Return
    e2e_wait_new_line '^open D:\\Programy$'
    e2e_new_lines | grep -q '^click NEXT' && e2e_fail "Enter in the folder list pressed the default button"
    e2e_click_client "$dlg" $DLG_BACK
    e2e_wait_line '^click BACK$'
    # Escape is no close request: the dialog has no cancel key.
    e2e_mark
    e2e_key Escape
    sleep 0.3
    e2e_new_lines | grep -q '^closequery' && e2e_fail "Escape asked to close the dialog"

    # The replace question comes above the dialog, which stays on top itself.
    e2e_click_client "$dlg" $DLG_ASK
    e2e_wait_window --name '^Potwierdzenie$'
    local box=$E2E_WID
    # Its blue question mark shows where it overlaps the dialog.
    e2e_wait_geometry_settled "$box"
    local deadline=$((SECONDS + E2E_WAIT))
    until e2e_shot question && [ "$(e2e_count_color $((E2E_X + 10)) $((E2E_Y + 10)) 50 50 '#0000FF')" -gt 20 ]; do
        [ "$SECONDS" -ge "$deadline" ] && e2e_fail "the question is not above the dialog"
        sleep 0.1
    done
    xdotool windowactivate --sync "$box" 2>/dev/null || true
    e2e_key Return
    e2e_wait_line '^answer 6$'

    # Enter in the edit field presses the default button, which moves the bar on
    # and relabels the step at once.
    e2e_client_point "$dlg" $DLG_PROGRESS_HALF
    local px=$E2E_SX py=$E2E_SY
    e2e_shot before-enter
    e2e_expect_pixel "$px" "$py" '#FFFFFF' 'progress bar at a quarter'
    # The picture's first stripe is blue; each step moves the stripes on by one.
    e2e_expect_pixel $((261 + 465)) $((207 + 10)) '#1E1EC8' 'picture before the step'
    e2e_click_client "$dlg" $DLG_EDIT
    e2e_mark
    e2e_key Return
    e2e_wait_new_line '^click NEXT 1$'
    e2e_new_lines | grep -q '^edit' && e2e_fail "Enter went into the edit field"
    e2e_wait_pixel "$px" "$py" '#0A246A' 'progress bar at a half' after-enter
    e2e_expect_pixel $((261 + 465)) $((207 + 10)) '#C81E1E' 'picture after the step'

    # With the check box ticked the close box closes the dialog, and the main
    # window takes input again.
    e2e_close_box "$dlg"
    e2e_wait_line '^closequery 1$'
    e2e_wait_line '^dialog closed$'
    e2e_wait_line '^dialog done$'
    e2e_mark
    e2e_click 100 100
    e2e_wait_new_line '^up left 100 100 -$'
    e2e_click 30 30
    e2e_wait_line '^close$'
    e2e_expect_exit 0
}
