// The checks of a distribution, each over what the installer and the
// uninstaller will read, through the same readers and rules they use.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "checker/distribution.h"
#include "checker/report.h"
#include "runtime/path_text.h"

// Where setup.ini sets each key the installer reads: key name (as the
// installer names it) to line, for the group it belongs to.
struct SettingsLines {
    std::map<std::string, int> keys;  // "Nom" -> 2
    bool text_fr = false;             // the presentation groups are present
    bool text_en = false;
};

// Every check of a distribution.  Fills the installer's state (`setup`),
// its language ("EN" only when `english` is asked for and the settings
// offer the language window) and catalogue; *template_bytes gets the
// Uninstall.dat template, "" when there is none.
void check_distribution(const DistributionTree& tree, bool english, CheckReport& report, std::string* template_bytes);

// setup.ini's bytes: encoding, line ends, groups, keys and values.  Fills
// the installer's state (`setup`) through the installer's own reader.
void check_settings(std::string_view bytes, CheckReport& report, SettingsLines& lines);

// The Uninstall.dat template's bytes: headers, entries, the language line,
// and the header the installed files are appended under.
void check_record_template(std::string_view bytes, const DistributionTree& tree, CheckReport& report);

// The files of the distribution against the settings in `setup`: the kit's
// own programs, the files the settings name, the licence pages, the web
// link, names and path lengths.
void check_files(const DistributionTree& tree, const SettingsLines& lines, CheckReport& report);

// The installed relative path ("\" between names) that a path of the
// settings names, when the copy installs such a file; "" otherwise.
std::string installed_file(const DistributionTree& tree, const std::string& relative);
