# Message boxes over a full-screen window that stays on top: FLTK's dialogs with
# the Polish buttons, Polish text from Windows-1250, the answer given back.
E2E_SCREEN=1024x768

e2e_case() {
    e2e_start_app "$E2E_DEMO" --pos 0 0 --top \
        --message 'Czy zainstalować program „Żółw”?' 'Pytanie – Łódź' yesno \
        --message 'Błąd: nie można otworzyć pliku ŹRÓDŁO.TXT' 'Błąd' error \
        --message 'Zakończyć?' 'Koniec' yesno
    e2e_wait_line '^ready 0 0 1024 768 screen 1024 768$'
    e2e_wait_window --pid "$E2E_APP_PID" --name '^e2e_demo$'
    local main=$E2E_WID
    e2e_until "$E2E_WAIT" eval 'e2e_window_state "$main" | grep -q _NET_WM_STATE_ABOVE' || e2e_fail "main window not on top"

    # The question: its title in UTF-8, the box above the top-most window.
    # (xdotool matches names by their bytes as FLTK also writes them to WM_NAME,
    # so the search is by an ASCII prefix and the UTF-8 title is compared after.)
    e2e_wait_window --name '^Pytanie '
    local box=$E2E_WID
    [ "$(xdotool getwindowname "$box")" = 'Pytanie – Łódź' ] || e2e_fail "title $(xdotool getwindowname "$box")"
    e2e_geometry "$box" || e2e_fail "no geometry for the box"
    local bx=$((E2E_X + 4)) by=$((E2E_Y + 4))
    local pattern
    pattern=$(printf '#%02X%02X80' $((bx % 256)) $((by % 256)))
    e2e_shot question
    [ "$(e2e_pixel "$bx" "$by")" != "$pattern" ] || e2e_fail "the box is hidden behind the main window"
    e2e_log "question box at $E2E_X,$E2E_Y ${E2E_W}x$E2E_H"

    # Enter answers "Tak" (6).
    xdotool windowactivate --sync "$box" 2>/dev/null || true
    e2e_key Return
    e2e_wait_line '^message 6$'

    # The error box: Enter closes it with OK (1).
    e2e_wait_window --name '^B.*d$'
    e2e_shot error
    xdotool windowactivate --sync "$E2E_WID" 2>/dev/null || true
    e2e_key Return
    e2e_wait_line '^message 1$'

    # Escape answers "Nie" (7).
    e2e_wait_window --name '^Koniec$'
    xdotool windowactivate --sync "$E2E_WID" 2>/dev/null || true
    e2e_key Escape
    e2e_wait_line '^message 7$'

    # Input reaches the main window again once the boxes are gone.
    e2e_click 30 30
    e2e_wait_line '^close$'
    e2e_expect_exit 0
}
