# Choosing a program: a click on a list row shows that program's screenshot and
# description on the right; the arrow keys move the selection along the list.
E2E_SCREEN=1024x768

e2e_case() {
    . "$here/menu_lib.sh"
    menu_start
    # shellcheck disable=SC2086
    menu_wait_region first $MENU_SHOT_TOP "$(menu_small malarz1.jpg)"
    local first=$E2E_SHOT

    # Row 2 is Biuro Domowe 2007 (depth 1, under "Pełne wersje"); it has no web
    # notice, so its screenshot fills the whole box.
    e2e_click "$(menu_row_x 1)" "$(menu_row_y 2)"
    # shellcheck disable=SC2086
    menu_wait_region clicked $MENU_SHOT_BOX "$(menu_small biuro1.jpg)"
    local clicked=$E2E_SHOT
    local changed
    # shellcheck disable=SC2086
    changed=$(menu_changed_pixels "$first" "$clicked" $MENU_DESC_BOX)
    [ "${changed:-0}" -gt 2000 ] || e2e_fail "the description hardly changed ($changed pixels)"
    changed=$(menu_changed_pixels "$first" "$clicked" 756 652 256 16)
    [ "${changed:-0}" -gt 50 ] || e2e_fail "the link line did not change ($changed pixels)"

    # Down moves to row 3, Kreator Stron, then Up back to Biuro.
    e2e_key Down
    # shellcheck disable=SC2086
    menu_wait_region down $MENU_SHOT_BOX "$(menu_small kreator1.jpg)"
    # shellcheck disable=SC2086
    changed=$(menu_changed_pixels "$clicked" "$E2E_SHOT" $MENU_DESC_BOX)
    [ "${changed:-0}" -gt 2000 ] || e2e_fail "the description did not follow the key ($changed pixels)"
    e2e_key Up
    # shellcheck disable=SC2086
    menu_wait_region up $MENU_SHOT_BOX "$(menu_small biuro1.jpg)"
    # The same program shows the same panel as after the click.
    # shellcheck disable=SC2086
    changed=$(menu_changed_pixels "$clicked" "$E2E_SHOT" $MENU_DESC_BOX)
    [ "${changed:-1}" -eq 0 ] || e2e_fail "Biuro's description differs between click and key ($changed pixels)"

    e2e_click $MENU_CLOSE
    e2e_expect_exit 0
}
