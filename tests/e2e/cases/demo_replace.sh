# The question before a file is replaced offers four answers on the desktop too:
# "Tak", "Tak na wszystkie", "Nie" and "Anuluj", each given back as itself.
E2E_SCREEN=1024x768

e2e_case() {
    e2e_start_app "$E2E_DEMO" --pos 0 0 \
        --message 'Ten folder zawiera już plik o nazwie "a.txt".' 'Potwierdzanie zamiany pliku' replace \
        --message 'Drugi plik' 'Potwierdzanie zamiany pliku' replace \
        --message 'Trzeci plik' 'Potwierdzanie zamiany pliku' replace \
        --message 'Czwarty plik' 'Potwierdzanie zamiany pliku' replace
    e2e_wait_line '^ready '

    # Enter answers "Tak" (6).
    e2e_wait_window --name '^Potwierdzanie'
    e2e_shot replace
    xdotool windowactivate --sync "$E2E_WID" 2>/dev/null || true
    e2e_key Return
    e2e_wait_line '^message 6$'

    # The second button, "Tak na wszystkie" (100).
    e2e_wait_window --name '^Potwierdzanie'
    xdotool windowactivate --sync "$E2E_WID" 2>/dev/null || true
    e2e_key Tab space
    e2e_wait_line '^message 100$'

    # The third, "Nie" (7).
    e2e_wait_window --name '^Potwierdzanie'
    xdotool windowactivate --sync "$E2E_WID" 2>/dev/null || true
    e2e_key Tab Tab space
    e2e_wait_line '^message 7$'

    # Escape is "Anuluj" (2).
    e2e_wait_window --name '^Potwierdzanie'
    xdotool windowactivate --sync "$E2E_WID" 2>/dev/null || true
    e2e_key Escape
    e2e_wait_line '^message 2$'

    e2e_click 30 30
    e2e_wait_line '^close$'
    e2e_expect_exit 0
}
