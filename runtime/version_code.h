// The Windows version as the programs compare it.  Pure numbers, no system
// calls.
#pragma once

#include <cstdint>

// Platform identifiers of the version query (VER_PLATFORM_WIN32_WINDOWS and
// VER_PLATFORM_WIN32_NT).
constexpr uint32_t PLATFORM_WINDOWS_9X = 1;
constexpr uint32_t PLATFORM_WINDOWS_NT = 2;

// 10 Windows 95, 30 98, 40 ME, 5 NT 3.51, 20 NT 4.0, 50 2000, 60 XP, 100
// anything else.
int windows_version_code(uint32_t platform, uint32_t major, uint32_t minor);
