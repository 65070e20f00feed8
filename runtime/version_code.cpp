#include "runtime/version_code.h"

int windows_version_code(uint32_t platform, uint32_t major, uint32_t minor) {
    if (platform == PLATFORM_WINDOWS_9X) {
        if (minor == 0) return 10;   // 95
        if (minor == 10) return 30;  // 98
        if (minor == 90) return 40;  // ME
    }
    if (platform == PLATFORM_WINDOWS_NT) {
        if (major == 3 && minor == 51) return 5;
        if (major == 4 && minor == 0) return 20;
        if (major == 5 && minor == 0) return 50;  // 2000
        if (major == 5 && minor == 1) return 60;  // XP
    }
    return 100;
}
