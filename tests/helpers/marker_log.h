// Where the helper programs note themselves: the file the environment
// variable KIT_MARKER_LOG names, as the test that starts them sets it; for
// a helper started by Explorer (which passes on its own environment, not
// the installer's), the file the test named in the user's registry under
// MARKER_LOG_KEY; markers.txt in the current folder without either.  The
// driver's set_marker_log sets both.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>

constexpr char MARKER_LOG_KEY[] = "Software\\Tarvo Kit Tests";
constexpr char MARKER_LOG_VALUE[] = "Marker log";

inline std::string marker_log_path() {
    if (const char* log = std::getenv("KIT_MARKER_LOG")) return log;
    char path[MAX_PATH];
    DWORD size = sizeof path;
    if (RegGetValueA(HKEY_CURRENT_USER, MARKER_LOG_KEY, MARKER_LOG_VALUE, RRF_RT_REG_SZ, nullptr, path, &size) ==
            ERROR_SUCCESS &&
        path[0])
        return path;
    return "markers.txt";
}
