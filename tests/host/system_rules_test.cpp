// Numbers the programs pass to Windows and texts they read as paths: the
// window style of open_window's flags, the Windows version codes and the
// shapes of paths.
#include <gtest/gtest.h>

#include "runtime/path_text.h"
#include "runtime/version_code.h"
#include "runtime/window_style.h"

namespace {

TEST(WindowStyle, FlagsBecomeTheNativeStyle) {
    // Nothing asked for: a visible window with a title bar and no close box.
    EXPECT_EQ(window_style(0), 0x10C00000u);
    EXPECT_EQ(window_style(WINDOW_SCREEN_CENTERED), 0x10C00000u);
    EXPECT_EQ(window_style(WINDOW_INVISIBLE), 0x00C00000u);
    EXPECT_EQ(window_style(WINDOW_INVISIBLE | WINDOW_PARENT_CENTERED), 0x00C00000u);
    // Native styles pass through; a caption is only added to an empty style.
    EXPECT_EQ(window_style(0xC00001), 0x10C00000u);  // the uninstaller's window
    EXPECT_EQ(window_style(0x00CF0000), 0x10CF0000u);
    EXPECT_EQ(window_style(WINDOW_BORDERLESS | WINDOW_PARENT_CENTERED), 0x90000000u);  // the splash
    EXPECT_EQ(window_style(WINDOW_BORDERLESS | WINDOW_INVISIBLE), 0x80000000u);
}

TEST(WindowsVersion, EachKnownVersionHasItsCode) {
    EXPECT_EQ(windows_version_code(PLATFORM_WINDOWS_9X, 4, 0), 10);
    EXPECT_EQ(windows_version_code(PLATFORM_WINDOWS_9X, 4, 10), 30);
    EXPECT_EQ(windows_version_code(PLATFORM_WINDOWS_9X, 4, 90), 40);
    EXPECT_EQ(windows_version_code(PLATFORM_WINDOWS_NT, 3, 51), 5);
    EXPECT_EQ(windows_version_code(PLATFORM_WINDOWS_NT, 4, 0), 20);
    EXPECT_EQ(windows_version_code(PLATFORM_WINDOWS_NT, 5, 0), 50);
    EXPECT_EQ(windows_version_code(PLATFORM_WINDOWS_NT, 5, 1), 60);
    // Everything newer, and anything unknown, is 100.
    EXPECT_EQ(windows_version_code(PLATFORM_WINDOWS_NT, 5, 2), 100);
    EXPECT_EQ(windows_version_code(PLATFORM_WINDOWS_NT, 6, 1), 100);
    EXPECT_EQ(windows_version_code(PLATFORM_WINDOWS_NT, 10, 0), 100);
    EXPECT_EQ(windows_version_code(PLATFORM_WINDOWS_NT, 3, 10), 100);
    EXPECT_EQ(windows_version_code(PLATFORM_WINDOWS_9X, 4, 3), 100);
    EXPECT_EQ(windows_version_code(0, 4, 0), 100);
    EXPECT_EQ(windows_version_code(3, 5, 1), 100);
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
