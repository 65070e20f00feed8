// Numbers the programs pass to Windows and texts they read as paths: the
// window style of open_window's flags, the Windows version codes and the
// shapes of paths.
#include <gtest/gtest.h>

#include "runtime/path_text.h"
#include "runtime/version_code.h"
#include "runtime/window_style.h"

namespace {

TEST(WindowStyle, FlagsBecomeTheNativeStyle) {
    const std::pair<uint32_t, uint32_t> styles[] = {
        // Nothing asked for: a visible window with a title bar and no close box.
        {0, 0x10C00000},
        {WINDOW_SCREEN_CENTERED, 0x10C00000},
        {WINDOW_INVISIBLE, 0x00C00000},
        {WINDOW_INVISIBLE | WINDOW_PARENT_CENTERED, 0x00C00000},
        // Native styles pass through; a caption is only added to an empty style.
        {0xC00001, 0x10C00000},  // the uninstaller's window
        {0x00CF0000, 0x10CF0000},
        {WINDOW_BORDERLESS | WINDOW_PARENT_CENTERED, 0x90000000},  // the splash
        {WINDOW_BORDERLESS | WINDOW_INVISIBLE, 0x80000000},
    };
    for (auto [flags, style] : styles) EXPECT_EQ(window_style(flags), style) << std::hex << flags;
}

TEST(WindowsVersion, EachKnownVersionHasItsCode) {
    struct Version {
        uint32_t platform, major, minor;
        int code;
    };
    const Version versions[] = {
        {PLATFORM_WINDOWS_9X, 4, 0, 10}, {PLATFORM_WINDOWS_9X, 4, 10, 30}, {PLATFORM_WINDOWS_9X, 4, 90, 40},
        {PLATFORM_WINDOWS_NT, 3, 51, 5}, {PLATFORM_WINDOWS_NT, 4, 0, 20},  {PLATFORM_WINDOWS_NT, 5, 0, 50},
        {PLATFORM_WINDOWS_NT, 5, 1, 60},
        // Everything newer, and anything unknown, is 100.
        {PLATFORM_WINDOWS_NT, 5, 2, 100}, {PLATFORM_WINDOWS_NT, 6, 1, 100}, {PLATFORM_WINDOWS_NT, 10, 0, 100},
        {PLATFORM_WINDOWS_NT, 3, 10, 100}, {PLATFORM_WINDOWS_9X, 4, 3, 100}, {0, 4, 0, 100}, {3, 5, 1, 100},
    };
    for (const Version& v : versions)
        EXPECT_EQ(windows_version_code(v.platform, v.major, v.minor), v.code)
            << v.platform << " " << v.major << "." << v.minor;
}

TEST(PathText, AbsolutePathsAndTrailingBackslashes) {
    for (const char* absolute : {"C:\\", "c:\\Program Files\\A", "\\\\server\\share\\A", "\\\\"})
        EXPECT_TRUE(is_absolute_path(absolute)) << absolute;
    for (const char* relative : {"", "C:", "C:name", "\\name", "name\\C:\\", "1:\\x", "\xC9:\\x", "\\x\\\\"})
        EXPECT_FALSE(is_absolute_path(relative)) << relative;
    EXPECT_EQ(with_backslash("C:\\A"), "C:\\A\\");
    EXPECT_EQ(with_backslash("C:\\A\\"), "C:\\A\\");
    EXPECT_EQ(with_backslash(""), "");
}

}  // namespace
