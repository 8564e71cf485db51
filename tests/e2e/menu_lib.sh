# Helpers for the cases of the menu itself (cases/menu_*.sh), on top of lib.sh:
# shellcheck disable=SC2034  # the places are read by the case files
# starting vemi32 from the sample disc and knowing when its first whole picture is
# on the screen, comparing parts of a screenshot with the disc's own pictures, and
# the places of the main window's parts. A case sources this file in e2e_case.
#
# Main-window places, in client pixels of the 1024 x 768 window.
MENU_SHOT_BOX="756 141 256 192"     # screenshot of the selected program
MENU_SHOT_TOP="756 141 256 160"     # its part above a web notice (which starts at y 305)
MENU_DESC_BOX="758 402 237 250"     # description
MENU_BUTTON3="881 365"              # information file (centre of action button 3)
MENU_LINK_Y=660                     # the link line's text
MENU_CLOSE="1005 121"               # close button
MENU_DISC="$E2E_BUILD_DIR/sample-disc/disc"

# The centre of list row v's text for an entry at the given depth (groups of the
# first level have depth 0).
menu_row_x() { echo $((304 + 15 * $1 + 20)); }
menu_row_y() { echo $((143 + 17 * $1 + 8)); }

# Starts the menu with the first-paint report on (see platform/fltk/Fltkfirstpaint.h)
# and waits until its window shows the whole picture; MENU_WID is the window.
# Extra arguments are environment assignments for the program (e.g. PATH=...).
menu_start() {
    e2e_start_app env "$@" VEMI_REPORT_FIRST_PAINT=1 "$MENU_DISC/vemi32"
    e2e_wait_window --pid "$E2E_APP_PID" --name '^VEMI32$'
    MENU_WID=$E2E_WID
    e2e_until "$E2E_WAIT" grep -q '^first-paint:' "$E2E_DIR/app.err" || e2e_fail "no first whole picture reported"
}

# Normalised root-mean-square difference (0 same, 1 opposite) between the w x h
# region at (x, y) of the last screenshot and the region at (rx, ry) of picture ref.
menu_rmse() {
    local x=$1 y=$2 w=$3 h=$4 ref=$5 rx=${6:-0} ry=${7:-0} out
    out=$(compare -metric RMSE "${E2E_SHOT}[${w}x$h+$x+$y]" "${ref}[${w}x$h+$rx+$ry]" null: 2>&1)
    # "1234.5 (0.0188)"; anything else (a size mismatch, a missing file) counts as far off.
    out=$(sed -n 's/^[0-9.e+-]* (\([0-9.e+-]*\))$/\1/p' <<<"$out")
    echo "${out:-1}"
}

# Whether the region shows picture ref: both are decoded by libjpeg, so they agree
# up to rounding; a different picture is far off (RMSE well above 0.1).
menu_region_is() {
    local d
    d=$(menu_rmse "$@")
    awk -v d="$d" 'BEGIN { exit !(d != "" && d < 0.02) }'
}

# Takes screenshots until the region shows ref (a file), or fails after E2E_WAIT.
menu_wait_region() {
    local what=$1
    shift
    local deadline=$((SECONDS + E2E_WAIT))
    while :; do
        e2e_shot "$what"
        menu_region_is "$@" && return 0
        [ "$SECONDS" -ge "$deadline" ] && e2e_fail "$what: the region $1,$2 ${3}x$4 does not show $(basename "$5") (RMSE $(menu_rmse "$@"))"
        sleep 0.1
    done
}

# Number of pixels that differ between the same region of two screenshots.
menu_changed_pixels() {
    local a=$1 b=$2 x=$3 y=$4 w=$5 h=$6
    compare -metric AE "${a}[${w}x$h+$x+$y]" "${b}[${w}x$h+$x+$y]" null: 2>&1 | sed 's/ .*//'
}

# The small (list) and large (viewer) screenshots of the sample disc.
menu_small() { echo "$MENU_DISC/CDInst/JPS/$1"; }
menu_large() { echo "$MENU_DISC/CDInst/JPG/$1"; }

# The window manager's state of a window: Normal, Iconic or Withdrawn.
menu_wm_state() { xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: *//p'; }
menu_is_iconic() { [ "$(menu_wm_state "$1")" = Iconic ] || xwininfo -id "$1" 2>/dev/null | grep -q IsUnMapped; }
menu_is_shown() { xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }

# Brings the minimised menu back through the window manager and waits until its
# screenshot box shows ref again (the repaint after the restore).
menu_restore() {
    local ref=$1
    xdotool windowactivate "$MENU_WID" 2>/dev/null || true
    e2e_until "$E2E_WAIT" menu_is_shown "$MENU_WID" || e2e_fail "the menu did not come back"
    # shellcheck disable=SC2086
    menu_wait_region restored $MENU_SHOT_TOP "$ref"
}

# --- the wizard (install and copy) ---

# The wizard's window, by its caption: WIZ.
menu_find_wizard() {
    WIZ=$(xdotool search --onlyvisible --name '^VEMI CD/DVD Instalator$' 2>/dev/null | head -n 1)
    [ -n "$WIZ" ]
}
menu_wizard_gone() { ! menu_find_wizard; }

# Clicks the menu's button at (x, y) and waits for the wizard it opens to settle;
# WIZ is the wizard, E2E_X, E2E_Y, E2E_W and E2E_H its place.
menu_open_wizard() {
    local what=$1
    e2e_click "$2" "$3"
    e2e_until "$E2E_WAIT" menu_find_wizard || e2e_fail "the $what button opened no wizard"
    e2e_wait_geometry_settled "$WIZ"
}

# OK on the wizard's last page (at the given scale, 1 unless told), and the wizard
# closes.
menu_wizard_ok() {
    local s=${1:-1}
    e2e_click_client "$WIZ" $((s * (416 + 37))) $((s * (320 + 12)))
    e2e_until "$E2E_WAIT" menu_wizard_gone || e2e_fail "OK did not close the wizard"
}

# The title of the page showing now, read from the desktop's point of view: the
# header band's title differs from page to page, so a changed band is a new page.
# Takes a screenshot and sets BAND to a checksum of the band's pixels.
menu_band_sum() {
    e2e_shot "$1"
    BAND=""
    e2e_geometry "$WIZ" || return 1
    BAND=$(convert "$E2E_SHOT" -crop "400x40+$E2E_X+$E2E_Y" +repage -format '%#' info:)
}
# Waits for the band to differ from the checksum given; PAGE_SUM is the new one.
menu_wait_page_change() {
    local before=$1 what=$2
    for _ in $(seq 1 $((E2E_WAIT * 10))); do
        menu_band_sum "$what"
        [ -n "$BAND" ] && [ "$BAND" != "$before" ] && PAGE_SUM=$BAND && return 0
        sleep 0.1
    done
    e2e_fail "$what: the wizard stayed on its page"
}

# The installed folder holds the ZIP archive's files, byte for byte (bsdtar reads
# the archive's names in the code page the disc's archives use).
menu_expect_unpacked() {
    local archive=$1 target=$2 list
    [ -d "$target" ] || e2e_fail "nothing was installed in $target"
    list=$(mktemp -d)
    (cd "$list" && LC_ALL=C.UTF-8 bsdtar --options hdrcharset=CP852 -xf "$archive") || e2e_fail "bsdtar cannot read $archive"
    diff -r "$list" "$target" >"$E2E_DIR/diff.txt" 2>&1 || e2e_fail "installed files differ from the archive: $(head -5 "$E2E_DIR/diff.txt")"
    rm -rf "$list"
}

# Kreator Stron, the third row, a folder on the disc, copied by the copy wizard
# from the disc's folder src to drive C: (folder c): everything arrives, writable
# (a pressed disc's files are read-only), and its setup program may still run. The
# last page is kept as wizard-7.png.
menu_copy_kreator() {
    local src=$1 c=$2
    e2e_click "$(menu_row_x 1)" "$(menu_row_y 3)"
    # shellcheck disable=SC2086
    menu_wait_region kreator $MENU_SHOT_TOP "$(menu_small kreator1.jpg)"
    menu_open_wizard copy 936 366
    e2e_shot copy1
    xdotool windowactivate --sync "$WIZ" 2>/dev/null || true
    e2e_key Return
    local dst="$c/VEMI - kopie programów/Kreator Stron Internetowych Professional Edition 2008 – pełna wersja dla Czytelników VEMI"
    e2e_until "$E2E_WAIT" test -f "$dst/dane/program.dat" || e2e_fail "nothing arrived in $dst: $(find "$c" | head)"
    # The last page: "Kopiowanie zakończone." with the folder; OK closes it.
    sleep 0.5
    e2e_shot copy7
    cp "$E2E_SHOT" "$E2E_DIR/wizard-7.png"
    menu_wizard_ok
    diff -r "$src" "$dst" >"$E2E_DIR/diff.txt" 2>&1 || e2e_fail "the copy differs: $(head -5 "$E2E_DIR/diff.txt")"
    local f
    while IFS= read -r -d '' f; do
        [ -w "$f" ] || e2e_fail "$f arrived read-only"
    done < <(find "$dst" -print0)
    [ -x "$dst/instaluj.exe" ] || e2e_fail "the setup program lost its right to run"
}

# --- a disc's image, mounted as a drive shows it ---

# The mount of IMAGE at MNT as the kernel lists it (root cannot look into a
# reader's FUSE mount).
menu_image_mount_line() { awk -v m="$MNT" '$2 == m' /proc/mounts; }
menu_image_mounted() { [ -n "$(menu_image_mount_line)" ]; }
menu_image_mount_ended() { menu_image_mounted || ! kill -0 "$FUSE_PID" 2>/dev/null; }

# Mounts IMAGE at MNT with fuseiso in the foreground (the case's clean-up ends it,
# and with it the mount); $1 runs it (e2e_exec_as_reader or exec), $2 are its
# mount options. Fails (returns 1) where FUSE does not mount.
menu_image_mount() {
    local how=$1 opts=$2
    (
        "$how" fuseiso -n "$IMAGE" "$MNT" -f -o "$opts"
    ) >>"$E2E_DIR/fuseiso.log" 2>&1 &
    FUSE_PID=$!
    E2E_PIDS+=("$FUSE_PID")
    e2e_until "$E2E_WAIT" menu_image_mount_ended
    menu_image_mounted
}

menu_image_unmount() {
    kill "$FUSE_PID" 2>/dev/null
    wait "$FUSE_PID" 2>/dev/null
    e2e_until "$E2E_WAIT" eval '! menu_image_mounted' || e2e_fail "the image stays mounted at $MNT"
}
