// The sample distribution of examples/: the names its setup.ini and
// Uninstall.dat give, and its program Carnet, a notes window.
#pragma once

#include "driver/kit.h"

constexpr const char* SAMPLE_NAME = "Carnet de notes";      // "Nom", and Carnet's window title
constexpr const char* SAMPLE_HELP_NAME = "Aide de Carnet";  // "Raccourci 2 - Nom"
constexpr const char* CARNET_CLASS = "CarnetWindow";
constexpr int CARNET_NOTES_EDIT = 1;  // Carnet's notes field
// Where Carnet keeps its window's place, and the author's key around it:
// the record's "[Registre]" section names both.
constexpr const char* CARNET_PLACE_KEY = "Software\\Tarvo Exemple\\Carnet";
constexpr const char* CARNET_PARENT_KEY = "Software\\Tarvo Exemple";

// The sample's settings as far as the driver needs them: its name and version.
SetupIni sample_ini();

// <build>/distribution, where the build assembles the sample, beside the
// bin folder of the running program; with "\".
std::string sample_folder();

// The sample installed by a Setup just started: French, the proposed
// folder and options, "Installer"; the result window once the run is done,
// null when it did not come.
HWND install_sample_as_proposed(const Program& setup, const std::string& install_dir, Where where = Where::current());

// Removes what an installation of the sample leaves outside its folder:
// its Start-menu folder, its desktop shortcuts and Carnet's registry keys.
void remove_sample_traces();

// Carnet's window, and its process held so that a failure ends it.
struct CarnetWindow {
    Program carnet;  // not started when no window came
    HWND window = nullptr;
};

// Carnet, started by Setup after "Terminer" or otherwise, once its window shows.
CarnetWindow wait_carnet(DWORD limit_ms, Where where = Where::current());
