// End-to-end support for the kit's own programs: distribution folders, the
// settings they carry, and the user's shell folders of the test prefix.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "tests/support/scratch.h"

// setup.ini as an author writes it (Windows-1252 bytes).
struct SetupIni {
    std::string name;
    std::string version = "1.0";
    std::string run_after = "App.exe";
    std::string shortcut1_target = "App.exe";
    std::string shortcut1_name;
    std::string shortcut2_target;
    std::string shortcut2_name;
    std::string copy_splash = "0";
    std::string update_program;
    std::string install_program;
    std::string multilingual = "0";
    std::vector<std::string> lines_fr{"Bienvenue", "", "", "", "", "", "", "", "Fin"};
    std::vector<std::string> lines_en{"Welcome", "", "", "", "", "", "", "", "End"};

    std::string text() const;
};

// A distribution folder: the kit's programs from the build beside the
// author's files.  Removed with everything in it when the object goes.
class Distribution {
public:
    explicit Distribution(const SetupIni& ini, bool with_splash = false);
    void write(const std::string& relative, const std::string& bytes) const;
    void copy_program(const std::string& built_name, const std::string& relative) const;
    std::string path(const std::string& relative = "") const { return folder_.path() + relative; }
    const SetupIni& ini() const { return ini_; }
    // Starts Setup.exe from the folder.
    Program start_setup(Where where = Where::current()) const;

private:
    ScratchFolder folder_;
    SetupIni ini_;
};

// The user's shell folders in the test prefix, each ending with "\".
std::string shell_folder(int csidl);
// The program's folder in the Start menu: Programs, "Tarvo", the name, "\".
std::string start_menu_folder(const std::string& program_name);

// Removes what an installation of the program left in the shell folders
// (its Start-menu folder, desktop shortcuts by name) and a folder tree.
void remove_shell_traces(const std::string& program_name, const std::vector<std::string>& desktop_links);

// The wizard of a Setup started for that settings file, once its event loop
// takes events.
HWND wait_wizard(const Program& setup, const SetupIni& ini, Where where = Where::current());

// Answers the language window: "English" (or leaves "Francais") and "OK".
bool choose_language(const Program& setup, bool english, Where where = Where::current());

// Ticks the licence box, goes to the options page, types the directory
// (the proposed one stays without it) and presses "Installer", without
// waiting for anything.
void press_install(HWND wizard, const std::string& directory, Where where = Where::current());
void press_install(HWND wizard, Where where = Where::current());

// A window of the program once it is built: shown, holding a control of
// that class, and with `idle` its program waiting in its event loop (Wine
// says so once, the first time a program waits for messages).
HWND wait_built_window(const Program& program, const std::string& title, const std::string& control_class,
                       bool idle = true, Where where = Where::current());

// Whether the control exists and is enabled, without reporting its absence:
// for conditions polled while a window is still being built.
bool enabled_now(HWND window, int id);

// Setup's result window (title "name - vversion") once its run has ended:
// "Terminer" enabled after the log's first line.  The button is made
// enabled and disabled at once, before any line, so an enabled button
// alone may be seen while the run has not begun.  Null after `limit_ms`.
HWND wait_result_finished(const Program& setup, const std::string& title, DWORD limit_ms);

// What the program shows: its top-level windows with their controls' ids,
// classes and texts, and the lines of its list boxes.  For failure messages.
std::string describe_windows(const Program& program);

// Every descendant window of `window`, in tree order.
std::vector<HWND> descendants(HWND window);
// The first descendant of that class whose text is `text` ("" matches any).
HWND find_by_class(HWND window, const std::string& class_name, const std::string& text = "");

// Closes the folder windows that the programs open on their folders, so
// that they do not pile up over a test run.
void close_folder_windows();

// Waits for the folder window titled `title` that a program opens (Explorer
// starts on its own time), closes it and waits until it is gone.  True when
// it came and went.
bool close_folder_window(const std::string& title, DWORD limit_ms);
