// The uninstaller's records and operations.
#pragma once

#include <cstdint>
#include <string>

#include <vector>

#include "runtime/exit_codes.h"
#include "uninstaller/record.h"
#include "uninstaller/uninstall_options.h"

// How this run of the uninstaller goes: what its command line asks, and
// the files the record lists that it could not remove.
struct UninstallRun {
    UninstallOptions options;
    std::vector<std::string> failed_deletions;  // deletions that failed while the record was read
    std::vector<std::string> not_removed;       // of those, the files still there after the run
};

extern UninstallRun uninstall_run;

// The uninstaller's texts by name; each keeps its slot number.  The French
// text stands beside each.
enum UninstallTextId : int {
    UPDATE_TITLE = 1,  // Mise à jour
    UNINSTALL_TITLE = 2,  // Désinstallation
    UNINSTALL_ACTION = 3,  // Désinstaller
    CANCEL_ACTION = 4,  // Annuler
    CLOSING_NOTE_NAME = 5,  // Terminer la désinstallation.txt
    CLOSING_NOTE = 6,  // vous pouvez suppimer ce Dossier si vous ne souhaitez pas ...
    FOLDER_ERROR_TITLE = 7,  // Erreur
    FOLDER_NOT_OPENED = 8,  // Cette Erreur est retournée lorsque le désinstalleur ne pa...
};

// The eight texts of the chosen language in slots 1 to 8.
struct UninstallText {
    std::string slots[21];
};

extern UninstallText uninstall_text;

inline const std::string& U(int slot) { return uninstall_text.slots[slot]; }

// texts.cpp
void load_uninstall_text(bool french);

// Gadget numbers of the uninstaller's window 0.
enum UninstallGadget : int {
    PROGRESS_BAR = 0,
    UNINSTALL_BUTTON = 1,
    CANCEL_BUTTON = 2,
};

// removal.cpp: what each record entry does, and the folder clean-up
void run_entry_program(const std::string& entry);
void close_program_window(const std::string& entry);
void delete_registry_key(const std::string& entry);
void delete_startup_shortcut(const std::string& entry);
void delete_program_folder_file(const std::string& entry);
int64_t folder_tree_size(const std::string& folder);  // bytes under folder; 1 when a folder cannot be listed
void remove_empty_folders(const std::string& folder, int level);
void clear_folder(const std::string& folder);
void clear_menu_folder(const std::string& folder);       // clear_folder of such a folder only
void remove_author_folder(const std::string& menu_folder);

// Deletes a file the record lists, and notes it when it stays.
void remove_listed_file(const std::string& path);
// Tries those that stayed again (a few times, a moment apart), but
// `own_file` (comparable_path form), the running uninstaller's.
void retry_failed_deletions(const std::string& own_file);

// uninstall_run.cpp: false when the record could not be opened (nothing removed)
bool run_uninstall(bool update_mode);

// apps_entries.cpp: takes the installation in `folder` out of Windows' list
// of installed programs.
void remove_apps_entries(const std::string& folder);

// elevation.cpp: whether the uninstallation needs an administrator's rights
// it can ask for, and the uninstaller started elevated for it (its exit code)
bool uninstall_needs_elevation();
int run_elevated_uninstaller();

// self_removal.cpp: after an unattended full uninstallation, the
// uninstaller's own file and the install folder when it is empty.
void remove_own_installation(const std::string& folder);
// The run of the copy that removes them once the uninstaller has ended.
int finish_clean_up(const UninstallOptions& options);
