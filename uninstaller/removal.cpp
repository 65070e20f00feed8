// What the uninstaller does with each entry of the record, and the clean-up
// of the folders that hold no data afterwards.  Every removal is tried once
// and its result ignored; only a folder that cannot be listed is reported.
#include <windows.h>

#include <vector>

#include "runtime/runtime.h"
#include "shell/shell.h"
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
bool is_link() { return directory_entry_attributes() & FILE_ATTRIBUTE_REPARSE_POINT; }

bool is_dot(const std::string& name) { return name == "." || name == ".."; }

// The size of a listed file as the file itself gives it: the copy kept in
// the folder listing can lag behind a file that is being written.  The
// listing's size serves when the file can no longer be asked.
int64_t measured_size(const std::string& path) {
    int64_t size = file_size(path);
    return size >= 0 ? size : directory_entry_size();
}

}  // namespace

void run_entry_program(const std::string& entry) {
    run_program(string_field(entry, 1, "&"), string_field(entry, 2, "&"), "", RUN_WAIT | RUN_HIDDEN);
}

// Asks the first top-level window of that exact title to close, without
// waiting for it.
void close_program_window(const std::string& entry) {
    HWND window = FindWindowA(nullptr, entry.c_str());
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
}

void delete_registry_key(const std::string& entry) {
    std::string root = string_field(entry, 1, "\\");
    std::string path = remove_string(entry, root + "\\", REMOVE_IGNORE_CASE);
    for (const RegistryRoot& r : REGISTRY_ROOTS) {
        if (root == r.name) {
            // The uninstaller is a 64-bit program and the author's program
            // may be either: its key is deleted in both registry views (one
            // and the same key for most of HKEY_CURRENT_USER).
            RegDeleteKeyExA(r.key, path.c_str(), KEY_WOW64_64KEY, 0);
            RegDeleteKeyExA(r.key, path.c_str(), KEY_WOW64_32KEY, 0);
            return;
        }
    }
}

// Without a Startup folder there is nothing to delete: the bare name would
// otherwise be taken in the install directory.
void delete_startup_shortcut(const std::string& entry) {
    std::string startup = special_folder(FOLDER_STARTUP);
    if (!startup.empty()) delete_file(startup + entry + ".lnk");
}

void delete_program_folder_file(const std::string& entry) {
    delete_file(current_folder() + entry);
}

// Total bytes under folder, links not followed; 1 when some folder of the
// tree cannot be listed.  Sizes and the total are 64-bit: a 4 GiB file or
// sizes that would wrap a 32-bit total to 0 must never look like an empty
// folder.
int64_t folder_tree_size(const std::string& folder) {
    constexpr int LISTING = 100;
    int64_t total = 0;
    bool failed = false;
    std::vector<std::string> pending{with_backslash(folder)};
    while (!pending.empty()) {
        std::string current = pending.back();
        pending.pop_back();
        if (!examine_directory(LISTING, current, "*.*")) {
            failed = true;
            continue;
        }
        int kind;
        while ((kind = next_directory_entry()) != ENTRY_NONE) {
            std::string name = directory_entry_name();
            if (kind == ENTRY_FILE)
                total += measured_size(current + name);
            else if (!is_dot(name) && !is_link())
                pending.push_back(current + name + "\\");
        }
    }
    return failed ? 1 : total;
}

namespace {

constexpr int64_t WALK_FAILED = -1;

// The post-order walk of remove_empty_folders.  Returns the bytes left
// under folder after its empty subfolders went, or WALK_FAILED when a
// folder of its tree could not be listed.  Adding the children's results
// replaces measuring each folder's whole tree again, so the clean-up stays
// linear in the size of the tree.
int64_t remove_empty_tree(const std::string& folder, int level) {
    if (!examine_directory(level, folder, "*.*")) {
        message_box(U(FOLDER_ERROR_TITLE), U(FOLDER_NOT_OPENED), 0);
        return WALK_FAILED;
    }
    int64_t total = 0;
    bool failed = false;
    int kind;
    while ((kind = next_directory_entry()) != ENTRY_NONE) {
        std::string name = directory_entry_name();
        if (kind == ENTRY_FILE) {
            total += measured_size(folder + name);
        } else if (!is_dot(name) && is_link()) {
            failed = true;  // what a link leads to is not ours: keep the folder
        } else if (!is_dot(name)) {
            int64_t below = remove_empty_tree(folder + name + "\\", level + 1);
            select_directory(level);
            if (below == WALK_FAILED) failed = true;
            else total += below;
        }
    }
    if (failed) return WALK_FAILED;
    if (total == 0) clear_folder(folder);
    return total;
}

}  // namespace

void remove_empty_folders(const std::string& folder, int level) {
    remove_empty_tree(with_backslash(folder), level);
}

// Deletes the files directly in folder, read-only ones too, then the folder
// itself when nothing else is left in it.
void clear_folder(const std::string& folder) {
    if (folder.empty()) return;
    delete_directory(folder, "*.*", DELETE_FORCE);
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
void remove_author_folder() {
    std::string programs = special_folder(FOLDER_PROGRAMS);
    if (programs.empty()) return;
    std::string author = programs + "Tarvo";
    if (folder_tree_size(author) <= 100) clear_folder(author);
}
