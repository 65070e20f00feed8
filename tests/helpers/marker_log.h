// Where the helper programs note themselves: the file the running test
// named in the user's registry under MARKER_LOG_KEY; without it, the file
// the environment variable KIT_MARKER_LOG names; markers.txt in the current
// folder without either.  The driver's set_marker_log sets both.  The
// registry comes first: a helper started by Explorer gets Explorer's own
// environment, which is that of whichever earlier test's program made Wine
// start its desktop, and may name that test's long-gone log.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>

constexpr char MARKER_LOG_KEY[] = "Software\\Tarvo Kit Tests";
constexpr char MARKER_LOG_VALUE[] = "Marker log";
// While the test names a file here, the helpers wait until it exists.
constexpr char MARKER_HOLD_VALUE[] = "Marker hold";

// The test's own text value of MARKER_LOG_KEY, "" when it has none.
inline std::string marker_setting(const char* value) {
    char path[MAX_PATH];
    DWORD size = sizeof path;
    if (RegGetValueA(HKEY_CURRENT_USER, MARKER_LOG_KEY, value, RRF_RT_REG_SZ, nullptr, path, &size) != ERROR_SUCCESS)
        return "";
    return path;
}

inline std::string marker_log_path() {
    std::string path = marker_setting(MARKER_LOG_VALUE);
    if (!path.empty()) return path;
    if (const char* log = std::getenv("KIT_MARKER_LOG")) return log;
    return "markers.txt";
}
