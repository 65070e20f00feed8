// Stands in for a library planted beside a program under a name the program
// or a system library might load: when it is loaded, it appends one line to
// the file that marker_log.h names:
//
//   planted|<file name of the program that loaded it>
#include <windows.h>

#include <string>

#include "marker_log.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string program(path, length);
    std::string line = "planted|" + program.substr(program.find_last_of('\\') + 1) + "\r\n";
    HANDLE file = CreateFileA(marker_log_path().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        CloseHandle(file);
    }
    return TRUE;
}
