// Setup's command line: the switches an administrator or a package manager
// gives for an installation without a click, and what they ask for.  Pure
// text work, no system calls.
#pragma once

#include <string>
#include <string_view>

#include "runtime/switches.h"

struct SetupOptions {
    RunDisplay display = DISPLAY_WIZARD;
    std::string folder;          // /DIR= or /D=; "" when not given
    int mode = 0;                // MODE_ALL_USERS or MODE_CURRENT_USER; 0 when not given
    std::string language;        // "FR" or "EN"; "" when not given
    bool no_desktop = false;     // /NODESKTOP
    bool log = false;            // /LOG, with or without a file
    std::string log_file;        // "" with `log`: a file of its own in the temporary folder
    bool help = false;           // /? or /HELP
    bool understood = true;      // false when some argument was not understood
    std::string invalid;         // the first such argument, as typed
    // Given by Setup itself, not by people: the installation a wizard
    // without an administrator's rights hands to an elevated Setup
    // (/HANDOVER=x,y, where its wizard stood), and the package a Setup was
    // unpacked from (/PACKAGE=path, by the self-extracting program).
    bool handover = false;
    int handover_x = 0, handover_y = 0;
    std::string package;
};

// The options of Setup's parameters (the command line after the program's
// name).  Switch names in any case, after "/" or "-".  An argument that is
// not a known switch, a switch with a value it does not take, a value that
// is missing or not one the switch allows (a folder or log file must be an
// absolute path), or /ALLUSERS with /CURRENTUSER,
// makes the options not `understood`, the first such argument `invalid`;
// the others are still read, so
// that a silent run stays silent when it refuses.
SetupOptions parse_setup_options(std::string_view parameters);

bool is_silent(const SetupOptions& options);

// The message box of /? and /HELP: every switch and the exit codes, in
// French and in English (the language is not chosen yet).
inline constexpr char HELP_TITLE[] = "Setup.exe /?";
std::string setup_help_text();

// The refusal of an argument not understood, named as typed, in both
// languages.
inline constexpr char COMMAND_LINE_ERROR_TITLE[] = "Erreur / Error";
std::string invalid_switch_text(const std::string& typed);

// The refusal of a log file that cannot be made, in both languages.
std::string log_not_written_text(const std::string& path);
