// Copying the program folder into the install directory, one log line and
// one uninstall record per file.
#include "installer/copy_rules.h"
#include "installer/setup.h"
#include "runtime/runtime.h"

InstallRun install_run;

namespace {

// The installer's own files and the two auxiliary programs stay behind.
bool is_installed(const std::string& name) { return copy_rule(setup, name) == COPY_INSTALLED; }

// An install directory inside the program folder is left out of the copy,
// so that the copy never meets its own output.
bool is_install_directory(const std::string& folder) {
    return comparable_path(folder) == comparable_path(setup.install_dir);
}

void copy_one_file(const std::string& relative_path, const std::string& name, int64_t size) {
    std::string destination = setup.install_dir + relative_path + name;
    record_uninstall_entry(destination);  // recorded whether or not the copy works
    std::string mark;
    if (!copy_file_without_download_mark(relative_path + name, destination)) {
        mark = T(LOG_FAILURE_MARK);
        report_copy_failure(name);
    }
    log_line("   >   " + relative_path + name + mark);
    repaint_log(false);
    install_run.total_size += size;
}

}  // namespace

// The installation has failed; the user is told, and the run goes on when
// they press OK.
void report_copy_failure(const std::string& name) {
    install_run.copy_failed = 1;
    repaint_log(true);
    message_box(T(ERROR_TITLE), T(COPY_FAILED_BEFORE_NAME) + name + T(COPY_FAILED_AFTER_NAME) + "\n" + T(COPY_FAILED_ADVICE), 0);
}

void record_uninstall_entry(const std::string& line) {
    install_run.uninstall_records.push_back(line);
}

// Copies one folder level under listing slot `listing_slot`; each deeper
// level keeps its own slot, so this level's listing resumes afterwards.
void copy_folder(const std::string& relative_path, int listing_slot) {
    create_directory(setup.install_dir + relative_path);
    if (!examine_directory(listing_slot, relative_path, "*.*")) {
        repaint_log(true);
        message_box(T(ERROR_TITLE), T(FOLDER_NOT_CREATED), 0);
        return;
    }
    int kind;
    while ((kind = next_directory_entry()) != ENTRY_NONE) {
        service_messages();  // the result window answers between files
        std::string name = directory_entry_name();
        if (kind == ENTRY_FILE) {
            if (is_installed(name)) copy_one_file(relative_path, name, directory_entry_size());
        } else if (directory_entry_attributes() & FILE_ATTRIBUTE_REPARSE_POINT) {
            // A junction or symbolic link in the program folder may lead
            // anywhere, the program folder itself included: it is not entered.
            run_log("Not copied, a link: " + relative_path + name);
        } else if (name != "." && name != ".." && !is_install_directory(relative_path + name)) {
            copy_folder(relative_path + name + "\\", listing_slot + 1);
            select_directory(listing_slot);
        }
    }
}
