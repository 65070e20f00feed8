// The layout of setup.ini: its groups and keys, and which field of the
// installer's state each key fills.  Pure text work over the settings reader's
// lookups, no system calls.
#pragma once

#include <string>
#include <vector>

#include "installer/setup.h"

// Group names begin with a blank: the header lines read "[ Informations sur
// le logiciel]" and so on, "intallation" spelled as the kit has always read it.
inline constexpr char GROUP_INFORMATION[] = " Informations sur le logiciel";
inline constexpr char GROUP_OPTIONS[] = " Options de l'intallation";
inline constexpr char GROUP_TEXT_FR[] = " Texte de l'intallation FR";
inline constexpr char GROUP_TEXT_EN[] = " Texte de l'intallation EN";

inline constexpr char KEY_NAME[] = "Nom";
inline constexpr char KEY_VERSION[] = "Version";
inline constexpr char KEY_PUBLISHER[] = "Editeur";
// Lancer après installation
inline constexpr char KEY_RUN_AFTER[] = "Lancer apr\xC3\xA8s installation";
inline constexpr char KEY_SHORTCUT1_TARGET[] = "Raccourci 1 - Cible";
inline constexpr char KEY_SHORTCUT1_NAME[] = "Raccourci 1 - Nom";
inline constexpr char KEY_SHORTCUT2_TARGET[] = "Raccourci 2 - Cible";
inline constexpr char KEY_SHORTCUT2_NAME[] = "Raccourci 2 - Nom";
inline constexpr char KEY_COPY_SPLASH[] = "Copier le fichier Tarvo.exe";
// Mise à jour
inline constexpr char KEY_UPDATE_PROGRAM[] = "Mise \xC3\xA0 jour";
// Lancer à l'installation
inline constexpr char KEY_INSTALL_PROGRAM[] = "Lancer \xC3\xA0 l'installation";
inline constexpr char KEY_MULTILINGUAL[] = "Programme multilangue";
// Applications et fonctionnalités
inline constexpr char KEY_APPS_ENTRY[] = "Applications et fonctionnalit\xC3\xA9s";
// The publisher named when setup.ini names none.
inline constexpr char DEFAULT_PUBLISHER[] = "Tarvo";
// The presentation lines of page 1: "ligne1" to "ligne9".
inline constexpr char KEY_TEXT_LINE[] = "ligne";
constexpr int TEXT_LINES = 9;

// One key the installer reads, with the group it is read in.
struct SettingsKey {
    const char* group;
    const char* key;
};

// Every key of setup.ini in the order the installer reads them, the text
// lines of both languages included; SETTINGS_KEY_COUNT entries.
extern const SettingsKey SETTINGS_KEYS[];
extern const int SETTINGS_KEY_COUNT;

// Fill the installer's state from the settings text the reader holds: the
// program's name and version and the installation options; then the nine
// presentation lines of the state's language, each followed by a line feed.
// A missing group leaves its fields at their defaults.
void read_settings_fields();
void read_custom_text_fields();

// The names of setup.ini that become paths, checked by the rules the
// author's checker applies: a shortcut name must be a file name, the
// install-time and update programs file names of the distribution folder,
// the program run after installation a path below the install folder (no
// "..", drive, ":" stream, device name or character a file name cannot
// hold).  One that is not is emptied: that shortcut is not made, that
// program not run; *left_out gets a line for each.  False when the
// program's name ("Nom") is given but cannot be a folder name: it names the
// install and Start-menu folders, and nothing may be installed.
bool drop_unusable_names(SetupState& state, std::vector<std::string>* left_out);
