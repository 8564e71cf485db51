# The installer wizard on the desktop, from the sample disc, with drive C: and the
# desktop's menu folders in the case's own folder: Malarz 3 (a ZIP archive) is
# installed by pressing Enter through the pages (a Polish group name typed on the
# way) and OK at the end; its files are
# the archive's, a valid desktop entry starts it, and "Uruchom teraz" runs it.
# Biuro Domowe 2007 unpacks for its own setup program, which the wizard starts.
# Screenshots of the pages go to the case's folder (docs/ keeps copies).
E2E_SCREEN=1024x768

e2e_case() {
    . "$here/menu_lib.sh"
    local c="$E2E_DIR/c" xdg="$E2E_DIR/xdg"
    mkdir -p "$c" "$xdg"
    e2e_map_polish_keys
    # Groups already in the two Start menus, one of them in both: listed once.
    mkdir -p "$xdg/data/applications/Gry" "$xdg/data/applications/Internet" "$xdg/data/applications/VEMI-11-2007"
    # The all-users menu is the system's, as on a reader's desktop: there, and
    # read-only to the reader.
    e2e_system_folder "$xdg/common/applications/Gry" "$xdg/common/applications/Akcesoria" "$xdg/common/menus"
    menu_start VEMI_DRIVE_C="$c" XDG_DATA_HOME="$xdg/data" XDG_CONFIG_HOME="$xdg/config" \
        VEMI_COMMON_PROGRAMS="$xdg/common/applications" VEMI_COMMON_MENUS="$xdg/common/menus"
    # shellcheck disable=SC2086
    menu_wait_region first $MENU_SHOT_TOP "$(menu_small malarz1.jpg)"

    # Malarz 3 is selected: its install button opens the wizard in front of the menu.
    menu_open_wizard install 829 364
    [ "$E2E_W" -eq 502 ] && [ "$E2E_H" -eq 354 ] || e2e_fail "the wizard is ${E2E_W}x$E2E_H, not 502x354"
    local cx=$((E2E_X + E2E_W / 2)) cy=$((E2E_Y + E2E_H / 2))
    [ $((cx - 512)) -le 2 ] && [ $((512 - cx)) -le 2 ] || e2e_fail "the wizard is not centred across ($E2E_X)"
    [ "$cy" -ge 370 ] && [ "$cy" -le 410 ] || e2e_fail "the wizard is not centred down ($E2E_Y)"
    menu_band_sum page1
    PAGE_SUM=$BAND
    cp "$E2E_SHOT" "$E2E_DIR/wizard-1.png"
    # The menu, which stays on top, does not hide it: the band's white shows.
    e2e_expect_pixel $((E2E_X + 300)) $((E2E_Y + 5)) '#FFFFFF' 'the header band'

    # A click on the menu does nothing while the wizard is open.
    e2e_click 500 300
    sleep 0.3
    menu_find_wizard || e2e_fail "a click on the menu closed the wizard"

    # Enter on each page: the group page, the summary, then the installation.
    xdotool windowactivate --sync "$WIZ" 2>/dev/null || true
    e2e_key Return
    menu_wait_page_change "$PAGE_SUM" page2
    cp "$E2E_SHOT" "$E2E_DIR/wizard-2.png"
    # A group of one's own, with Polish letters, typed over the proposal (the
    # group field has the focus on this page).
    e2e_key ctrl+a BackSpace
    xdotool type --delay 30 "Moje gry źółć"
    sleep 0.3
    e2e_key Return
    menu_wait_page_change "$PAGE_SUM" page3
    cp "$E2E_SHOT" "$E2E_DIR/wizard-3.png"
    e2e_key Return
    menu_wait_page_change "$PAGE_SUM" page5
    cp "$E2E_SHOT" "$E2E_DIR/wizard-5.png"

    # OK at the end: "Uruchom teraz" is ticked, so the program starts from its new
    # folder (the sample disc's program says so on the menu's terminal).
    menu_wizard_ok
    e2e_wait_line 'Malarz 3 .* the program z płyty'

    # The files are the archive's, byte for byte.
    local target="$c/VEMI-12-2007/Malarz 3"
    menu_expect_unpacked "$MENU_DISC/Programy/PelneWersje/Malarz3.zip" "$target"

    # The shortcut: the reader's own, since the all-users menu is not the reader's
    # to write; in the typed group, valid, starting the program in its folder; the
    # group is a sub-menu.
    local entry="$xdg/data/applications/Moje gry źółć/Malarz 3.desktop"
    [ -f "$entry" ] || e2e_fail "no desktop entry at $entry: $(find "$xdg" -type f)"
    desktop-file-validate "$entry" >"$E2E_DIR/validate.txt" 2>&1 || e2e_fail "the entry is not valid: $(cat "$E2E_DIR/validate.txt")"
    grep -q "^Path=$target\$" "$entry" || e2e_fail "the entry's working folder is not $target: $(cat "$entry")"
    grep -q '^Exec=.*Malarz3\.exe' "$entry" || e2e_fail "the entry does not start Malarz3.exe: $(cat "$entry")"
    grep -rq 'Moje gry źółć' "$xdg/config/menus" "$xdg/data/desktop-directories" || e2e_fail "no sub-menu for the group"
    [ -z "$(find "$xdg/common" -newer "$E2E_DIR/app.err" -type f)" ] || e2e_fail "something was written into the all-users menu"

    # Biuro Domowe 2007: an archive with its own setup program. The wizard unpacks
    # it into C:\Wersje_instalacyjne and hands setup.exe to the desktop.
    local y
    y=$(menu_row_y 2)
    e2e_click "$(menu_row_x 1)" "$y"
    # shellcheck disable=SC2086
    menu_wait_region biuro $MENU_SHOT_TOP "$(menu_small biuro1.jpg)"
    menu_open_wizard install 829 364
    [ -d "$c/Wersje_instalacyjne" ] || e2e_fail "the temporary folder was not made at once"
    menu_band_sum setup1
    PAGE_SUM=$BAND
    xdotool windowactivate --sync "$WIZ" 2>/dev/null || true
    e2e_key Return
    menu_wait_page_change "$PAGE_SUM" setup6
    cp "$E2E_SHOT" "$E2E_DIR/wizard-6.png"
    menu_wizard_ok
    e2e_wait_line 'Biuro Domowe 2007 .* instalator'
    [ -f "$c/Wersje_instalacyjne/Biuro Domowe 2007/setup.exe" ] || e2e_fail "setup.exe was not unpacked"

    e2e_click $MENU_CLOSE
    e2e_expect_exit 0
}
