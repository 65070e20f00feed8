// The kit's own programs as the driver sees them: distribution folders and
// the settings they carry, Setup's wizard and result window, and the user's
// shell folders.  Controls go by the names the programs give them
// (installer/setup.h, uninstaller/uninstall.h).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "driver/driver.h"
#include "driver/scratch.h"
#include "installer/setup.h"

// The wizard's pages, in the order of their tabs in PAGES.
enum WizardPage : int { PRESENTATION_PAGE, CHARTER_PAGE, USE_PAGE, OPTIONS_PAGE };

// The entries of the language window's list, in their order.
enum LanguageEntry : int { FRENCH_ENTRY, ENGLISH_ENTRY };

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
    // The title of Setup's wizard and result window: "name - vversion".
    std::string title() const { return name + " - v" + version; }
};

// Setup started from a distribution, with its wizard (null when it did not
// come).
struct SetupWizard {
    Program setup;
    HWND wizard = nullptr;
};

// A distribution folder: the kit's programs from the build beside the
// author's files.  Removed with everything in it when the object goes.
class Distribution {
public:
    explicit Distribution(const SetupIni& ini, bool with_splash = false, Where where = Where::current());
    void write(const std::string& relative, const std::string& bytes) const;
    void copy_program(const std::string& built_name, const std::string& relative,
                      Where where = Where::current()) const;
    // The smallest installation: the helper marker.exe as "App.exe", the
    // program the settings name, and a record template of headers alone.
    void add_app_and_template(Where where = Where::current()) const;
    std::string path(const std::string& relative = "") const { return folder_.path() + relative; }
    const SetupIni& ini() const { return ini_; }
    // Starts Setup.exe from the folder (with the command line's parameters).
    Program start_setup(Where where = Where::current()) const;
    Program start_setup(const std::string& parameters, Where where = Where::current()) const;
    // Setup with these parameters, to its end: its exit code (wait_program_end).
    long long run_setup(const std::string& parameters, DWORD limit_ms, Where where = Where::current()) const;
    // Starts Setup.exe from the folder and waits for its wizard (wait_wizard).
    SetupWizard start_wizard(Where where = Where::current()) const;

private:
    ScratchFolder folder_;
    SetupIni ini_;
};

// The user's shell folders in the prefix, each ending with "\".
std::string shell_folder(int csidl);
// The program's folder in the Start menu: Programs, "Tarvo", the name, "\".
std::string start_menu_folder(const std::string& program_name);

// Where the helper programs (tests/helpers) note themselves, for those the
// test starts and those started for it by Explorer; "" forgets it.
void set_marker_log(const std::string& path);
// While `path` is set, the helper programs wait until that file exists
// before they note themselves; "" lets them go at once.
void set_marker_hold(const std::string& path);

// The program's entry in Windows' list of installed programs, under
// HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER: one value of it ("" when there
// is none; a number as its decimal digits), and whether it is there.
std::string apps_entry_value(HKEY root, const std::string& program_name, const std::string& value);
bool apps_entry_exists(HKEY root, const std::string& program_name);

// Removes what an installation of the program left in the shell folders
// (its Start-menu folder, desktop shortcuts by name) and its entries in
// Windows' list of programs.
void remove_shell_traces(const std::string& program_name, const std::vector<std::string>& desktop_links);

// The wizard of a Setup started for that settings file, once its event loop
// takes events.
HWND wait_wizard(const Program& setup, const SetupIni& ini, Where where = Where::current());

// Presses "Suivant" on the first page, its licence box unticked, until the
// wizard refuses with a message box, and returns that box still open.  The
// refusal shows that the wizard's event loop takes events.
MessageBoxSeen wait_consent_refusal(const Program& setup, HWND wizard, Where where = Where::current());

// Answers the language window: "English" (or leaves "Francais") and "OK".
bool choose_language(const Program& setup, bool english, Where where = Where::current());

// Ticks the licence box, goes to the options page, types the directory
// (the proposed one stays without it) and presses "Installer", without
// waiting for anything.
void press_install(HWND wizard, const std::string& directory, Where where = Where::current());
void press_install(HWND wizard, Where where = Where::current());

// A window of the program once it is built: shown, holding a control of
// that class, and with `idle` answering a message sent to it.  The
// programs build these windows (language, licence) without taking messages
// and then wait in their event loops, so the answer comes from there.
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

// The result window of the Setup a wizard (`wizard_run`) handed its
// installation to, once it shows: the window of that title and number in
// another process.  Null after `limit_ms`.
HWND wait_handed_over_result(const Program& wizard_run, const SetupIni& ini, DWORD limit_ms);

// Whether the record in the install directory is complete: Setup writes it
// last, its last line the program's Start-menu folder.
bool record_complete(const std::string& install_dir, const std::string& program_name);

// Setup's result window once the whole installation is made: the run ended
// (wait_result_finished) and the record complete, for "Terminer" is enabled
// before the shortcuts and the record are made.  Null after `limit_ms`.
HWND wait_installed(const Program& setup, const SetupIni& ini, const std::string& install_dir, DWORD limit_ms,
                    Where where = Where::current());

// A harmless click that the program answers in its event loop: `opener`
// (a banner or the licence button) opens the licence window, which is then
// closed.  The click is posted, so the program takes it after everything
// sent or posted to it before.  True when the window came and went.
bool licence_window_answers(const Program& setup, HWND window, int opener, Where where = Where::current());

// What the program shows: its top-level windows with their controls' ids,
// classes and texts, and the lines of its list boxes.  For failure messages.
std::string describe_windows(const Program& program);

// Every descendant window of `window`, in tree order.
std::vector<HWND> descendants(HWND window);
// The first descendant of that class whose text is `text` ("" matches any).
HWND find_by_class(HWND window, const std::string& class_name, const std::string& text = "");

// Closes the folder windows that the programs open on their folders, so
// that they do not pile up over a run.
void close_folder_windows();

// Waits for the folder window titled `title` that a program opens (Explorer
// starts on its own time), closes it and waits until it is gone.  True when
// it came and went.
bool close_folder_window(const std::string& title, DWORD limit_ms);

// A full uninstallation of the installation in `dir` (with "\\"): its
// Uninstall.exe started there, "Désinstaller" pressed once its window of
// that title is built, the closing message answered, and its end with exit
// code 0.  False, reported, when one of them did not come within the limit,
// or the uninstaller ended with another code.
bool uninstall_installation(const std::string& dir, const std::string& title, DWORD limit_ms,
                            Where where = Where::current());

// "Terminer" on the result window, Setup's end, and the folder window it
// opened on the program's Start-menu folder closed (under Wine a folder
// cannot be removed while a window shows it).  False, reported, when one of
// them did not come within the limit.
bool finish_setup(Program& setup, HWND result, const SetupIni& ini, DWORD limit_ms, Where where = Where::current());
