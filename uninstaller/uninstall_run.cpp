// The uninstall run: every line of the record acted on in file order, then
// the folder clean-up.
#include <windows.h>

#include "runtime/runtime.h"
#include "shell/shell.h"
#include "uninstaller/uninstall.h"

namespace {

constexpr int RECORD_FILE = 0;
constexpr ULONGLONG PROGRESS_PAINT_MS = 30;

struct RunProgress {
    int64_t record_size = 0;
    int shown = -1;
    ULONGLONG last_paint = 0;
};

// Sets the bar to the share of the record read so far.  The run services
// messages only every 50 ms or so, so the bar is painted directly, at most
// every 30 ms and always at 100.
void show_progress(RunProgress& progress) {
    int percent = 0;
    if (progress.record_size > 0)
        percent = static_cast<int>(static_cast<double>(file_position()) * 100.0 /
                                   static_cast<double>(progress.record_size));
    if (percent == progress.shown) return;
    progress.shown = percent;
    set_state(PROGRESS_BAR, percent);
    ULONGLONG now = GetTickCount64();
    if (percent == 100 || now - progress.last_paint >= PROGRESS_PAINT_MS) {
        // The whole window: its buttons, made and disabled before the run
        // services any message, are drawn with the bar.
        if (HWND bar = gadget_handle(PROGRESS_BAR))
            RedrawWindow(GetAncestor(bar, GA_ROOT), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        progress.last_paint = now;
    }
}

void act_on_entry(RecordSection section, const std::string& entry, std::string& menu_folder) {
    switch (section) {
    case SECTION_RUN: run_entry_program(entry); break;
    case SECTION_PROGRAM: close_program_window(entry); break;
    case SECTION_REGISTRY: delete_registry_key(entry); break;
    case SECTION_STARTUP: delete_startup_shortcut(entry); break;
    case SECTION_PROGRAM_FOLDER: delete_program_folder_file(entry); break;
    case SECTION_OTHER: remove_listed_file(entry); break;
    case SECTION_FILES: remove_listed_file(entry); break;
    case SECTION_MENU: menu_folder = entry; break;  // the last one wins
    case SECTION_NONE: break;
    }
}

// The uninstaller's own file, in comparable_path form.
std::string own_file() {
    std::string own = program_file();
    return own.empty() ? "" : comparable_path(own);
}

// The files whose deletion failed and that are still there now that the
// record is closed and deleted; the uninstaller's own file, which cannot go
// while it runs, is not counted.
void note_files_not_removed() {
    std::string self = own_file();
    for (const std::string& path : uninstall_run.failed_deletions) {
        if (file_size(path) < 0 || comparable_path(path) == self) continue;
        uninstall_run.not_removed.push_back(path);
        run_log("Not removed: " + path);
    }
}

}  // namespace

bool run_uninstall(bool update_mode) {
    if (!read_file(RECORD_FILE, "Uninstall.dat")) return false;
    RunProgress progress;
    progress.record_size = file_length();
    RecordReader reader;
    reader.update_mode = update_mode;
    std::string menu_folder, entry;
    do {
        std::string line = read_line();
        show_progress(progress);
        service_messages();  // the window answers between entries
        if (next_record_entry(reader, line, &entry)) act_on_entry(reader.section, entry, menu_folder);
    } while (!end_of_file(RECORD_FILE));
    close_file(RECORD_FILE);
    delete_file("Uninstall.dat");
    retry_failed_deletions(own_file());
    remove_empty_folders(current_folder(), 0);
    clear_menu_folder(menu_folder);
    remove_author_folder(menu_folder);
    note_files_not_removed();
    return true;
}
