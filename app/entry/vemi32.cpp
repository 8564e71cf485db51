// Program entry of the menu. The main window is being built; until then the program
// only says so.
#include <cstdio>

int main() {
    std::puts("vemi32: the main window is not built yet");
    return 0;
}
