// What a run of Setup tells the administrator in its log: the settings it
// works with and its end with the exit code.  (Its message boxes go there
// too, and in a silent run only there: message_box.)
#include <windows.h>

#include <cstdio>

#include "installer/setup_ui.h"
#include "kit_version.h"
#include "runtime/run_log.h"
#include "runtime/runtime.h"
#include "runtime/switches.h"
#include "shell/shell.h"

void end_setup(int code) {
    run_log("Exit code: " + std::to_string(code));
    close_run_log();
    release_runtime();
    ExitProcess(static_cast<UINT>(code));
}

namespace {

const char* display_name(RunDisplay display) {
    switch (display) {
    case DISPLAY_SILENT: return "silent (/SILENT)";
    case DISPLAY_VERY_SILENT: return "very silent (/VERYSILENT)";
    default: return "wizard";
    }
}

}  // namespace

// Opens the log an administrator asked for: the file named, or one of its
// own in the temporary folder named after the program.  False when the file
// cannot be made.
bool open_setup_log() {
    const SetupOptions& o = setup_run.options;
    if (!o.log) return true;
    std::string path = o.log_file.empty() ? temporary_log_path("Setup " + setup.program_name) : o.log_file;
    // A handed-over run adds its lines to those of the wizard that handed over.
    if (!open_run_log(path, o.handover)) return false;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
              now.wSecond);
    run_log(std::string("Setup.exe of the Tarvo installation kit ") + KIT_VERSION_TEXT + ", " + stamp);
    run_log("Command line: " + std::string(command_line_parameters(command_line())));
    run_log("Distribution folder: " + current_folder());
    run_log("Program: " + program_title() + ", publisher " + setup.publisher);
    run_log(std::string("Display: ") + display_name(o.display));
    return true;
}

// The choices the run goes with, before it changes anything.
void log_run_choices(const InstallChoices& choices) {
    run_log("Language: " + setup.language);
    run_log(std::string("Kind of use: ") + (setup.install_mode == MODE_CURRENT_USER ? "current user" : "all users"));
    run_log("Install folder: " + choices.install_dir);
    run_log(std::string("Desktop shortcuts: ") + (choices.desktop_shortcuts ? "yes" : "no"));
    run_log(std::string("Program run after installation: ") +
            (choices.run_after ? setup.run_after_program : "none"));
    run_log(std::string("Entry in Windows' list of programs: ") + (setup.apps_entry != 0 ? "yes" : "no"));
    if (is_local_system()) run_log("Running as the local system account: shortcuts go to every user's Start menu and desktop");
    run_log("");
}
