// Stands in for the programs the kit starts: the author's install-time and
// update programs, the program run after installation, "[Lancer]" entries
// and "[Programme]" windows.  It appends one line to the file that
// marker_log.h names:
//
//   <own file name>|<parameters>|<shown or hidden>|<files in the current folder, sorted>
//
//   marker.exe [--sleep <ms>] [--window <title>] [parameters...]
//
// --sleep waits before writing; --window opens a window of that title and
// writes its line only when the window is asked to close.  While the test
// names a file as the hold (marker_log.h), it first waits (a minute at
// most) until that file exists, so that a test can look at the program
// that waits for it.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "marker_log.h"

namespace {

std::string own_name() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, n);
    return full.substr(full.find_last_of('\\') + 1);
}

std::string files_here() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA("*", &data);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
        } while (FindNextFileA(h, &data));
        FindClose(h);
    }
    std::sort(names.begin(), names.end());
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ",") + name;
    return list;
}

void write_marker(const std::string& parameters) {
    STARTUPINFOA start{};
    start.cb = sizeof start;
    GetStartupInfoA(&start);
    bool hidden = (start.dwFlags & STARTF_USESHOWWINDOW) && start.wShowWindow == SW_HIDE;
    std::string line = own_name() + "|" + parameters + "|" + (hidden ? "hidden" : "shown") + "|" + files_here() + "\r\n";
    HANDLE h = CreateFileA(marker_log_path().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(h);
}

std::string marker_parameters;

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CLOSE) {
        write_marker(marker_parameters);
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, w, l);
}

void run_window(const std::string& title) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = window_procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KitMarkerWindow";
    RegisterClassA(&wc);
    CreateWindowA("KitMarkerWindow", title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                  wc.hInstance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
}

// The hold is read from the registry, which only the running test sets: a
// helper started by Explorer gets Explorer's environment, that of whichever
// earlier test's program made Wine start its desktop.
void wait_for_release() {
    std::string release = marker_setting(MARKER_HOLD_VALUE);
    if (release.empty()) return;
    for (int waited = 0; waited < 60000 && GetFileAttributesA(release.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 20)
        Sleep(20);
}

}  // namespace

int main(int argc, char** argv) {
    std::string window_title;
    int sleep_ms = 0;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--sleep" && i + 1 < argc) {
            sleep_ms = std::atoi(argv[++i]);
        } else if (arg == "--window" && i + 1 < argc) {
            window_title = argv[++i];
        } else {
            marker_parameters += (marker_parameters.empty() ? "" : " ") + arg;
        }
    }
    wait_for_release();
    if (sleep_ms > 0) Sleep(sleep_ms);
    if (!window_title.empty())
        run_window(window_title);
    else
        write_marker(marker_parameters);
    return 0;
}
