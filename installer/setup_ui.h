// The installer's routines that hand native windows around.
#pragma once

#include <windows.h>

#include "installer/setup.h"

// banner_window.cpp: "name - vversion"; window `number` framed as the
// wizard and the result window are, with the banner as gadget `banner`.
// nullptr when it cannot be opened, or (left open) when it cannot take
// gadgets.
std::string program_title();
HWND open_banner_window(int number, int banner, const POINT* place = nullptr);

// wizard.cpp: the visible wizard, nullptr when it cannot be opened
HWND build_wizard_window();

// licence.cpp: the licence window, modal over owner
void show_licence_window(HWND owner);

// elevation.cpp: starts the installation elevated in the wizard's place and
// waits for it; false when it was not started (the prompt declined), else
// its exit code in *code.
bool hand_over_to_elevated_run(const InstallChoices& choices, HWND wizard, int* code);
