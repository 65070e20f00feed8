// What an installation makes outside the copy, and the record it completes,
// worked out from the installer's state alone.  The installation run carries
// the plan out; the author's checker prints it.  Pure text work, no system
// calls.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "installer/setup.h"

// The user's shell folders the run places things in, each ending with "\";
// "" when the shell has no path for it.
struct ShellFolders {
    std::string programs;  // the Start-menu programs folder
    std::string desktop;
};

// A shortcut file and the file it points at.
struct PlannedShortcut {
    std::string link;
    std::string target;
};

// The integration phase of a run, in the order the run works and records.
// Without a desktop path there are no desktop shortcuts; without a
// Start-menu path, nothing of the Start menu (no folder, update-information
// file, shortcuts or "[Menu]" lines): they would otherwise be made relative
// to the program folder.
struct IntegrationPlan {
    std::vector<PlannedShortcut> desktop_shortcuts;  // shortcut 1, shortcut 2
    std::string author_folder;                       // programs + "Tarvo\"
    std::string start_menu_dir;                      // author_folder + name + "\"
    std::string update_information_file;             // start_menu_dir + T(UPDATE) + ".Txt"
    std::vector<std::string> update_information;     // its six lines
    std::vector<PlannedShortcut> menu_shortcuts;     // shortcut 1, shortcut 2, the uninstall shortcut
};

// The plan for the state's install directory, names and texts (the
// catalogue of the run's language must be loaded).
IntegrationPlan plan_integration(const SetupState& state, const ShellFolders& folders, bool desktop_shortcuts);

// The record lines the integration adds after the copied files, when every
// file it plans could be written.
std::vector<std::string> integration_records(const IntegrationPlan& plan);

// The completed Uninstall.dat: the installed template with the first two
// letters of `language` written over the start of its second line, then the
// record lines joined by CR LF, the last without a line end, all in the
// template's form: Windows-1252 while every character fits it, else UTF-8
// after its mark (a template written in UTF-8 stays UTF-8).  A template
// whose last line has no line end gets CR LF before the first record line:
// otherwise every installed file would count as an entry of the last
// section, to be run or kept instead of deleted.  Without a template the
// record is the language code followed directly by the lines.
std::string completed_record(std::string_view template_bytes, const std::string& language,
                             const std::vector<std::string>& records);
