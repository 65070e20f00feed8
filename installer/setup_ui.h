// The installer's routines that hand native windows around.
#pragma once

#include <windows.h>

#include "installer/setup.h"

// wizard.cpp: the visible wizard, nullptr when it cannot be opened
HWND build_wizard_window();

// licence.cpp: the licence window, modal over owner
void show_licence_window(HWND owner);
