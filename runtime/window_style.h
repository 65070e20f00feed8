// open_window's flags and the native window style they stand for.  Pure
// numbers, no system calls.
#pragma once

#include <cstdint>

// open_window flags; other bits are native window styles passed through
// (WS_CAPTION 0xC00000, WS_SYSMENU 0x80000).
constexpr uint32_t WINDOW_SCREEN_CENTERED = 1;
constexpr uint32_t WINDOW_PARENT_CENTERED = 2;
constexpr uint32_t WINDOW_INVISIBLE = 0x10000000;
constexpr uint32_t WINDOW_BORDERLESS = 0x80000000;

// The native styles the mapping adds (WS_VISIBLE and WS_CAPTION).
constexpr uint32_t NATIVE_VISIBLE = 0x10000000;
constexpr uint32_t NATIVE_CAPTION = 0x00C00000;

// The native style for open_window's flags.  The centring bits go; the
// invisible flag is the visible style's bit with the opposite meaning; a
// window that asks for nothing else gets a title bar (without a system menu:
// no close box).
uint32_t window_style(uint32_t flags);
