// Administrator rights only where they are needed.  The wizard runs with
// the user's own rights; an installation that needs an administrator's is
// handed to Setup started elevated, with the wizard's choices on its
// command line, which shows the result window in the wizard's place.  The
// wizard's process waits for it, then starts the program chosen to run
// afterwards with the user's own rights, and ends with its exit code.
#include <windows.h>
#include <shellapi.h>

#include "installer/setup_ui.h"
#include "runtime/runtime.h"
#include "runtime/security.h"
#include "shell/shell.h"

namespace {

// The command line of the elevated run: the wizard's choices as the
// unattended switches give them, and where the wizard stands.
std::string handover_parameters(const InstallChoices& choices, HWND wizard) {
    RECT place{};
    GetWindowRect(wizard, &place);
    std::string parameters = "/DIR=\"" + choices.install_dir + "\"";
    if (setup.install_mode == MODE_ALL_USERS) parameters += " /ALLUSERS";
    if (setup.install_mode == MODE_CURRENT_USER) parameters += " /CURRENTUSER";
    parameters += " /LANG=" + setup.language;
    if (!choices.desktop_shortcuts) parameters += " /NODESKTOP";
    if (!run_log_path().empty()) parameters += " /LOG=\"" + run_log_path() + "\"";
    return parameters + " /HANDOVER=" + std::to_string(place.left) + "," + std::to_string(place.top);
}

// The program that starts the elevated run: this Setup, or the package it
// was unpacked from, which unpacks itself again for it (the user's
// temporary copy is the user's to change).
std::string elevated_program() {
    if (!setup_run.options.package.empty() && file_size(setup_run.options.package) >= 0)
        return setup_run.options.package;
    return program_file();
}

}  // namespace

// A standard user has no more rights to ask for, and a process already
// elevated has them: both install in place.  A filtered administrator
// needs them for an installation for all users (its entry in the machine's
// list, files every user shares) and for a folder they cannot write into.
bool needs_elevation(const std::string& install_dir) {
    if (setup_run.options.handover || !filtered_administrator()) return false;
    return setup.install_mode == MODE_ALL_USERS || !folder_takes_files(install_dir);
}

bool hand_over_to_elevated_run(const InstallChoices& choices, HWND wizard, int* code) {
    std::string program = elevated_program();
    if (program.empty()) return false;
    std::string parameters = handover_parameters(choices, wizard);
    std::wstring file = wide(program), arguments = wide(parameters), folder = wide(current_folder());
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = wizard;
    info.lpVerb = L"runas";
    info.lpFile = file.c_str();
    info.lpParameters = arguments.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    run_log("Handed over to an elevated run: " + program + " " + parameters);
    // The elevated run writes its own lines into the same log.
    suspend_run_log();
    if (!ShellExecuteExW(&info) || !info.hProcess) {
        resume_run_log();
        run_log("The elevation was declined: nothing changed.");
        return false;
    }
    ShowWindow(wizard, SW_HIDE);
    wait_servicing_messages(info.hProcess);
    DWORD exit_code = EXIT_FAILED;
    GetExitCodeProcess(info.hProcess, &exit_code);
    CloseHandle(info.hProcess);
    resume_run_log();
    *code = static_cast<int>(exit_code);
    // The program run afterwards runs with the user's own rights, once the
    // installation has put it there.
    std::string after = choices.install_dir + setup.run_after_program;
    if (choices.run_after && file_size(after) >= 0) run_program(after, "", "", 0);
    return true;
}
