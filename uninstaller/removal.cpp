// What the uninstaller does with each entry of the record, and the clean-up
// of the folders that hold no data afterwards.  Every removal is tried once
// and its result ignored; only a folder that cannot be listed is reported.
#include <windows.h>

#include <vector>

#include "runtime/folder_rights.h"
#include "runtime/runtime.h"
#include "runtime/safe_delete.h"
#include "runtime/security.h"
#include "shell/shell.h"
#include "uninstaller/folder_walk.h"
#include "uninstaller/uninstall.h"

namespace {

struct RegistryRoot {
    const char* name;
    HKEY key;
};

const RegistryRoot REGISTRY_ROOTS[] = {
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", HKEY_USERS},
};

// A junction or symbolic link inside a folder tree may lead to the user's
// data anywhere on the disk: the walks never enter one.
bool entry_is_link() { return directory_entry_attributes() & FILE_ATTRIBUTE_REPARSE_POINT; }

bool is_dot(const std::string& name) { return name == "." || name == ".."; }

// The size of a listed file as the file itself gives it: the copy kept in
// the folder listing can lag behind a file that is being written.  The
// listing's size serves when the file can no longer be asked.
int64_t measured_size(const std::string& path) {
    int64_t size = file_size(path);
    return size >= 0 ? size : directory_entry_size();
}

// The walks over the disk, through the runtime's numbered listings.
bool list_disk_folder(void*, const std::string& folder, int level, std::vector<WalkEntry>& entries) {
    entries.clear();
    if (!examine_directory(level, folder, "*.*")) return false;
    int kind;
    while ((kind = next_directory_entry()) != ENTRY_NONE) {
        service_messages();  // the window answers while large folders are walked
        std::string name = directory_entry_name();
        if (is_dot(name)) continue;
        if (kind == ENTRY_FILE) entries.push_back({name, false, false, measured_size(folder + name)});
        else entries.push_back({name, true, entry_is_link(), 0});
    }
    return true;
}

void report_unlisted_folder(void*, const std::string&) { message_box(U(FOLDER_ERROR_TITLE), U(FOLDER_NOT_OPENED), 0); }

// The folders whatever the uninstaller deletes belongs to, as deletion bases
// (runtime/safe_delete.h): its own folder and the user's and every user's
// Start-menu, desktop and Startup folders.
// Filled on first use (a function's own static would bring in the C++
// library's thread-safe initialisation).
std::vector<std::string> bases;

const std::vector<std::string>& deletion_bases() {
    if (bases.empty()) {
        bases.push_back(current_folder());
        for (int folder : {FOLDER_PROGRAMS, FOLDER_COMMON_PROGRAMS, FOLDER_DESKTOP, FOLDER_COMMON_DESKTOP, FOLDER_STARTUP})
            bases.push_back(special_folder(folder));
    }
    return bases;
}

// The deepest of those folders that holds `path`; the path's drive root
// when none does.
std::string deletion_base(const std::string& path) {
    std::string base;
    for (const std::string& folder : deletion_bases())
        if (!folder.empty() && folder.size() > base.size() && path.size() > folder.size() && path_inside(path, folder))
            base = folder;
    return base.empty() ? path_root(path) : base;
}

void clear_disk_folder(void*, const std::string& folder) { clear_folder(folder); }

const FolderWalkOps DISK_WALK = {list_disk_folder, report_unlisted_folder, clear_disk_folder};

}  // namespace

// Elevated, a program given without its folder is the install folder's or
// none: by its bare name the shell would look along the user's PATH.
void run_entry_program(const std::string& entry) {
    std::string program = string_field(entry, 1, "&");
    if (process_elevated() && !is_absolute_path(program)) {
        program = current_folder() + program;
        if (file_size(program) < 0) {
            run_log("Not run: " + program + " is not in the install folder");
            return;
        }
    }
    run_program(program, string_field(entry, 2, "&"), "", RUN_WAIT | RUN_HIDDEN);
}

// Asks the first top-level window of that exact title to close, without
// waiting for it.
void close_program_window(const std::string& entry) {
    HWND window = FindWindowW(nullptr, wide(entry).c_str());
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
}

void delete_registry_key(const std::string& entry) {
    std::string root = string_field(entry, 1, "\\");
    std::string path = remove_string(entry, root + "\\", REMOVE_IGNORE_CASE);
    for (const RegistryRoot& r : REGISTRY_ROOTS) {
        if (root == r.name) {
            // The uninstaller is a 64-bit program and the author's program
            // may be either: its key is deleted in both registry views (one
            // and the same key for most of HKEY_CURRENT_USER).
            std::wstring key = wide(path);
            RegDeleteKeyExW(r.key, key.c_str(), KEY_WOW64_64KEY, 0);
            RegDeleteKeyExW(r.key, key.c_str(), KEY_WOW64_32KEY, 0);
            return;
        }
    }
}

// Deleted without following a link on the way.  Only a deletion that fails
// costs a second look: the file may have been gone already, or be the
// record, still open, which the run deletes last.
void remove_listed_file(const std::string& path) {
    std::string full = full_path(path);
    if (full.empty()) return;
    if (!delete_below(deletion_base(full), full, false) && file_size(full) >= 0)
        uninstall_run.failed_deletions.push_back(full);
}

// A listed file whose deletion failed while the record was read is tried
// again once the record is closed: a virus scanner, or the shell reading a
// shortcut just made, may have held it a moment.  The uninstaller's own
// file is left to the end of the run.
void retry_failed_deletions(const std::string& own_file) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        bool left = false;
        for (const std::string& path : uninstall_run.failed_deletions)
            if (comparable_path(path) != own_file && file_size(path) >= 0 &&
                !delete_below(deletion_base(path), path, false))
                left = true;
        if (!left) return;
        pause_servicing_messages(100);
    }
}

// Without a Startup folder there is nothing to delete: the bare name would
// otherwise be taken in the install directory.
void delete_startup_shortcut(const std::string& entry) {
    std::string startup = special_folder(FOLDER_STARTUP);
    if (!startup.empty()) remove_listed_file(startup + entry + ".lnk");
}

void delete_program_folder_file(const std::string& entry) {
    remove_listed_file(current_folder() + entry);
}

// Bytes under folder; 1 when some folder of the tree cannot be listed.
int64_t folder_tree_size(const std::string& folder) {
    constexpr int LISTING = 100;
    return tree_size(with_backslash(folder), LISTING, DISK_WALK, nullptr);
}

void remove_empty_folders(const std::string& folder, int level) {
    remove_empty_tree(with_backslash(folder), level, DISK_WALK, nullptr);
}

// Deletes the files directly in folder, read-only ones too, then the folder
// itself when nothing else is left in it; neither follows a link.
void clear_folder(const std::string& folder) {
    constexpr int LISTING = 101;
    std::string full = full_path(with_backslash(folder));
    if (folder.empty() || full.empty()) return;
    std::string base = deletion_base(full);
    if (examine_directory(LISTING, full, "*.*")) {
        int kind;
        while ((kind = next_directory_entry()) != ENTRY_NONE)
            if (kind == ENTRY_FILE) delete_below(base, full + directory_entry_name(), true);
    }
    remove_folder_below(base, full);
}

// The installer records its Start-menu folder as Programs\Tarvo\name\.  A
// "[Menu]" line of any other shape (a record cut short, edited by hand, or
// made with an empty name) could name the Programs folder, the profile or
// a drive, whose files would all be deleted: such a folder is left alone.
void clear_menu_folder(const std::string& folder) {
    if (is_program_menu_path(full_path(folder))) clear_folder(folder);
}

// The "Tarvo" folder in the Start menu holds one folder per installed
// program; it goes when what is left in it is no more than the web link.
// The user's own is looked at, and the one that holds the program's
// Start-menu folder when that is another (every user's Start menu, where an
// installation made by a deployment tool puts it).
void remove_author_folder(const std::string& menu_folder) {
    std::string programs = special_folder(FOLDER_PROGRAMS);
    std::string author = programs.empty() ? "" : programs + "Tarvo";
    if (!author.empty() && folder_tree_size(author) <= 100) clear_folder(author);
    std::string menu = full_path(menu_folder);
    if (!is_program_menu_path(menu)) return;
    while (!menu.empty() && menu.back() == '\\') menu.pop_back();
    std::string parent = menu.substr(0, menu.rfind('\\'));
    if (comparable_path(parent) != comparable_path(author) && folder_tree_size(parent) <= 100) clear_folder(parent);
}
