// Uninstall's command line: "Update" from a newer Setup, the switches of an
// unattended uninstallation, and the uninstaller's own clean-up after one.
// Pure text work, no system calls.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/switches.h"

struct UninstallOptions {
    bool update_mode = false;  // the first parameter is exactly "Update"
    RunDisplay display = DISPLAY_WIZARD;
    bool log = false;          // /LOG, with or without a file
    std::string log_file;      // "" with `log`: a file of its own in the temporary folder
    bool help = false;         // /? or /HELP
    bool understood = true;    // false when some switch was not understood
    std::string invalid;       // the first such switch, as typed
    // The clean-up an unattended uninstallation leaves to a copy of the
    // uninstaller in the temporary folder: once the process of handle
    // `remove_after` (inherited) has ended, the file `remove_file` goes, then
    // the folder `remove_folder` when nothing is left in it.
    uint64_t remove_after = 0;
    std::string remove_file;
    std::string remove_folder;
    // An uninstaller started elevated by the uninstaller itself (/ELEVATED):
    // it asks for nothing more.
    bool elevated = false;
};

// The options of Uninstall's parameters.  Arguments that are not switches
// (beginning with "/" or "-") are passed over, as they always were, "Update"
// in first place excepted.  A switch not understood, or a value it does not
// take, makes the options not `understood`.
UninstallOptions parse_uninstall_options(std::string_view parameters);

bool is_silent(const UninstallOptions& options);
bool is_clean_up(const UninstallOptions& options);

inline constexpr char UNINSTALL_HELP_TITLE[] = "Uninstall.exe /?";
std::string uninstall_help_text();
// The refusal of a switch not understood, named as typed, in both languages.
std::string uninstall_invalid_switch_text(const std::string& typed);
