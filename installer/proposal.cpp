// What the installer proposes before anyone chooses: the folder of each
// kind of use, the kind ticked, an earlier installation to update, the
// desktop shortcuts.  The wizard shows it; a silent run takes it.
#include "installer/setup.h"
#include "runtime/runtime.h"
#include "shell/shell.h"

int programs_folder_id() { return is_local_system() ? FOLDER_COMMON_PROGRAMS : FOLDER_PROGRAMS; }

int desktop_folder_id() { return is_local_system() ? FOLDER_COMMON_DESKTOP : FOLDER_DESKTOP; }

namespace {

// The update-information file an earlier installation left in the Start
// menu, "" when there is none.  Its name follows the language of the run.
std::string update_information_file() {
    std::string programs = special_folder(programs_folder_id());
    if (programs.empty()) return "";  // no Start menu, no earlier installation in it
    std::string path = programs + "Tarvo\\" + setup.program_name + "\\" + T(UPDATE) + ".Txt";
    if (file_size(path) != -1) return path;
    path = programs + "Utilitaires\\" + setup.program_name + "\\" + T(UPDATE) + ".txt";
    if (file_size(path) != -1) return path;
    return "";
}

// The folder of an earlier installation, read from the first line of its
// update-information file; "" when there is none, or when the folder no
// longer holds both the record and the uninstaller.  An empty first line
// would make the two files be looked for in the current folder; it names
// no installation.
std::string find_previous_installation() {
    std::string info = update_information_file();
    if (info.empty() || !read_file(0, info)) return "";
    std::string dir = read_line();
    close_file(0);
    if (dir.empty() || file_size(dir + "Uninstall.dat") < 0 || file_size(dir + "Uninstall.exe") < 0 ||
        file_size(dir) != -2)
        return "";
    return dir;
}

}  // namespace

bool inside_appdata(const std::string& dir, const std::string& appdata) {
    return dir.compare(0, appdata.size(), appdata) == 0;
}

std::string propose_install_folders() {
    // A fixed text, not the system's program-files folder.
    setup.all_users_dir = "C:\\Program files\\" + setup.program_name;
    setup.current_user_dir = special_folder(FOLDER_APPDATA) + setup.program_name;
    setup.install_mode = MODE_ALL_USERS;
    setup.locked_mode = MODE_NONE;
    std::string previous = find_previous_installation();
    if (previous.empty()) return "";
    // An update goes into the folder of the installation it updates, of the
    // same kind of use.
    if (inside_appdata(previous, special_folder(FOLDER_APPDATA))) {
        setup.current_user_dir = previous;
        setup.install_mode = MODE_CURRENT_USER;
    } else {
        setup.all_users_dir = previous;
    }
    setup.locked_mode = setup.install_mode;
    return previous;
}

// An update keeps the desktop shortcut only if the user kept it.
bool propose_desktop_shortcuts(const std::string& previous) {
    return previous.empty() || file_size(special_folder(desktop_folder_id()) + setup.shortcut1_name + ".lnk") != -1;
}

std::string proposed_folder(int mode) {
    return mode == MODE_CURRENT_USER ? setup.current_user_dir : setup.all_users_dir;
}

bool kind_of_use_allowed(int mode) { return mode != MODE_CURRENT_USER || !is_local_system(); }
