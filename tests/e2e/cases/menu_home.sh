# The menu leaves nothing in the reader's home folder: started with HOME in an empty
# folder of its own, it shows its window, opens the installer, moves the focus
# through a page and the cancel question, and ends; the folder is still empty.
# (The toolkit would keep its options in ~/.fltk.)
E2E_SCREEN=1024x768

e2e_case() {
    . "$here/menu_lib.sh"
    local home="$E2E_DIR/home" xdg="$E2E_DIR/xdg"
    mkdir -p "$home" "$xdg"
    # The font library's cache is the desktop's (a fresh machine may have none yet);
    # it goes elsewhere, like the menu folders of the installer.
    menu_start HOME="$home" VEMI_DRIVE_C="$E2E_DIR/c" XDG_DATA_HOME="$xdg/data" XDG_CONFIG_HOME="$xdg/config" \
        XDG_CACHE_HOME="$xdg/cache" VEMI_COMMON_PROGRAMS="$xdg/common/applications" \
        VEMI_COMMON_MENUS="$xdg/common/menus"
    # shellcheck disable=SC2086
    menu_wait_region first $MENU_SHOT_TOP "$(menu_small malarz1.jpg)"

    # The installer: its buttons and fields take the focus, page by page.
    e2e_click 829 364
    local wiz=""
    find_wiz() { wiz=$(xdotool search --onlyvisible --name '^VEMI CD/DVD Instalator$' 2>/dev/null | head -n 1); [ -n "$wiz" ]; }
    e2e_until "$E2E_WAIT" find_wiz || e2e_fail "the install button opened no wizard"
    e2e_wait_geometry_settled "$wiz"
    xdotool windowactivate --sync "$wiz" 2>/dev/null || true
    e2e_key Return
    sleep 0.5
    # Closing asks first; Enter answers "Tak".
    e2e_close_box "$wiz"
    sleep 0.5
    e2e_key Return
    e2e_until "$E2E_WAIT" eval '! find_wiz' || e2e_fail "the wizard did not close"

    e2e_click $MENU_CLOSE
    e2e_expect_exit 0
    local left
    left=$(find "$home" -mindepth 1 | head -n 5)
    [ -z "$left" ] || e2e_fail "the menu left files in the home folder: $left"
}
