/* The stand-in for every program of the sample disc on Windows: a real Windows
 * program, so that each of the menu's actions can be tried there. Each copy on
 * the disc says which program it stands in for; the build appends that text to
 * the copy, after the program's own bytes, where Windows' loader never looks.
 *
 * Started, it shows the text in a message box, as the shell-script stand-ins of
 * the Linux disc print theirs. For tests without a person in front of the
 * screen, VEMI_STANDIN_TRACE names a file to which each start first appends a
 * line: the text, the folder it was started in and its command line, separated
 * by tabs, in UTF-8. */
#include <string.h>
#include <windows.h>

#define MARKER "\n#VEMI-STANDIN#"
/* The text is a line of a shell script: a few hundred bytes at most. */
#define TAIL 4096

/* The text appended to this very file (UTF-8, without the marker and the line
 * end), or nothing when there is none. */
static int OwnText(char* out, int size) {
    wchar_t self[MAX_PATH * 2];
    DWORD n = GetModuleFileNameW(NULL, self, MAX_PATH * 2);
    if (n == 0 || n >= MAX_PATH * 2) return 0;
    HANDLE f = CreateFileW(self, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (f == INVALID_HANDLE_VALUE) return 0;
    static char tail[TAIL + 1];
    LARGE_INTEGER length;
    DWORD got = 0;
    if (GetFileSizeEx(f, &length)) {
        LARGE_INTEGER at;
        at.QuadPart = length.QuadPart > TAIL ? length.QuadPart - TAIL : 0;
        if (!SetFilePointerEx(f, at, NULL, FILE_BEGIN) || !ReadFile(f, tail, TAIL, &got, NULL)) got = 0;
    }
    CloseHandle(f);
    /* The last marker in the tail: the program's own bytes may hold the marker's
     * text too, but never after the appended line. */
    const int markerLength = (int)(sizeof MARKER - 1);
    int start = -1;
    for (int i = (int)got - markerLength; i >= 0; --i)
        if (memcmp(tail + i, MARKER, markerLength) == 0) {
            start = i + markerLength;
            break;
        }
    if (start < 0) return 0;
    int len = 0;
    while (start + len < (int)got && tail[start + len] != '\n' && tail[start + len] != '\r' && len < size - 1) {
        out[len] = tail[start + len];
        ++len;
    }
    out[len] = '\0';
    return len;
}

static void AppendUtf8(HANDLE f, const wchar_t* text) {
    char buf[4096];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buf, sizeof buf, NULL, NULL);
    DWORD written;
    if (n > 1) WriteFile(f, buf, (DWORD)(n - 1), &written, NULL);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    char utf8[TAIL];
    wchar_t text[TAIL];
    if (OwnText(utf8, sizeof utf8) == 0 || MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text, TAIL) == 0) {
        /* A copy without its text still says what it is: its own file name. */
        wchar_t self[MAX_PATH];
        DWORD n = GetModuleFileNameW(NULL, self, MAX_PATH);
        const wchar_t* name = self;
        for (DWORD i = 0; i < n && i < MAX_PATH; ++i)
            if (self[i] == L'\\' || self[i] == L'/') name = self + i + 1;
        lstrcpynW(text, n ? name : L"?", TAIL);
    }

    wchar_t trace[MAX_PATH * 2];
    DWORD traceLength = GetEnvironmentVariableW(L"VEMI_STANDIN_TRACE", trace, MAX_PATH * 2);
    if (traceLength > 0 && traceLength < MAX_PATH * 2) {
        HANDLE f = CreateFileW(trace, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
        if (f != INVALID_HANDLE_VALUE) {
            wchar_t folder[MAX_PATH * 2];
            DWORD m = GetCurrentDirectoryW(MAX_PATH * 2, folder);
            if (m == 0 || m >= MAX_PATH * 2) folder[0] = L'\0';
            AppendUtf8(f, text);
            AppendUtf8(f, L"\t");
            AppendUtf8(f, folder);
            AppendUtf8(f, L"\t");
            AppendUtf8(f, GetCommandLineW());
            AppendUtf8(f, L"\r\n");
            CloseHandle(f);
        }
    }
    MessageBoxW(NULL, text, L"Płyta VEMI 12/2007 – program przykładowy", MB_OK | MB_ICONINFORMATION);
    return 0;
}
