// Screenshots of windows on the screen, saved as PNG files.
#pragma once

#include <windows.h>

#include <string>

// Saves what the screen shows in the window's rectangle (caption and frame
// included, and whatever lies on top of it), clipped to the screen.
// Returns false when nothing could be read or written.
bool save_window_picture(HWND window, const std::string& path);
