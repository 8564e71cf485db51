# Launching from the menu through the desktop's opener, here a stand-in xdg-open
# that writes down what it was asked to open: the information-file button and the
# link line open their targets and the menu steps aside (minimises); a launch that
# fails shows a message box and the menu stays; the close button runs the disc's
# exit program and ends the menu with code 0.
E2E_SCREEN=1024x768

opened_lines() { [ "$(wc -l <"$E2E_DIR/opened")" -ge "$1" ]; }

# A visible window of the menu's title other than the main window: its message box.
find_box() {
    local w
    for w in $(xdotool search --onlyvisible --name '^VEMI32$' 2>/dev/null); do
        [ "$w" != "$MENU_WID" ] && BOX=$w && return 0
    done
    return 1
}

e2e_case() {
    . "$here/menu_lib.sh"
    mkdir -p "$E2E_DIR/bin"
    : >"$E2E_DIR/opened"
    cat >"$E2E_DIR/bin/xdg-open" <<STANDIN
#!/bin/sh
printf '%s\n' "\$*" >>"$E2E_DIR/opened"
[ -f "$E2E_DIR/opener-exit" ] && exit "\$(cat "$E2E_DIR/opener-exit")"
exit 0
STANDIN
    chmod +x "$E2E_DIR/bin/xdg-open"
    menu_start PATH="$E2E_DIR/bin:$PATH"
    # Malarz 3 is selected at start: information file malarz.txt, link
    # www.malarz.example.com.
    # shellcheck disable=SC2086
    menu_wait_region first $MENU_SHOT_TOP "$(menu_small malarz1.jpg)"

    # The information file: the opener gets the file's path on the disc.
    e2e_click $MENU_BUTTON3
    e2e_until "$E2E_WAIT" opened_lines 1 || e2e_fail "the information file was not opened"
    local info
    info=$(sed -n 1p "$E2E_DIR/opened")
    [ -f "$info" ] || e2e_fail "the opener got '$info', which is no file"
    case "$(printf '%s' "$info" | tr A-Z a-z)" in
    "$(printf '%s' "$MENU_DISC" | tr A-Z a-z)"/cdinst/txt/malarz.txt) ;;
    *) e2e_fail "the opener got '$info', not the disc's malarz.txt" ;;
    esac
    e2e_until "$E2E_WAIT" menu_is_iconic "$MENU_WID" || e2e_fail "the menu did not minimise after opening the file"
    menu_restore "$(menu_small malarz1.jpg)"

    # The link line: an address without a scheme goes out as http://.
    e2e_click 770 $MENU_LINK_Y
    e2e_until "$E2E_WAIT" opened_lines 2 || e2e_fail "the link was not opened"
    [ "$(sed -n 2p "$E2E_DIR/opened")" = "http://www.malarz.example.com" ] ||
        e2e_fail "the link opened as '$(sed -n 2p "$E2E_DIR/opened")'"
    e2e_until "$E2E_WAIT" menu_is_iconic "$MENU_WID" || e2e_fail "the menu did not minimise after opening the link"
    menu_restore "$(menu_small malarz1.jpg)"

    # The opener fails: a message box, and the menu stays where it is.
    local before=$E2E_SHOT
    echo 1 >"$E2E_DIR/opener-exit"
    e2e_click $MENU_BUTTON3
    e2e_until "$E2E_WAIT" opened_lines 3 || e2e_fail "the opener was not asked the third time"
    e2e_until "$E2E_WAIT" find_box || e2e_fail "no message box after the failed launch"
    e2e_shot message
    e2e_geometry "$BOX" || e2e_fail "the message box is gone"
    [ "$E2E_W" -lt 1024 ] && [ "$E2E_H" -lt 768 ] || e2e_fail "the message box is ${E2E_W}x$E2E_H, not a box"
    # Centred on the menu (here the screen), give or take its frame's title bar,
    # and carrying the program's icon.
    local mx=$((E2E_X + E2E_W / 2)) my=$((E2E_Y + E2E_H / 2))
    [ "${mx#-}" -ge 497 ] && [ "$mx" -le 527 ] && [ "$my" -ge 354 ] && [ "$my" -le 414 ] ||
        e2e_fail "the message box's middle is at $mx,$my, not on the menu's 512,384"
    xprop -id "$BOX" _NET_WM_ICON | grep -q 'Icon (32 x 32)' || e2e_fail "the message box has no icon"
    menu_is_shown "$MENU_WID" || e2e_fail "the menu was minimised after a failed launch"
    [ "$(menu_wm_state "$MENU_WID")" = Normal ] || e2e_fail "the menu is $(menu_wm_state "$MENU_WID") after a failed launch"
    # The box shows in front of the menu, which stays on top: where it stands the
    # screen is no longer the menu's picture.
    local changed
    changed=$(menu_changed_pixels "$before" "$E2E_SHOT" "$E2E_X" "$E2E_Y" "$E2E_W" "$E2E_H")
    [ "${changed:-0}" -gt $((E2E_W * E2E_H / 2)) ] || e2e_fail "the message box is hidden ($changed pixels changed)"
    xdotool windowactivate --sync "$BOX" 2>/dev/null || true
    e2e_key Return
    e2e_until "$E2E_WAIT" eval '! find_box' || e2e_fail "the message box did not close"
    [ "$(menu_wm_state "$MENU_WID")" = Normal ] || e2e_fail "the menu is $(menu_wm_state "$MENU_WID") after the box"
    rm -f "$E2E_DIR/opener-exit"

    # Leaving: the disc's Outro.exe (a script that greets the reader) runs, and
    # the menu ends with 0.
    e2e_click $MENU_CLOSE
    e2e_expect_exit 0
    e2e_wait_line 'Dziękujemy za skorzystanie z płyty VEMI'
    [ "$(wc -l <"$E2E_DIR/opened")" -eq 3 ] || e2e_fail "the opener was asked for more: $(tail -n +4 "$E2E_DIR/opened")"
}
