// Display scale.  Every window, control, font and picture of the programs
// is laid out for 96 dots per inch; on a screen of another scale each size
// is brought to it (rounded to the nearest pixel) when the thing is made,
// and again when its window moves to a screen of another scale.  The
// programs declare themselves aware of each monitor's scale, so Windows
// leaves the drawing to them instead of stretching a 96-dpi picture.
#pragma once

#include <windows.h>

constexpr int DESIGN_DPI = 96;

// A length of the 96-dpi layout at `dpi`, and back.
inline int scaled(int length, int dpi) { return MulDiv(length, dpi, DESIGN_DPI); }
inline int unscaled(int length, int dpi) { return MulDiv(length, DESIGN_DPI, dpi); }

// The height (negative: the characters' own, as the system gives it) of the
// default GUI font at `dpi`, from its height at the system's scale: the
// 96-dpi height brought to `dpi`, rounded toward zero so that text never
// outgrows the room scaled for it.
int default_font_height(int system_height, int dpi);

// The scale of the system (the primary screen when the user signed in),
// and of the screen a window is on.  Windows older than 10 version 1607
// know only the first; the second is then the same.
int system_dpi();
int dpi_of_window(HWND window);

// The outer size of a window whose client area is `client` at `dpi`: the
// frame of the style alone (and a menu bar), as Windows draws it at that
// scale.
SIZE frame_size(DWORD style, bool menu, SIZE client, int dpi);
