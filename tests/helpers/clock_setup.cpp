// clock_setup: stands in for Setup.exe in a benchmark package.  It writes the
// moment it started (in 100 ns units of the system clock) to the file that
// KIT_BENCH_CLOCK names, and ends: the self-extracting program has finished
// unpacking when it starts it.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    char path[MAX_PATH];
    if (!GetEnvironmentVariableA("KIT_BENCH_CLOCK", path, MAX_PATH)) return 1;
    std::FILE* out = std::fopen(path, "w");
    if (!out) return 1;
    std::fprintf(out, "%llu\n", (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    std::fclose(out);
    return 0;
}
