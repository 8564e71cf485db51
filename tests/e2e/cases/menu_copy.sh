# The copy button on the desktop: the wizard copies a program's folder from a disc
# whose files are read-only, as a pressed disc's are, to drive C: (the case's own
# folder); everything arrives, and arrives writable. The disc is a copy of the
# sample disc with the folder made read-only, given to the menu as VEMI_DISC_ROOT.
E2E_SCREEN=1024x768

find_wizard() {
    WIZ=$(xdotool search --onlyvisible --name '^VEMI CD/DVD Instalator$' 2>/dev/null | head -n 1)
    [ -n "$WIZ" ]
}
wizard_gone() { ! find_wizard; }
copied() { [ -f "$1" ]; }

e2e_case() {
    . "$here/menu_lib.sh"
    local c="$E2E_DIR/c" disc="$E2E_DIR/disc"
    mkdir -p "$c"
    e2e_system_folder "$E2E_DIR/xdg/common/applications" "$E2E_DIR/xdg/common/menus"
    cp -r "$MENU_DISC" "$disc"
    local src="$disc/Programy/PelneWersje/KreatorStron"
    chmod -R a-w "$src"
    menu_start VEMI_DISC_ROOT="$disc" VEMI_DRIVE_C="$c" XDG_DATA_HOME="$E2E_DIR/xdg/data" \
        XDG_CONFIG_HOME="$E2E_DIR/xdg/config" VEMI_COMMON_PROGRAMS="$E2E_DIR/xdg/common/applications" \
        VEMI_COMMON_MENUS="$E2E_DIR/xdg/common/menus"
    # shellcheck disable=SC2086
    menu_wait_region first $MENU_SHOT_TOP "$(menu_small malarz1.jpg)"

    # Kreator Stron, the third row, is a folder on the disc.
    e2e_click "$(menu_row_x 1)" "$(menu_row_y 3)"
    # shellcheck disable=SC2086
    menu_wait_region kreator $MENU_SHOT_TOP "$(menu_small kreator1.jpg)"
    e2e_click 936 366
    e2e_until "$E2E_WAIT" find_wizard || e2e_fail "the copy button opened no wizard"
    e2e_wait_geometry_settled "$WIZ"
    e2e_shot copy1
    xdotool windowactivate --sync "$WIZ" 2>/dev/null || true
    e2e_key Return

    local dst="$c/VEMI - kopie programów/Kreator Stron Internetowych Professional Edition 2008 – pełna wersja dla Czytelników VEMI"
    e2e_until "$E2E_WAIT" copied "$dst/dane/program.dat" || e2e_fail "nothing arrived in $dst: $(find "$c" | head)"
    # The last page: "Kopiowanie zakończone." with the folder; OK closes it.
    sleep 0.5
    e2e_shot copy7
    cp "$E2E_SHOT" "$E2E_DIR/wizard-7.png"
    e2e_click_client "$WIZ" $((416 + 37)) $((320 + 12))
    e2e_until "$E2E_WAIT" wizard_gone || e2e_fail "OK did not close the wizard"

    diff -r "$src" "$dst" >"$E2E_DIR/diff.txt" 2>&1 || e2e_fail "the copy differs: $(head -5 "$E2E_DIR/diff.txt")"
    local f
    while IFS= read -r -d '' f; do
        [ -w "$f" ] || e2e_fail "$f arrived read-only"
    done < <(find "$dst" -print0)
    [ -x "$dst/instaluj.exe" ] || e2e_fail "the setup program lost its right to run"

    e2e_click $MENU_CLOSE
    e2e_expect_exit 0
    chmod -R u+w "$disc"
}
