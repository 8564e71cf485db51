# The copy button on the desktop: the wizard copies a program's folder from a disc
# whose files are read-only, as a pressed disc's are, to drive C: (the case's own
# folder); everything arrives, and arrives writable. The disc is a copy of the
# sample disc with the folder made read-only, given to the menu as VEMI_DISC_ROOT.
E2E_SCREEN=1024x768

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

    menu_copy_kreator "$src" "$c"

    e2e_click $MENU_CLOSE
    e2e_expect_exit 0
    chmod -R u+w "$disc"
}
