# The menu from the disc's image, as a reader meets a burned disc: `vemi-disc iso`
# makes the image of the sample disc, fuseiso mounts it read-only, and the menu
# starts from the mount as the reader. The files it reads as it starts are the ones
# the image holds first, in the order it reads them. It runs a program from the disc (its
# execute permission came through the image), installs a ZIP-packaged program to
# drive C:, copies a program's folder there, and leaves through the disc's exit
# program; nothing is written to the disc, and the image's bytes are the same
# afterwards.
#
# The reader mounts the image itself where it may open /dev/fuse (a desktop's
# default); where the device is root's alone (some containers), root mounts it for
# the reader, read-only and open to other users. Where FUSE cannot mount at all,
# the case says why and is skipped.
E2E_SCREEN=1024x768

E2E_SKIPPED=77

image_skip() {
    e2e_log "skipped: $*"
    exit "$E2E_SKIPPED"
}

e2e_case() {
    . "$here/menu_lib.sh"
    command -v fuseiso >/dev/null || image_skip "fuseiso is missing (scripts/setup.sh installs it)"
    [ -c /dev/fuse ] || image_skip "there is no /dev/fuse here: this system mounts no FUSE file systems"

    # The image lies in a folder of the system's, read-only to the reader.
    local media="$E2E_DIR/media" c="$E2E_DIR/c" xdg="$E2E_DIR/xdg"
    e2e_system_folder "$media" "$xdg/common/applications" "$xdg/common/menus"
    IMAGE="$media/vemi.iso"
    "$E2E_BUILD_DIR/tools/vemi-disc" iso --quiet --date 2007-12-01 "$MENU_DISC" "$IMAGE" || e2e_fail "vemi-disc made no image"
    local before
    before=$(sha256sum <"$IMAGE")
    mkdir -p "$c"
    e2e_hand_over

    # Beside the case's folder, which is handed to the reader file by file: nothing
    # may walk into the mount.
    MNT="$E2E_DIR.mnt"
    fusermount -u -z "$MNT" 2>/dev/null
    mkdir -p "$MNT"
    if [ "$(id -u)" = 0 ] && [ "$E2E_AS_READER" = 1 ]; then
        local ids
        read -r -a ids <<<"$(e2e_reader_ids)"
        chown "${ids[0]}:${ids[1]}" "$MNT"
    fi
    if ! menu_image_mount e2e_exec_as_reader ro; then
        e2e_log "the reader cannot mount the image: $(tail -n 1 "$E2E_DIR/fuseiso.log")"
        [ "$(id -u)" = 0 ] || image_skip "FUSE does not mount here: $(tail -n 1 "$E2E_DIR/fuseiso.log")"
        e2e_log "root mounts it for the reader instead (read-only, open to other users)"
        menu_image_mount exec ro,allow_other || image_skip "FUSE does not mount here: $(tail -n 1 "$E2E_DIR/fuseiso.log")"
    fi
    e2e_log "mounted: $(menu_image_mount_line)"
    case ",$(menu_image_mount_line | awk '{ print $4 }')," in
    *,ro,*) ;;
    *) e2e_fail "the image is not mounted read-only: $(menu_image_mount_line)" ;;
    esac

    # The menu from the mount, as the reader starts it from a disc: D: is the folder
    # it lies in. The reference pictures are the disc folder's own (the image holds
    # the same bytes; root may not look into a reader's mount). strace writes down
    # which of the disc's files it reads, and in what order. (The leak checker of a
    # sanitizer build cannot work under a tracer: it stays off here, and the other
    # cases check for leaks.)
    e2e_start_app strace -f -qq -e trace=execve,openat -o "$E2E_DIR/reads.txt" \
        env ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" VEMI_DRIVE_C="$c" XDG_DATA_HOME="$xdg/data" XDG_CONFIG_HOME="$xdg/config" \
        VEMI_COMMON_PROGRAMS="$xdg/common/applications" VEMI_COMMON_MENUS="$xdg/common/menus" \
        VEMI_REPORT_FIRST_PAINT=1 "$MNT/vemi32"
    e2e_wait_window --name '^VEMI32$'
    MENU_WID=$E2E_WID
    e2e_until "$E2E_WAIT" grep -q '^first-paint:' "$E2E_DIR/app.err" || e2e_fail "no first whole picture reported"
    # shellcheck disable=SC2086
    menu_wait_region first $MENU_SHOT_TOP "$(menu_small malarz1.jpg)"

    # The files it read first are the ones the image holds first, in the same order
    # (the Windows menu's own, when the disc has one, is not the Linux menu's to read).
    local read laid
    read=$(awk -v m="$MNT/" '/^[0-9]+ +(execve|openat)\(/ && !/O_DIRECTORY/ && !/= -1 / {
            p = substr($0, index($0, "\"") + 1); p = substr(p, 1, index(p, "\"") - 1)
            if (index(p, m) == 1 && !seen[p = substr(p, length(m) + 1)]++) print p
        }' "$E2E_DIR/reads.txt")
    laid=$("$E2E_BUILD_DIR/tools/vemi-disc" iso --layout "$IMAGE" | awk -F'\t' '!/^#/ && $3 != "-" && $4 != "vemi32.exe" { print $3 "\t" $4 }' |
        sort -n | cut -f2)
    [ -n "$laid" ] || e2e_fail "the image lays out no start-up files"
    [ "$(head -n "$(wc -l <<<"$laid")" <<<"$read")" = "$laid" ] ||
        e2e_fail "the menu read $(head -n 8 <<<"$read" | tr '\n' ' ')but the image holds first $(tr '\n' ' ' <<<"$laid")"

    # A program run from the disc: Łatwy Podgląd, in a folder with Polish letters.
    e2e_click "$(menu_row_x 2)" "$(menu_row_y 9)"
    # shellcheck disable=SC2086
    menu_wait_region podglad $MENU_SHOT_TOP "$(menu_small lpodglad1.jpg)"
    e2e_click 778 366
    e2e_wait_line 'Łatwy Podgląd – the program z płyty'
    e2e_until "$E2E_WAIT" menu_is_iconic "$MENU_WID" || e2e_fail "the menu did not step aside for the program"
    menu_restore "$(menu_small lpodglad1.jpg)"

    # Malarz 3, a ZIP archive, installed to C: with Enter through the pages; OK at
    # the end starts it from there.
    e2e_click "$(menu_row_x 1)" "$(menu_row_y 1)"
    # shellcheck disable=SC2086
    menu_wait_region malarz $MENU_SHOT_TOP "$(menu_small malarz1.jpg)"
    menu_open_wizard install 829 364
    menu_band_sum install1
    PAGE_SUM=$BAND
    xdotool windowactivate --sync "$WIZ" 2>/dev/null || true
    local page
    for page in install2 install3 install5; do
        e2e_key Return
        menu_wait_page_change "$PAGE_SUM" "$page"
    done
    menu_wizard_ok
    e2e_wait_line 'Malarz 3 .* the program z płyty'
    menu_expect_unpacked "$MENU_DISC/Programy/PelneWersje/Malarz3.zip" "$c/VEMI-12-2007/Malarz 3"

    # Kreator Stron's folder copied to C:, everything writable there although the
    # disc's files are read-only.
    menu_copy_kreator "$MENU_DISC/Programy/PelneWersje/KreatorStron" "$c"

    # Leaving runs the disc's exit program.
    e2e_click $MENU_CLOSE
    e2e_expect_exit 0
    e2e_wait_line 'Dziękujemy za skorzystanie z płyty VEMI'

    # Nothing reached the disc: the reader can write nothing there, and the image
    # is the same, byte for byte.
    if (e2e_exec_as_reader touch "$MNT/Outro.exe" "$MNT/nowy.txt") 2>/dev/null; then
        e2e_fail "the reader could write to the mounted image"
    fi
    menu_image_unmount
    rmdir "$MNT"
    [ "$(sha256sum <"$IMAGE")" = "$before" ] || e2e_fail "the image changed"
}
