#include "platform/posix/desktopmenu.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/hostfile.h"
#include "platform/opener.h"
#include "platform/paths.h"

namespace platform {
namespace {

std::string AbsoluteEnv(const char* name) {
    const char* v = std::getenv(name);
    if (!v || v[0] != '/') return {};
    std::string s = v;
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

std::string Join(const std::string& folder, const std::string& name) { return folder == "/" ? "/" + name : folder + "/" + name; }

std::string ParentOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Desktop entries and menu files are UTF-8 throughout; a host name in another
// encoding cannot be written into them faithfully.
bool ValidUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int more = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        if (more < 0 || (more == 1 && c < 0xC2) || i + more >= s.size()) return false;
        uint32_t cp = more == 0 ? c : c & (0x3F >> more);
        for (int k = 1; k <= more; ++k) {
            unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        // Overlong forms, surrogates and values past the last code point.
        if ((more == 2 && cp < 0x800) || (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

bool HasControl(const std::string& s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// A value of type string or localestring: the escapes of the format, and a leading
// blank kept as \s because readers drop blanks after "=".
std::string EscapeValue(const std::string& v) {
    std::string out;
    bool leading = true;
    for (char c : v) {
        if (c != ' ') leading = false;
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case ' ': out += leading ? "\\s" : " "; break;
        default: out += c;
        }
    }
    return out;
}

// One argument of Exec: quoted when it holds a reserved character, with the four
// characters that stay special inside quotes escaped, and a literal percent sign
// doubled so that it is not taken for a field code.
std::string ExecArgument(const std::string& arg) {
    static const std::string kReserved = " \t\n\"'\\><~|&;$*?#()`";
    bool quote = arg.empty() || arg.find_first_of(kReserved) != std::string::npos;
    std::string out;
    if (quote) out += '"';
    for (char c : arg) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
        if (c == '%') out += '%';
        out += c;
    }
    if (quote) out += '"';
    return out;
}

std::vector<std::string> ExecArguments(const std::string& target) {
    switch (ClassifyTarget(target)) {
    case TargetKind::NativeProgram:
        // Some menus look the program up as written, before percent signs are
        // undoubled, and drop an entry whose program they cannot find; a path with
        // a percent sign is therefore handed to a shell as an argument, never
        // read as shell text.
        if (target.find('%') != std::string::npos) return {"sh", "-c", "exec \"$0\"", target};
        return {target};
    case TargetKind::WindowsProgram: return {"wine", target};
    case TargetKind::WindowsInstaller: return {"wine", "msiexec", "/i", target};
    case TargetKind::Folder:
    case TargetKind::Document: break;
    }
    return {"xdg-open", target};
}

std::string XmlText(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

// The files of one shortcut, each written beside its place first and then renamed
// over it: a menu watching the folder never reads half a file, a link in a file's
// place is replaced, not followed, and when any file cannot be written none of the
// new ones stays (a shortcut is all its files or none).
class FileSet {
public:
    ~FileSet() {
        for (const Item& i : items_) HostRemoveFile(i.temp);
    }
    bool Add(const std::string& path, const std::string& text) {
        static unsigned counter = 0;
        const std::string folder = ParentOf(path);
        // A name the file system cannot hold fails here, before anything is in place.
        const long max = ::pathconf(folder.c_str(), _PC_NAME_MAX);
        if (NameOf(path).size() > static_cast<size_t>(max > 0 ? max : 255)) return false;
        Item item{path, {}, HostPathKind(path) != HostKind::None};
        HostFile f;
        for (int attempt = 0; attempt < 100 && !f.IsOpen(); ++attempt) {
            item.temp = Join(folder, ".vemi-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".tmp");
            if (!f.CreateNew(item.temp) && !f.LastCreateFoundExisting()) return false;
        }
        if (!f.IsOpen()) return false;
        items_.push_back(item);
        bool ok = f.Write(text.data(), text.size());
        return f.Close() && ok;
    }
    // Puts every file in its place; on a failure takes the new ones out again.
    bool Commit() {
        for (size_t i = 0; i < items_.size(); ++i) {
            if (::rename(items_[i].temp.c_str(), items_[i].path.c_str()) == 0) {
                items_[i].temp.clear();
                continue;
            }
            for (size_t j = 0; j < i; ++j)
                if (!items_[j].existed) HostRemoveFile(items_[j].path);
            return false;
        }
        items_.clear();
        return true;
    }

private:
    struct Item {
        std::string path, temp;
        bool existed = false;
    };
    std::vector<Item> items_;
};

// A shortcut's file name. Its desktop file id is "<group>-<file name>" in a group
// and the file name alone outside one, so a name keeps no dash of its own: group
// "a-b" with "Gra" and group "a" with "b-Gra" would otherwise be one entry of the
// menu, and a name "a-b-Gra" outside any group a third. A dash becomes "_2D" and an
// underscore "__", which no two names share; a leading dot, which would hide the
// file, becomes "_2E". The menu shows the entry's Name, not its file name.
std::string EntryFileName(const std::string& name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '-') out += "_2D";
        else if (c == '_') out += "__";
        else if (c == '.' && i == 0) out += "_2E";
        else out += c;
    }
    return out + ".desktop";
}

std::string DesktopEntry(const std::string& name, const std::string& target, const std::string& workDir) {
    std::string t = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    t += "Name=" + EscapeValue(name) + "\n";
    t += "Exec=" + DesktopExecValue(target) + "\n";
    if (!workDir.empty()) t += "Path=" + EscapeValue(workDir) + "\n";
    if (ClassifyTarget(target) == TargetKind::Folder) t += "Icon=folder\n";
    t += "Terminal=false\n";
    return t;
}

std::string DirectoryEntry(const std::string& group) {
    return "[Desktop Entry]\nType=Directory\nVersion=1.0\nName=" + EscapeValue(group) + "\nIcon=folder\n";
}

// The group's sub-menu, merged into the application menu. Its entries are named by
// their desktop file ids: a file in a sub-folder of an applications folder is known
// as "<sub-folder>-<file name>".
std::string MergedMenu(const MenuFolders& folders, const std::string& group, const std::string& directoryFile,
                       const std::vector<std::string>& entries) {
    std::string t =
        "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/menu-spec/menu-1.0.dtd\">\n"
        "<Menu>\n"
        "  <Name>Applications</Name>\n"
        "  <Menu>\n";
    t += "    <Name>" + XmlText(group) + "</Name>\n";
    // The folders are named as well, so that the menu is found complete even where
    // the desktop does not search them by itself (another all-users folder).
    t += "    <AppDir>" + XmlText(folders.applications) + "</AppDir>\n";
    t += "    <DirectoryDir>" + XmlText(folders.directories) + "</DirectoryDir>\n";
    t += "    <Directory>" + XmlText(directoryFile) + "</Directory>\n";
    t += "    <Include>\n";
    for (const std::string& e : entries) t += "      <Filename>" + XmlText(group + "-" + e) + "</Filename>\n";
    t += "    </Include>\n  </Menu>\n</Menu>\n";
    return t;
}

// The desktop entries in a group's folder, in a stable order.
std::vector<std::string> EntriesIn(const std::string& folder) {
    std::vector<std::string> out;
    for (const std::string& n : HostListNames(folder))
        if (EndsWith(n, ".desktop") && n[0] != '.' && ValidUtf8(n) && !HasControl(n) &&
            HostTargetKind(Join(folder, n)) == HostKind::File)
            out.push_back(n);
    std::sort(out.begin(), out.end());
    return out;
}

// A folder that exists and may take new entries, or a missing one whose nearest
// existing parent is such a folder.
bool CanCreateIn(const std::string& folder) {
    for (std::string p = folder;; p = ParentOf(p)) {
        struct stat st;
        if (::stat(p.c_str(), &st) == 0) return S_ISDIR(st.st_mode) && ::access(p.c_str(), W_OK | X_OK) == 0;
        if (errno != ENOENT || p == "/") return false;
    }
}

}  // namespace

bool CanWriteMenuFolders(const MenuFolders& folders) {
    return !folders.applications.empty() && CanCreateIn(folders.applications) && CanCreateIn(folders.directories) &&
           CanCreateIn(folders.mergedMenus);
}

MenuFolders DesktopMenuFolders(bool allUsers) {
    MenuFolders f;
    if (allUsers) {
        f.applications = AbsoluteEnv("VEMI_COMMON_PROGRAMS");
        if (f.applications.empty()) f.applications = "/usr/local/share/applications";
        f.directories = Join(ParentOf(f.applications), "desktop-directories");
        f.mergedMenus = AbsoluteEnv("VEMI_COMMON_MENUS");
        if (f.mergedMenus.empty()) f.mergedMenus = "/etc/xdg/menus/applications-merged";
        return f;
    }
    std::string home = AbsoluteEnv("HOME");
    std::string data = AbsoluteEnv("XDG_DATA_HOME");
    if (data.empty() && !home.empty()) data = Join(home, ".local/share");
    std::string config = AbsoluteEnv("XDG_CONFIG_HOME");
    if (config.empty() && !home.empty()) config = Join(home, ".config");
    if (data.empty() || config.empty()) return {};
    f.applications = Join(data, "applications");
    f.directories = Join(data, "desktop-directories");
    f.mergedMenus = Join(config, "menus/applications-merged");
    return f;
}

std::string DesktopExecValue(const std::string& hostTarget) {
    std::string line;
    for (const std::string& a : ExecArguments(hostTarget)) {
        if (!line.empty()) line += ' ';
        line += ExecArgument(a);
    }
    // The whole value is a string of the format, so its backslashes are escaped
    // once more on top of the quoting.
    return EscapeValue(line);
}

bool SaveMenuShortcut(const MenuFolders& folders, const std::string& hostFolder, const std::string& name,
                      const std::string& hostTarget, const std::string& hostWorkDir) {
    if (folders.applications.empty() || name.empty() || name.find('/') != std::string::npos) return false;
    for (const std::string* s : {&hostFolder, &name, &hostTarget, &hostWorkDir})
        if (!ValidUtf8(*s)) return false;
    if (HasControl(name) || hostTarget.empty()) return false;
    const bool inGroup = hostFolder != folders.applications;
    // Only one level of groups: the desktop file id names a file by its place below
    // the applications folder.
    if (inGroup && ParentOf(hostFolder) != folders.applications) return false;
    if (HostTargetKind(hostFolder) != HostKind::Directory) return false;

    FileSet files;
    if (!files.Add(Join(hostFolder, EntryFileName(name)), DesktopEntry(name, hostTarget, hostWorkDir))) return false;
    if (inGroup) {
        const std::string group = NameOf(hostFolder);
        if (HasControl(group)) return false;
        const std::string directoryFile = "vemi-" + group + ".directory";
        if (!HostMakeDirectories(folders.directories) || !HostMakeDirectories(folders.mergedMenus)) return false;
        std::vector<std::string> entries = EntriesIn(hostFolder);
        const std::string entry = EntryFileName(name);
        if (std::find(entries.begin(), entries.end(), entry) == entries.end()) {
            entries.push_back(entry);
            std::sort(entries.begin(), entries.end());
        }
        if (!files.Add(Join(folders.directories, directoryFile), DirectoryEntry(group)) ||
            !files.Add(Join(folders.mergedMenus, "vemi-" + group + ".menu"), MergedMenu(folders, group, directoryFile, entries)))
            return false;
    }
    return files.Commit();
}

}  // namespace platform
