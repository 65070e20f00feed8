// After an unattended full uninstallation nothing of the installation is
// left: the uninstaller's own file goes, and the install folder with it when
// nothing else is left in it.
//
// A program's file cannot be deleted while the program runs, but it can be
// moved within its drive.  So the uninstaller moves its own file into the
// temporary folder and removes the install folder before it ends: the
// deployment tool that waits for it finds the folder gone when it reads the
// exit code.  The moved file is deleted a moment later by a copy of the
// uninstaller that waits for this process to end; that copy is opened for
// deletion when its last handle closes, which it inherits, so that it goes
// when it ends.  Where the temporary folder lies on another drive, the file
// cannot move: the copy then deletes it in place and removes the folder.
#include <windows.h>

#include <string>

#include "runtime/runtime.h"
#include "runtime/safe_delete.h"
#include "uninstaller/uninstall.h"

namespace {

std::string temporary_folder() {
    return system_text([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); });
}

// A name in the temporary folder that no file has yet.
std::string unused_temporary_name(const std::string& temp, const char* extension) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::string name = temp + "TarvoUninstall-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(GetTickCount() + attempt) + extension;
        if (file_size(name) == -1) return name;
    }
    return "";
}

// Starts the copy that removes `file`, and `folder` when it is empty, once
// this process has ended.  False when it could not be started.
bool start_clean_up(const std::string& file, const std::string& folder, const std::string& temp) {
    std::string copy = unused_temporary_name(temp, ".exe");
    std::wstring native_copy = file_path(copy);
    if (copy.empty() || !CopyFileW(file_path(file).c_str(), native_copy.c_str(), TRUE)) return false;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE deletion = CreateFileW(native_copy.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherited,
                                  OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, SYNCHRONIZE, TRUE, 0);
    std::string command = "\"" + copy + "\" /REMOVEAFTER=" + std::to_string(reinterpret_cast<uintptr_t>(self)) +
                          " \"/REMOVE=" + file + "\" \"/FOLDER=" + folder + "\"";
    std::wstring command_line = wide(command), folder_to_run_in = wide(temp);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    bool started = self && CreateProcessW(native_copy.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          folder_to_run_in.c_str(), &startup, &process);
    if (started) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (self) CloseHandle(self);
    // Without a started copy to hold it, the handle deletes the copy now.
    if (deletion != INVALID_HANDLE_VALUE) CloseHandle(deletion);
    else if (!started) DeleteFileW(native_copy.c_str());
    return started;
}

}  // namespace

void remove_own_installation(const std::string& folder) {
    std::string temp = temporary_folder();
    std::string file = program_file();
    if (temp.empty() || file.empty()) return;
    // A folder that is a process's current folder, or that the process holds
    // open, cannot be removed.
    set_current_folder(temp);
    release_held_folders();
    std::string moved = unused_temporary_name(temp, ".tmp");
    if (!moved.empty() && MoveFileExW(file_path(file).c_str(), file_path(moved).c_str(), 0)) {
        file = moved;
        if (RemoveDirectoryW(file_path(folder).c_str())) run_log("Removed the install folder " + folder);
    }
    if (!start_clean_up(file, folder, temp)) run_log("The uninstaller could not remove its own file " + file);
}

// The copy's whole run: wait for the uninstaller, then remove what it could
// not remove itself.  Nothing is shown.  It removes no other file than an
// uninstaller or one that an uninstaller moved, whatever its command line
// names, and a folder only when it is empty.
int finish_clean_up(const UninstallOptions& o) {
    std::string name = o.remove_file.substr(o.remove_file.rfind('\\') + 1);
    bool moved = o.remove_file.rfind(temporary_folder() + "TarvoUninstall-", 0) == 0;
    if (name != "Uninstall.exe" && !moved) return EXIT_BAD_COMMAND_LINE;
    HANDLE uninstaller = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(o.remove_after));
    WaitForSingleObject(uninstaller, 60000);
    CloseHandle(uninstaller);
    // A virus scanner may hold a file that has just been written or closed.
    std::wstring file = file_path(o.remove_file);
    for (int attempt = 0; attempt < 50; ++attempt) {
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (DeleteFileW(file.c_str()) || GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) break;
        Sleep(100);
    }
    if (!o.remove_folder.empty()) RemoveDirectoryW(file_path(o.remove_folder).c_str());
    return EXIT_DONE;
}
