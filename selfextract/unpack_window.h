// The small window the self-extracting program shows while it unpacks: its
// title, a line of text, a progress bar and "Annuler / Cancel".
#pragma once

#include <windows.h>

#include <string>

// Opens the window centred on the screen; nullptr when it cannot be made
// (the unpacking then goes on without one).
HWND open_unpack_window(const std::wstring& title);

// Shows the share of the work done (0 to 1000) and serves the window's
// messages.  True once the user asked to cancel, by the button or by
// closing the window.
bool unpack_window_cancelled(HWND window, int permille);

void close_unpack_window(HWND window);
