// Starting other programs, the command line, pauses and the Windows version.
#include "runtime/system.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "runtime/text.h"
#include "runtime/unicode.h"
#include "runtime/version_code.h"
#include "runtime/window.h"

static_assert(PLATFORM_WINDOWS_9X == VER_PLATFORM_WIN32_WINDOWS && PLATFORM_WINDOWS_NT == VER_PLATFORM_WIN32_NT);

namespace {

struct ProgramStarts {
    std::vector<HANDLE> processes;  // handles run_program returned; the layer closes them
    size_t next_parameter = 0;      // index of the parameter next_program_parameter gives
};

ProgramStarts starts;

// The caller's folder; otherwise the file's own folder (with its "\");
// "" (the current folder applies) for a bare file name.
std::string working_folder(const std::string& file, const std::string& folder) {
    if (!folder.empty()) return folder;
    size_t slash = file.rfind('\\');
    return slash == std::string::npos ? "" : file.substr(0, slash + 1);
}

}  // namespace

// Through the shell's "Open" verb, so that documents and web links open in
// their program.  The shell shows no error box of its own (SEE_MASK_FLAG_NO_UI).
// The layer keeps the process handle it returns and closes it when the
// runtime is released; callers never close it.
intptr_t run_program(const std::string& file, const std::string& parameters,
                     const std::string& folder, int flags) {
    if (file.empty()) return 0;
    std::wstring program = wide(file), arguments = wide(parameters), directory = wide(working_folder(file, folder));
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"Open";
    info.lpFile = program.c_str();
    info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
    info.nShow = (flags & RUN_HIDDEN) ? SW_HIDE : SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) return 0;
    if (!info.hProcess) return 1;  // handed to a program that was already running
    // The caller's windows keep answering the system while the program runs.
    if (flags & RUN_WAIT) wait_servicing_messages(info.hProcess);
    starts.processes.push_back(info.hProcess);
    return reinterpret_cast<intptr_t>(info.hProcess);
}

void release_programs() {
    for (HANDLE process : starts.processes) CloseHandle(process);
    starts.processes.clear();
}

// The command line is split again at every call; the position survives.
std::string next_program_parameter() {
    std::vector<std::string> parameters = split_program_parameters(command_line());
    if (starts.next_parameter >= parameters.size()) return "";
    return parameters[starts.next_parameter++];
}

std::string command_line() { return narrow(GetCommandLineW()); }

std::string program_file() {
    return system_text([](wchar_t* buffer, DWORD size) {
        DWORD length = GetModuleFileNameW(nullptr, buffer, size);
        return length == size ? size + 1 : length;  // cut short: a larger buffer
    });
}

bool set_current_folder(const std::string& folder) { return SetCurrentDirectoryW(file_path(folder).c_str()) != 0; }

void delay(int milliseconds) {
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

// A mutex in the namespace every session shares: a run under the local
// system account (a deployment tool) and one on the user's desktop see
// each other.  A mark made by another account may refuse this one access;
// it is there all the same.  The handle stays open until the process ends.
bool mark_kit_run() {
    HANDLE mark = CreateMutexW(nullptr, FALSE, L"Global\\TarvoKitRun");
    DWORD error = GetLastError();
    return mark && error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED;
}

int windows_version() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version)) return 100;
    return windows_version_code(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion);
}
