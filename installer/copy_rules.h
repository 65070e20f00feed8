// Which files of the program folder the installation copies.  Pure text
// work, no system calls.
#pragma once

#include <string>

#include "installer/setup.h"

// Why a file of the program folder is, or is not, installed.
enum CopyRule : int {
    COPY_INSTALLED = 0,
    COPY_LEFT_INSTALLER,       // "Setup.exe" or "Setup.ini", the installer's own files
    COPY_LEFT_SPLASH,          // "Tarvo.exe", unless "Copier le fichier Tarvo.exe" is exactly 1
    COPY_LEFT_UPDATE_PROGRAM,  // the update program, run from a copy and deleted
    COPY_LEFT_INSTALL_PROGRAM, // the install-time program, likewise
};

// Names are compared byte for byte, so "setup.ini" is installed.
CopyRule copy_rule(const SetupState& state, const std::string& name);
