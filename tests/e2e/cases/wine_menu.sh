# The Windows build's sample disc, one for both systems, from its image: its Linux
# menu, vemi32, and its Windows menu, vemi32.exe, under wine, on the same screen:
# the same picture (the window system draws nothing of its own on a borderless
# window, so the whole 1024 x 768 counts), a click on a program and the arrow key
# change the panel alike; a program of the disc (a Windows stand-in that writes down
# that it ran) started from each, the Linux menu handing it to wine; the close
# button ends the Windows menu with code 0 and starts the disc's exit program; then,
# under wine, the picture viewer clicked through, minimising and restoring, and the
# installer wizard in front of the menu, whose screenshot is kept, with the window
# manager's close box on the wizard and on its about box, and a folder copied twice,
# the shell's question before a file is replaced in front of the wizard and stopping
# the copy with its close box. The Windows build runs it, next to the native build
# that made its disc.
# wine keeps to a prefix owned by the user who runs it, and the Windows build's
# prefix is the build's: this case runs its programs as the build's own user.
E2E_AS_READER=0
E2E_SCREEN=1024x768

# The two pictures agree but for how the two JPEG decoders round (the system's
# imaging component under wine, libjpeg on Linux): measured on the sample disc, the
# root-mean-square difference of the whole screen is about 0.005, some 700 pixels
# differ by more than 10 % (sharp edges in the 4:2:0 pictures: the banners and the
# screenshots) and none by more than 30 %. A picture shifted by one pixel, another
# program's panel or a missing banner is far beyond these.
WINE_MAX_RMSE=0.012
WINE_MAX_OFF=2500   # pixels off by more than 10 %
WINE_MAX_WORSE=60   # pixels off by more than 25 %

# Whole-screen agreement of two screenshots within the limits above.
wine_same_picture() {
    local a=$1 b=$2 what=$3 rmse off worse
    rmse=$(compare -metric RMSE "$a" "$b" null: 2>&1 | sed -n 's/^[0-9.e+-]* (\([0-9.e+-]*\))$/\1/p')
    off=$(compare -metric AE -fuzz 10% "$a" "$b" null: 2>&1 | sed 's/ .*//')
    worse=$(compare -metric AE -fuzz 25% "$a" "$b" null: 2>&1 | sed 's/ .*//')
    e2e_log "$what: RMSE ${rmse:-?}, $off pixels off by more than 10 %, $worse by more than 25 %"
    compare "$a" "$b" -compose src "$E2E_DIR/$what-diff.png" 2>/dev/null
    awk -v d="${rmse:-1}" -v m="$WINE_MAX_RMSE" 'BEGIN { exit !(d < m) }' || e2e_fail "$what: the pictures differ (RMSE $rmse)"
    [ "${off:-999999}" -le "$WINE_MAX_OFF" ] || e2e_fail "$what: $off pixels differ by more than 10 %"
    [ "${worse:-999999}" -le "$WINE_MAX_WORSE" ] || e2e_fail "$what: $worse pixels differ by more than 25 %"
}

# The pointer to the same place in both runs, with a real move, so that both menus
# show the same hover and hint (the list's).
wine_settle_pointer() {
    e2e_move 600 420
    e2e_move 601 421
    sleep 0.5
}

wine_start() {
    e2e_start_app env WINEPREFIX="$WINE_PREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="$WINE_OVERRIDES" \
        VEMI_STANDIN_TRACE="$WINE_TRACE_DOS" VEMI_REPORT_FIRST_PAINT=1 wine "$WIN_DISC/vemi32.exe"
    e2e_until 30 e2e_find_window --name '^VEMI32$' || e2e_fail "no window of the Windows menu"
    MENU_WID=$E2E_WID
    e2e_until 30 grep -q '^first-paint:' "$E2E_DIR/app.err" || e2e_fail "no first whole picture reported under wine"
}

wine_stop_server() { WINEPREFIX="$WINE_PREFIX" wineserver -k 2>/dev/null; }

# The disc's programs are stand-ins that append a line to the file VEMI_STANDIN_TRACE
# names (a Windows path) and then say which program they are in a message box.
wine_standin_ran() { grep -q "^$1" "$WINE_TRACE" 2>/dev/null; }
# The stand-in's line that starts with $2 is there, names the folder it ran in
# ($3, a Windows path), and its box closes with Enter.
wine_standin() {
    local what=$1 says=$2 folder=$3 line box
    e2e_until "$E2E_WAIT" wine_standin_ran "$says" || e2e_fail "$what: the disc's program left no line in its trace"
    line=$(grep "^$says" "$WINE_TRACE" | tail -n1 | tr -d '\r')
    e2e_log "$what: $line"
    [ "$(cut -f2 <<<"$line" | tr 'a-z/' 'A-Z\\')" = "$(tr 'a-z/' 'A-Z\\' <<<"$folder")" ] ||
        e2e_fail "$what: the program ran in $(cut -f2 <<<"$line"), not in $folder"
    e2e_until "$E2E_WAIT" e2e_find_window --name '^P.*yta VEMI 12/2007 .* program przyk' || e2e_fail "$what: no box of the program"
    box=$E2E_WID
    e2e_wait_geometry_settled "$box"
    e2e_shot "$what"
    xdotool windowactivate --sync "$box" 2>/dev/null || true
    e2e_key Return
    e2e_until "$E2E_WAIT" wine_gone "$box" || e2e_fail "$what: the program's box stays after Enter"
}

# A visible window of that name other than the one given (the question box has the
# menu's title, the about box the wizard's): sets E2E_WID.
wine_other_window() {
    local w
    for w in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
        if [ "$w" != "$2" ]; then
            E2E_WID=$w
            return 0
        fi
    done
    return 1
}
wine_gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }

# A visible window that the window manager keeps for window $1 (its owner under
# wine): sets E2E_WID.
wine_transient_of() {
    local w owner
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        owner=$(xprop -id "$w" WM_TRANSIENT_FOR 2>/dev/null | sed -n 's/.*# *//p')
        if [ -n "$owner" ] && [ "$((owner))" = "$1" ]; then
            E2E_WID=$w
            return 0
        fi
    done
    return 1
}
# Whether the window manager stacks window $1 above window $2.
wine_stacked_above() {
    local order a b
    order=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# *//' | tr ',' '\n' | while read -r id; do echo $((id)); done)
    a=$(grep -nx "$1" <<<"$order" | cut -d: -f1)
    b=$(grep -nx "$2" <<<"$order" | cut -d: -f1)
    [ -n "$a" ] && [ -n "$b" ] && [ "$a" -gt "$b" ]
}
# The copy button on the selected program, the wizard's first page passed with
# Enter: sets WINE_WIZ to the wizard.
wine_copy() {
    e2e_click 936 366
    e2e_until "$E2E_WAIT" e2e_find_window --name '^VEMI CD/DVD Instalator$' || e2e_fail "the copy button opened no wizard"
    WINE_WIZ=$E2E_WID
    e2e_wait_geometry_settled "$WINE_WIZ"
    xdotool windowactivate --sync "$WINE_WIZ" 2>/dev/null || true
    e2e_key Return
}
wine_copied() { [ -n "$(find "$1" -name program.dat 2>/dev/null)" ]; }

# The wizard's question, open after its close box: answered with the key of its
# button ("n" or "y"); the question goes and the wizard stays or goes with it.
wine_answer_question() {
    local what=$1 key=$2 ask
    e2e_until "$E2E_WAIT" wine_other_window '^VEMI32$' "$MENU_WID" || e2e_fail "$what: the wizard's close box asked nothing"
    ask=$E2E_WID
    e2e_wait_geometry_settled "$ask"
    e2e_shot "$what"
    xdotool windowactivate --sync "$ask" 2>/dev/null || true
    e2e_key "$key"
    e2e_until "$E2E_WAIT" wine_gone "$ask" || e2e_fail "$what: the question stays after its answer"
}

e2e_case() {
    . "$here/menu_lib.sh"
    WIN_DISC=${E2E_WIN_BUILD_DIR:-$E2E_BUILD_DIR/../build-windows}/sample-disc/disc
    [ -f "$WIN_DISC/vemi32.exe" ] || e2e_fail "no Windows menu at $WIN_DISC"
    [ -x "$WIN_DISC/vemi32" ] || e2e_fail "no Linux menu at $WIN_DISC"
    # Both menus start from the image scripts/build-windows.sh made of that disc,
    # mounted read-only as a reader's drive shows the pressed disc (a name is the
    # same in both of the image's trees: the image's maker sees to it). Where FUSE
    # does not mount, they start from the folder the image was made of.
    local image="${WIN_DISC%/disc}/vemi-12-2007.iso"
    [ -f "$image" ] || e2e_fail "no image of the disc at $image"
    if command -v fuseiso >/dev/null && [ -c /dev/fuse ]; then
        IMAGE=$image
        MNT="$E2E_DIR.mnt"
        fusermount -u -z "$MNT" 2>/dev/null
        mkdir -p "$MNT"
        if menu_image_mount exec ro; then
            WIN_DISC=$MNT
            e2e_log "the disc: $(basename "$image"), mounted at $MNT"
        else
            e2e_log "FUSE does not mount here ($(tail -n 1 "$E2E_DIR/fuseiso.log")): the disc's folder instead of its image"
        fi
    else
        e2e_log "no fuseiso or no FUSE here: the disc's folder instead of its image"
    fi
    # The Linux menu of this case is the one on the Windows build's disc.
    MENU_DISC=$WIN_DISC
    WINE_TRACE=$E2E_DIR/standin-trace.txt
    WINE_TRACE_DOS="Z:$WINE_TRACE"
    rm -f "$WINE_TRACE"
    local kreator="Z:$WIN_DISC/Programy/PelneWersje/KreatorStron"
    local kreatorSays="Kreator Stron Internetowych Professional Edition 2008 – instalator"
    command -v wine >/dev/null || e2e_fail "no wine"
    # A prefix of the case's own, kept in the build between runs (making one takes
    # some ten seconds): no offers to install Mono or Gecko, no menu entries, and
    # the X display of the case.
    WINE_PREFIX=$E2E_BUILD_DIR/e2e-wine-prefix
    WINE_OVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    # One made while wine had no 32-bit half (Debian's wine32) starts no 32-bit
    # program: with that half installed since, it is made again.
    if [ -x /usr/lib/wine/wine ] && [ ! -f "$WINE_PREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
        WINEPREFIX="$WINE_PREFIX" wineserver -k 2>/dev/null
        rm -rf "$WINE_PREFIX"
    fi
    if [ ! -f "$WINE_PREFIX/system.reg" ]; then
        e2e_log "making the wine prefix $WINE_PREFIX"
        env -u DISPLAY WINEPREFIX="$WINE_PREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="$WINE_OVERRIDES" \
            wineboot -i </dev/null >"$E2E_DIR/wineboot.log" 2>&1
        WINEPREFIX="$WINE_PREFIX" wineserver -w
    fi
    # The wine server and its helpers were started for this display: they go with it.
    trap 'wine_stop_server; e2e_cleanup' EXIT
    wine_stop_server

    # --- the Linux menu on the disc for both systems ---
    # (wine, which it hands the disc's Windows programs to, in the case's prefix.)
    menu_start WINEPREFIX="$WINE_PREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="$WINE_OVERRIDES" \
        VEMI_STANDIN_TRACE="$WINE_TRACE_DOS"
    # shellcheck disable=SC2086
    menu_wait_region linux-first $MENU_SHOT_TOP "$(menu_small malarz1.jpg)"
    wine_settle_pointer
    e2e_shot linux-start
    local linuxStart=$E2E_SHOT
    # Row 2 is Biuro Domowe 2007, whose screenshot fills the whole box.
    e2e_click "$(menu_row_x 1)" "$(menu_row_y 2)"
    # shellcheck disable=SC2086
    menu_wait_region linux-clicked $MENU_SHOT_BOX "$(menu_small biuro1.jpg)"
    wine_settle_pointer
    e2e_shot linux-clicked
    local linuxClicked=$E2E_SHOT
    # The arrow key moves on to Kreator Stron.
    e2e_key Down
    # shellcheck disable=SC2086
    menu_wait_region linux-down $MENU_SHOT_BOX "$(menu_small kreator1.jpg)"
    e2e_shot linux-down
    local linuxDown=$E2E_SHOT
    # Kreator Stron's setup program, a Windows program: the Linux menu starts it
    # through wine, in its folder.
    e2e_click 829 364
    wine_standin linux-setup "$kreatorSays" "$kreator"
    kill "$E2E_APP_PID" 2>/dev/null
    wait "$E2E_APP_PID" 2>/dev/null
    e2e_until "$E2E_WAIT" sh -c "! xdotool search --onlyvisible --name '^VEMI32$' | grep -q ." || e2e_fail "the Linux menu stays"

    # --- the Windows menu under wine ---
    wine_start
    e2e_wait_geometry "$MENU_WID" 0 0 1024 768
    e2e_expect_borderless "$MENU_WID"
    e2e_window_state "$MENU_WID" | grep -q ABOVE || e2e_fail "the Windows menu does not stay on top"
    # shellcheck disable=SC2086
    menu_wait_region wine-first $MENU_SHOT_TOP "$(menu_small malarz1.jpg)"
    wine_settle_pointer
    e2e_shot wine-start
    local wineStart=$E2E_SHOT
    wine_same_picture "$linuxStart" "$wineStart" start

    e2e_click "$(menu_row_x 1)" "$(menu_row_y 2)"
    # shellcheck disable=SC2086
    menu_wait_region wine-clicked $MENU_SHOT_BOX "$(menu_small biuro1.jpg)"
    wine_settle_pointer
    e2e_shot wine-clicked
    local wineClicked=$E2E_SHOT
    local changed
    # shellcheck disable=SC2086
    changed=$(menu_changed_pixels "$wineStart" "$wineClicked" $MENU_DESC_BOX)
    [ "${changed:-0}" -gt 2000 ] || e2e_fail "the click hardly changed the description under wine ($changed pixels)"
    wine_same_picture "$linuxClicked" "$wineClicked" clicked
    # Keys pass the hook to the list as well.
    e2e_key Down
    # shellcheck disable=SC2086
    menu_wait_region wine-down $MENU_SHOT_BOX "$(menu_small kreator1.jpg)"
    e2e_shot wine-down
    local keyed
    # shellcheck disable=SC2086
    keyed=$(menu_changed_pixels "$linuxDown" "$E2E_SHOT" $MENU_DESC_BOX)
    # (About 300 pixels of the skin under the text round differently; another
    # program's description changes some 13000.)
    [ "${keyed:-99999}" -lt 600 ] || e2e_fail "the description after the key differs between Linux and wine ($keyed pixels)"

    # Kreator Stron's setup program again, started by the Windows menu; the menu steps
    # aside for it and comes back painted whole.
    e2e_click 829 364
    wine_standin wine-setup "$kreatorSays" "$kreator"
    e2e_until "$E2E_WAIT" menu_is_iconic "$MENU_WID" || e2e_fail "the Windows menu did not step aside for the program"
    menu_restore "$(menu_small kreator1.jpg)"

    # The close button minimises the menu, starts the disc's exit program in the
    # disc's root and ends the menu.
    e2e_click $MENU_CLOSE
    e2e_expect_exit 0 20
    wine_standin wine-outro "Dziękujemy za skorzystanie z płyty VEMI 12/2007" "Z:$WIN_DISC"

    # --- the picture viewer, minimising and the installer wizard under wine ---
    wine_start
    # shellcheck disable=SC2086
    menu_wait_region wine-again $MENU_SHOT_TOP "$(menu_small malarz1.jpg)"
    # Biuro Domowe 2007's three large pictures, full-screen above the menu, one per
    # click; the third click closes the viewer and gives the menu its input back.
    e2e_click "$(menu_row_x 1)" "$(menu_row_y 2)"
    # shellcheck disable=SC2086
    menu_wait_region wine-biuro $MENU_SHOT_BOX "$(menu_small biuro1.jpg)"
    e2e_click 880 200
    e2e_until "$E2E_WAIT" e2e_find_window --name '^IMG_FRM$' || e2e_fail "the screenshot opened no viewer"
    local viewer=$E2E_WID n
    e2e_wait_geometry "$viewer" 0 0 1024 768
    e2e_expect_borderless "$viewer"
    for n in 1 2 3; do
        menu_wait_region "wine-picture$n" 112 84 800 600 "$(menu_large "biuro$n.jpg")"
        e2e_expect_pixel 111 300 '#000000' 'left of the picture'
        e2e_click 500 400
    done
    e2e_until "$E2E_WAIT" sh -c "! xwininfo -id $viewer 2>/dev/null | grep -q IsViewable" || e2e_fail "the viewer stays after the last picture"
    # The minimise button takes the whole menu off the screen; the window manager
    # brings it back, painted whole.
    e2e_click 975 121
    e2e_until "$E2E_WAIT" menu_is_iconic "$MENU_WID" || e2e_fail "the minimise button did not minimise the Windows menu"
    menu_restore "$(menu_small biuro1.jpg)"

    e2e_click 829 364
    e2e_until "$E2E_WAIT" e2e_find_window --name '^VEMI CD/DVD Instalator$' || e2e_fail "the install button opened no wizard"
    local wiz=$E2E_WID
    e2e_wait_geometry_settled "$wiz"
    e2e_log "wizard at $E2E_X,$E2E_Y, ${E2E_W}x$E2E_H"
    local cx=$((E2E_X + E2E_W / 2))
    [ $((cx - 512)) -le 3 ] && [ $((512 - cx)) -le 3 ] || e2e_fail "the wizard is not centred across ($E2E_X, ${E2E_W})"
    e2e_frame_extents "$wiz" >/dev/null 2>&1 || true
    sleep 0.5
    e2e_shot wine-wizard
    # In front of the menu, which stays on top: the menu's pixels do not show there.
    local covered
    covered=$(menu_changed_pixels "$wineStart" "$E2E_SHOT" "$E2E_X" "$E2E_Y" "$E2E_W" "$E2E_H")
    [ "${covered:-0}" -gt $((E2E_W * E2E_H / 2)) ] || e2e_fail "the wizard does not show above the menu ($covered pixels changed)"

    # The window manager's close box asks before the wizard closes, as Alt+F4 and
    # "Anuluj" do, though the click that opened the wizard fell on the menu, which
    # covers the whole screen: "No" keeps the wizard, "Yes" closes it. In between,
    # the about box's close box closes the about box.
    e2e_close_box "$wiz"
    wine_answer_question wine-wizard-close-no n
    wine_gone "$wiz" && e2e_fail "No closed the wizard"
    e2e_click_client "$wiz" 52 332
    e2e_until "$E2E_WAIT" wine_other_window '^VEMI CD/DVD Instalator$' "$wiz" || e2e_fail "the wizard's O... button opened no about box"
    local about=$E2E_WID
    e2e_wait_geometry_settled "$about"
    e2e_close_box "$about"
    e2e_until "$E2E_WAIT" wine_gone "$about" || e2e_fail "the about box's close box did not close it"
    wine_gone "$wiz" && e2e_fail "the about box took the wizard with it"
    e2e_close_box "$wiz"
    wine_answer_question wine-wizard-close-yes y
    e2e_until "$E2E_WAIT" wine_gone "$wiz" || e2e_fail "Yes kept the wizard"
    wine_gone "$MENU_WID" && e2e_fail "the menu went with the wizard"

    # Kreator Stron, the third row, is a folder on the disc: copied once, and again.
    # The second time the shell asks before it replaces a file, in a window of the
    # wizard's, above it and the menu (both stay on top of everything else); the
    # question's close box stops the copy, and the wizard's own closes it.
    local copies="$WINE_PREFIX/drive_c/VEMI - kopie programów"
    rm -rf "$copies"
    e2e_click "$(menu_row_x 1)" "$(menu_row_y 3)"
    # shellcheck disable=SC2086
    menu_wait_region wine-kreator $MENU_SHOT_TOP "$(menu_small kreator1.jpg)"
    wine_copy
    e2e_until "$E2E_WAIT" wine_copied "$copies" || e2e_fail "the first copy brought nothing to $copies"
    sleep 0.5
    e2e_click_client "$WINE_WIZ" $((416 + 37)) $((320 + 12))
    e2e_until "$E2E_WAIT" wine_gone "$WINE_WIZ" || e2e_fail "OK did not close the wizard after the copy"
    wine_copy
    e2e_until "$E2E_WAIT" wine_transient_of "$WINE_WIZ" || e2e_fail "the shell's question does not belong to the wizard"
    local ask=$E2E_WID
    e2e_wait_geometry_settled "$ask"
    e2e_shot wine-copy-question
    wine_stacked_above "$ask" "$WINE_WIZ" || e2e_fail "the shell's question is behind the wizard"
    wine_stacked_above "$ask" "$MENU_WID" || e2e_fail "the shell's question is behind the menu"
    e2e_close_box "$ask"
    e2e_until "$E2E_WAIT" wine_gone "$ask" || e2e_fail "the close box of the shell's question did nothing"
    wine_gone "$WINE_WIZ" && e2e_fail "the stopped copy closed the wizard"
    e2e_close_box "$WINE_WIZ"
    e2e_until "$E2E_WAIT" wine_gone "$WINE_WIZ" || e2e_fail "the close box did not close the wizard after the stopped copy"
}
