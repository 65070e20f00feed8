// The install folder of an elevated installation: one that only
// administrators can change, or none.  Another user who could change the
// folder could plant an uninstaller, a record or a program there for the
// administrator's next update or uninstallation to run or trust.
#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "installer/setup.h"
#include "runtime/folder_rights.h"
#include "runtime/runtime.h"
#include "runtime/security.h"
#include "shell/shell.h"

namespace {

// Every file and folder the folder holds, at any depth, their paths in
// *paths; links are listed and not entered.  False when some folder of it
// cannot be listed.
bool held_entries(const std::string& folder, std::vector<HeldEntry>& held, std::vector<std::string>& paths) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(file_path(folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    bool listed = true;
    do {
        std::string name = narrow(found.cFileName);
        if (name == "." || name == "..") continue;
        std::string path = folder + name;
        bool link = found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
        held.push_back({"", link});
        paths.push_back(path);
        if (!link && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            listed = held_entries(path + "\\", held, paths) && listed;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return listed;
}

// Program Files, whose rights a folder made in it keeps.
bool inside_program_files(const std::string& folder) {
    for (int id : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86}) {
        std::string program_files = special_folder(id);
        if (!program_files.empty() && path_inside(full_path(folder), program_files)) return true;
    }
    return false;
}

}  // namespace

bool judge_install_folder_rights(const std::string& folder) {
    install_run.folder_rights = FOLDER_RIGHTS_KEPT;
    if (!process_elevated()) return true;  // the user's own rights protect nothing of anyone else's
    if (file_size(folder) != -2) {
        if (!inside_program_files(folder)) install_run.folder_rights = FOLDER_RIGHTS_NEW_PROTECTED;
        return true;
    }
    std::vector<HeldEntry> held;
    std::vector<std::string> paths;
    std::string user = process_user_sid(), rights = security_text(folder);
    bool listed = held_entries(with_backslash(folder), held, paths);
    // The owners of what it holds count only when others can change it.
    if (listed && !only_trusted_can_change(rights, user))
        for (size_t i = 0; i < held.size(); ++i) held[i].sddl = security_text(paths[i]);
    FolderVerdict verdict = listed ? judge_existing_folder(rights, held, user) : FOLDER_REFUSED;
    if (verdict == FOLDER_TAKE_OVER) install_run.folder_rights = FOLDER_RIGHTS_TAKEN_OVER;
    if (verdict == FOLDER_REFUSED)
        run_log("Refused: " + folder + " holds a link, or other users can change it and it holds what they may "
                "have put there");
    return verdict != FOLDER_REFUSED;
}

// A folder made outside Program Files gets the protected list from the
// start; one taken over gets it before anything is written into it.
bool make_install_folder(const std::string& folder) {
    switch (install_run.folder_rights) {
    case FOLDER_RIGHTS_NEW_PROTECTED:
        if (create_protected_directory(folder)) return true;
        // Made by someone else meanwhile: it is judged again.
        return judge_install_folder_rights(folder) && install_run.folder_rights != FOLDER_RIGHTS_NEW_PROTECTED &&
               make_install_folder(folder);
    case FOLDER_RIGHTS_TAKEN_OVER:
        if (protect_folder(folder)) {
            run_log("Given the rights only administrators can change: " + folder);
            return true;
        }
        return false;
    default:
        create_directory(folder);
        return true;
    }
}
