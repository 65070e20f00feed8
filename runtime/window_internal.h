// Inside the window layer: what the window, event and gadget files share
// about windows and their events.  Not for the programs.
#pragma once

#include <windows.h>

// events.cpp: every window of the layer has this procedure; events wait in
// the layer's queue until wait_event or poll_event takes them.
LRESULT CALLBACK program_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void raise_event(int code, int gadget, int type);
void reset_events();

// window.cpp.  The accelerator commands of Tab and Shift+Tab.
constexpr WORD COMMAND_TAB = 1212;
constexpr WORD COMMAND_SHIFT_TAB = 1213;
HACCEL window_accelerators(HWND window);  // nullptr for windows that are not the layer's

// The scale a layer window's gadgets are laid out for (that of the top-level
// window below which `window` is).  rescale_window lays a window out again
// for another scale: its size, then its gadgets (gadget.cpp).
int window_dpi(HWND window);
void rescale_window(HWND window, int dpi, const RECT* suggested);
void rescale_gadgets(HWND top, int dpi);
