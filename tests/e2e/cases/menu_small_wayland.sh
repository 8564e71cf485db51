# menu_small under a Wayland compositor (weston's Xwayland), which places windows
# itself and will not have one hang over the screen's edges.
# shellcheck source=menu_small.sh
. "$here/cases/menu_small.sh"
E2E_WM=weston
