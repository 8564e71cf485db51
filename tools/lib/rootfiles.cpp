#include "tools/lib/rootfiles.h"

#include <fstream>

namespace tool {

MenuSystem SystemOfProgram(const std::vector<uint8_t>& head) {
    if (head.size() >= 2 && head[0] == 'M' && head[1] == 'Z') return MenuSystem::Windows;
    if (head.size() >= 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F') return MenuSystem::Linux;
    if (head.size() >= 2 && head[0] == '#' && head[1] == '!') return MenuSystem::Linux;
    return MenuSystem::Unknown;
}

MenuSystem SystemOfProgramFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    char buf[4] = {};
    f.read(buf, sizeof buf);
    return SystemOfProgram(std::vector<uint8_t>(buf, buf + f.gcount()));
}

std::string MenuNameOnDisc(MenuSystem system) {
    return std::string(system == MenuSystem::Windows ? kWindowsMenuName : kLinuxMenuName);
}

std::string AutorunText() { return "[autorun]\r\nopen=vemi32.exe\r\nicon=vemi32.exe,0\r\n"; }

std::string AutostartScript() {
    // The desktop starts it in the disc's root; a user may start it from anywhere,
    // and the menu then starts just the same.
    return "#!/bin/sh\n"
           "# Menu płyty: pulpit uruchamia ten plik po włożeniu płyty, gdy użytkownik się zgodzi.\n"
           "cd \"$(dirname \"$0\")\" || exit 1\n"
           "exec ./vemi32 \"$@\"\n";
}

}  // namespace tool
