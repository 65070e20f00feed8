// An uninstallation runs with the user's own rights, and asks for an
// administrator's only when it cannot remove the installation without them
// and the installation lies in a folder that only administrators can
// change.  Over a folder that other users can change it never elevates:
// what it would then delete and run, as the record says, is theirs to say.
#include <windows.h>
#include <shellapi.h>

#include "runtime/folder_rights.h"
#include "runtime/runtime.h"
#include "runtime/security.h"
#include "runtime/switches.h"
#include "shell/shell.h"
#include "uninstaller/uninstall.h"

namespace {

// Whether the record can be deleted with the process's rights: when it
// cannot, nothing of the installation can be removed either.
bool record_deletable() {
    HANDLE record = CreateFileW(L"Uninstall.dat", DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (record == INVALID_HANDLE_VALUE) return GetLastError() != ERROR_ACCESS_DENIED;
    CloseHandle(record);
    return true;
}

}  // namespace

bool uninstall_needs_elevation() {
    const UninstallOptions& o = uninstall_run.options;
    if (o.elevated || o.update_mode || is_silent(o) || !filtered_administrator() || record_deletable()) return false;
    std::string folder = current_folder();
    if (only_trusted_can_change(security_text(folder), process_user_sid())) return true;
    run_log("Not elevated: other users can change " + folder);
    return false;
}

int run_elevated_uninstaller() {
    std::wstring own = wide(program_file());
    if (own.empty()) return EXIT_FAILED;
    std::string parameters(command_line_parameters(command_line()));
    parameters += parameters.empty() ? "/ELEVATED" : " /ELEVATED";
    std::wstring arguments = wide(parameters), folder = wide(current_folder());
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"runas";
    info.lpFile = own.c_str();
    info.lpParameters = arguments.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    run_log("Handed over to an elevated uninstaller: " + parameters);
    suspend_run_log();
    bool started = ShellExecuteExW(&info) && info.hProcess;
    DWORD code = EXIT_CANCELLED;  // the elevation declined: nothing removed
    if (started) {
        wait_servicing_messages(info.hProcess);
        GetExitCodeProcess(info.hProcess, &code);
        CloseHandle(info.hProcess);
    }
    resume_run_log();
    return static_cast<int>(code);
}
