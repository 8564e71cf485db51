# The question before a file is replaced: four buttons, each with its answer, the
# close box and Escape as "Anuluj", Enter as "Tak"; the box comes above the
# full-screen window that stays on top.
E2E_SCREEN=1024x768

# Finds the open question, checks it is above the main window, and sets ASK_RIGHT
# to the right edges of its four buttons and ASK_Y to their middle row.
ask_find() {
    e2e_wait_window --name '^Zast'
    ASK_WID=$E2E_WID
    [ "$(xdotool getwindowname "$ASK_WID")" = 'Zastąpić – źdźbło' ] || e2e_fail "title $(xdotool getwindowname "$ASK_WID")"
    e2e_wait_geometry_settled "$ASK_WID"
    local deadline=$((SECONDS + E2E_WAIT))
    while :; do
        e2e_shot "ask$1"
        # The buttons sit 10 pixels above the bottom edge and are 25 high.
        local top=$((E2E_Y + E2E_H - 35))
        mapfile -t ASK_RIGHT < <(e2e_button_edges $((top + 3)) "$E2E_X" $((E2E_X + E2E_W - 1)))
        [ "${#ASK_RIGHT[@]}" = 4 ] && break
        [ "$SECONDS" -ge "$deadline" ] && e2e_fail "the question shows ${#ASK_RIGHT[@]} buttons, not 4"
        sleep 0.1
    done
    ASK_Y=$((top + 12))
    local pattern
    pattern=$(printf '#%02X%02X80' $(((E2E_X + 4) % 256)) $(((E2E_Y + 4) % 256)))
    [ "$(e2e_pixel $((E2E_X + 4)) $((E2E_Y + 4)))" != "$pattern" ] || e2e_fail "the question is behind the main window"
}

e2e_case() {
    local q='Zastąpić plik „Żółw.txt”?' t='Zastąpić – źdźbło' args=() i
    for i in 1 2 3 4 5 6 7; do args+=(--message "$q" "$t" replace); done
    e2e_start_app "$E2E_DEMO" --pos 0 0 --top "${args[@]}"
    e2e_wait_line '^ready 0 0 1024 768'

    # A click on each button, left to right: Tak, Tak na wszystkie, Nie, Anuluj.
    local answers=(6 100 7 2) b
    for b in 0 1 2 3; do
        ask_find "$b"
        [ "$b" = 0 ] && cp "$E2E_SHOT" "$E2E_DIR/question.png"
        e2e_mark
        e2e_click $((ASK_RIGHT[b] - 20)) "$ASK_Y"
        e2e_wait_new_line "^message ${answers[b]}\$"
    done
    # The close box, Enter and Escape.
    ask_find close
    e2e_close_box "$ASK_WID"
    e2e_wait_line '^message 2$'
    [ "$(grep -c '^message 2$' "$E2E_APP_OUT")" = 2 ] || e2e_fail "the close box did not answer Anuluj"
    ask_find enter
    xdotool windowactivate --sync "$ASK_WID" 2>/dev/null || true
    e2e_mark
    e2e_key Return
    e2e_wait_new_line '^message 6$'
    ask_find escape
    xdotool windowactivate --sync "$ASK_WID" 2>/dev/null || true
    e2e_mark
    e2e_key Escape
    e2e_wait_new_line '^message 2$'

    # The main window takes input again.
    e2e_click 30 30
    e2e_wait_line '^close$'
    e2e_expect_exit 0
}
