// The installer's routines that hand native windows around.
#pragma once

#include <windows.h>

#include "installer/setup.h"

// banner_window.cpp: "name - vversion"; window `number` framed as the
// wizard and the result window are, with the banner as gadget `banner`.
// nullptr when it cannot be opened, or (left open) when it cannot take
// gadgets.
std::string program_title();
HWND open_banner_window(int number, int banner);

// wizard.cpp: the visible wizard, nullptr when it cannot be opened
HWND build_wizard_window();

// licence.cpp: the licence window, modal over owner
void show_licence_window(HWND owner);
