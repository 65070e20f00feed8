// The installation run started by the "Installer" button: preparation,
// copy and report, integration into the Start menu and desktop, result page.
#include <shlobj.h>

#include <algorithm>

#include "installer/install_plan.h"
#include "runtime/code_page.h"
#include "installer/setup_ui.h"
#include "installer/size_format.h"
#include "runtime/runtime.h"
#include "shell/shell.h"

namespace {

constexpr int INFORMATION_FILE = 0;
constexpr int RECORD_FILE = 0;
constexpr int SHOW_NORMAL = 1;

HWND result_window = nullptr;

// Programs the run starts and waits for show no window in a silent run.
int wait_flags() { return is_silent(setup_run.options) ? RUN_WAIT | RUN_HIDDEN : RUN_WAIT; }

// Window 1: the banner, the log list, "Ouvrir le dossier" and "Terminer",
// the latter disabled while the run works.  A very silent run has none.
void open_result_window() {
    const SetupOptions& o = setup_run.options;
    if (o.display == DISPLAY_VERY_SILENT) return;
    // A handed-over run's window takes the place of the wizard's.
    POINT wizard_place{o.handover_x, o.handover_y};
    result_window = open_banner_window(RESULT_WINDOW, RESULT_BANNER, o.handover ? &wizard_place : nullptr);
    if (!result_window) return;
    create_list_box(LOG_LIST, 0, 140, 310, 240);
    create_button(OPEN_FOLDER_BUTTON, 96, 382, 100, 25, T(OPEN_FOLDER));
    create_button(FINISH_BUTTON, 206, 382, 100, 25, T(FINISH));
    disable_gadget(FINISH_BUTTON, 1);
    set_accessible_name(LOG_LIST, spoken_name(LOG_NAME));
    set_key_buttons(FINISH_BUTTON, -1);  // only "Terminer" ends the run
}

// Copies an auxiliary program of the source folder into the install
// directory, runs it there until it ends, and deletes the copy.  The log is
// drawn first: while the program runs the window only repaints what the
// system asks for, and the lines added since the last repaint, their
// drawing held, would stay blank until it ends.  A program that could not
// be copied is not run: what has its name in the install folder is not the
// author's (a read-only file someone left there); its failure is reported
// as that of any file, and the file is left alone.
void run_auxiliary_program(const std::string& name, TextId log_text) {
    std::string copy = setup.install_dir + name;
    if (!copy_file_without_download_mark(name, copy)) {
        report_copy_failure(name);
        log_line("   >   " + name + T(LOG_FAILURE_MARK));
        return;
    }
    repaint_log(true);
    run_program(copy, "", "", wait_flags());
    log_line(T(log_text));
    delete_file(copy);
}

// Steps before the copy.  Returns false when an earlier installation is
// still there after its uninstaller ran: the installer must end.
bool prepare_install_directory() {
    if (!make_install_folder(setup.install_dir)) {
        message_box(T(ERROR_TITLE), T(INVALID_INSTALL_FOLDER), 0);
        return false;
    }
    log_line(T(LOG_INSTALL_FOLDER));
    log_line(setup.install_dir);
    log_line("");
    repaint_log(true);
    std::string record = setup.install_dir + "Uninstall.dat";
    if (file_size(record) >= 0) {
        // The old installation removes itself in update mode first; in a
        // silent run without its window.
        std::string parameters = is_silent(setup_run.options) ? "Update /VERYSILENT" : "Update";
        run_program(setup.install_dir + "Uninstall.exe", parameters, setup.install_dir, wait_flags());
        log_line(T(LOG_UPDATE));
        log_line("");
    }
    if (!setup.install_program.empty()) {
        run_auxiliary_program(setup.install_program, LOG_FILES);
        log_line("");
    }
    repaint_log(true);
    if (file_size(record) >= 0) {
        message_box(T(ERROR_TITLE), T(UPDATE_FAILED) + "\n" + T(UPDATE_FAILED_ADVICE), MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

void copy_and_report() {
    log_line(T(LOG_INSTALLED_FILES));
    repaint_log(true);
    copy_folder("", 0);
    log_line("");
    log_line(T(LOG_DISK_SPACE) + format_size(install_run.total_size, 0, 0, 1));
    log_line("");
    if (install_run.copy_failed == 0) {
        log_line(T(INSTALL_SUCCEEDED));
    } else {
        log_line(T(INSTALL_FAILED));
        log_line("");
        log_line(T(INSTALL_FAILED));
        log_line("");
        log_line(T(INSTALL_FAILED));
        log_line(T(SOME_FILES_FAILED));
    }
    if (!setup.update_program.empty()) run_auxiliary_program(setup.update_program, LOG_SETTINGS_UPDATED);
    set_state(LOG_LIST, count_items(LOG_LIST) - 1);
    disable_gadget(FINISH_BUTTON, 0);
    repaint_log(true);
}

// A shortcut as the installer makes them: working folder the install
// directory, normal window, the target's own icon.
void make_shortcut(const PlannedShortcut& shortcut) {
    create_shortcut(shortcut.target, shortcut.link, "", "", setup.install_dir, SHOW_NORMAL, 0, shortcut.target, 0);
    record_uninstall_entry(shortcut.link);  // recorded even when the shell could not write it
}

// Six lines, the first the install directory, read by a later installer to
// recognise this installation; recorded only when it could be written.
void write_update_information(const IntegrationPlan& plan) {
    if (!create_file(INFORMATION_FILE, plan.update_information_file)) return;
    std::string text;
    for (const std::string& line : plan.update_information) text += line + "\r\n";
    write_text(encode_stored_text(text));
    close_file(INFORMATION_FILE);
    record_uninstall_entry(plan.update_information_file);
}

void integrate_start_menu(const IntegrationPlan& plan) {
    if (plan.start_menu_dir.empty()) return;
    create_directory(plan.author_folder.substr(0, plan.author_folder.size() - 1));
    create_directory(plan.author_folder + setup.program_name);
    copy_file_without_download_mark("Tarvo Developpement.url", plan.author_folder + "Tarvo Developpement.url");
    install_run.start_menu_dir = plan.start_menu_dir;
    write_update_information(plan);
    if (!is_silent(setup_run.options)) show_folder(plan.start_menu_dir);
    for (const PlannedShortcut& shortcut : plan.menu_shortcuts) make_shortcut(shortcut);
    record_uninstall_entry("[Menu]");
    record_uninstall_entry(plan.start_menu_dir);
}

// The desktop shortcuts, then the Start menu; the shell is asked to make a
// missing desktop or Start-menu folder again, each when it is first needed.
void integrate(bool desktop_shortcuts) {
    ShellFolders folders;
    if (desktop_shortcuts) folders.desktop = special_folder(desktop_folder_id() | FOLDER_CREATE);
    for (const PlannedShortcut& shortcut : plan_integration(setup, folders, desktop_shortcuts).desktop_shortcuts)
        make_shortcut(shortcut);
    folders.programs = special_folder(programs_folder_id() | FOLDER_CREATE);
    integrate_start_menu(plan_integration(setup, folders, false));
}

// Waits for "Terminer"; the banner opens the licence window, "Ouvrir le
// dossier" the install folder, and every attempt to close is ignored.  A
// silent run's window closes by itself.
void run_result_page() {
    if (!result_window || is_silent(setup_run.options)) {
        if (result_window) close_window(RESULT_WINDOW);
        setup.quit_requested = 1;
        return;
    }
    while (setup.quit_requested != 1) {
        if (wait_event() != EVENT_GADGET) continue;
        switch (event_gadget()) {
        case FINISH_BUTTON: setup.quit_requested = 1; break;
        case RESULT_BANNER: show_licence_window(result_window); break;
        case OPEN_FOLDER_BUTTON: show_folder(setup.install_dir); break;
        default: break;
        }
    }
}

// Folders that other programs and the user share.  Without a program
// name (no setup.ini) the proposed directories are two of them.
constexpr int SHARED_FOLDERS[] = {
    CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA,
    CSIDL_PROFILE,       CSIDL_PERSONAL,         CSIDL_DESKTOPDIRECTORY, CSIDL_PROGRAMS, CSIDL_WINDOWS,
    CSIDL_SYSTEM,
};

// The program folder itself would have its own files copied onto
// themselves and its Uninstall.dat template taken for an earlier
// installation.  A drive or network-share root, or a folder that other
// programs share, would have its empty folders and empty files removed by
// the uninstaller, whoever they belong to.
bool is_usable_install_directory(const std::string& field) {
    std::string target = comparable_path(field);
    if (target.empty() || target == comparable_path(".")) return false;
    if (target.size() <= 3) return false;  // "c:\"
    if (target.rfind("\\\\", 0) == 0 && std::count(target.begin(), target.end(), '\\') <= 3) return false;
    for (int folder : SHARED_FOLDERS) {
        std::string shared = special_folder(folder);
        if (!shared.empty() && comparable_path(shared) == target) return false;
    }
    return true;
}

}  // namespace

// Whether files can be made in the folder: it is there or can be made (one
// level, as the run makes it), and a file can be created in it.  A standard
// user is refused the all-users folder under Program Files, as is a drive
// that does not exist, a read-only medium or a path through a file; without
// this the run would start, hand over an earlier installation and then fail
// every file.  Nothing is left behind: a folder made here is removed again,
// and the probe file, of a name no other file has, goes when it is closed.
bool folder_takes_files(const std::string& folder) {
    bool made = false;
    if (file_size(folder) != -2) {
        if (!create_directory(folder)) return false;
        made = true;
    }
    HANDLE probe = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; probe == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
        std::string name =
            folder + "~tarvo-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
        probe = CreateFileW(file_path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (probe == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    bool takes_files = probe != INVALID_HANDLE_VALUE;
    if (takes_files) CloseHandle(probe);
    if (made) RemoveDirectoryW(file_path(folder).c_str());
    return takes_files;
}

// The install directory that the directory field names: absolute, ending
// with "\"; "" when the run must not use it.  A relative path names a folder
// under the program folder; it is made absolute so that the record, the
// shortcuts and the update-information file name the folder wherever they
// are read from.
std::string usable_install_directory(const std::string& typed) {
    std::string field = typed;
    if (field.empty() || !is_usable_install_directory(field)) return "";
    if (!is_absolute_path(field) && !full_path(field).empty()) field = full_path(field);
    return with_backslash(field);
}

bool folder_usable_here(const std::string& install_dir) {
    return folder_takes_files(install_dir) && judge_install_folder_rights(install_dir);
}

std::string checked_install_directory(const std::string& typed) {
    std::string install_dir = usable_install_directory(typed);
    return !install_dir.empty() && folder_usable_here(install_dir) ? install_dir : "";
}

// Completes the installed template: the language placeholder (the first two
// bytes of its second line) and the record list after it.
bool write_uninstall_record() {
    std::string path = setup.install_dir + "Uninstall.dat";
    // A template copied from read-only media arrives read-only; the record is
    // the installer's own file, so it is made writable first.
    if (is_read_only_file(path))
        SetFileAttributesW(file_path(path).c_str(), GetFileAttributesW(file_path(path).c_str()) & ~FILE_ATTRIBUTE_READONLY);
    if (!open_file(RECORD_FILE, path)) {
        // Without its record the installation cannot be uninstalled: say so
        // rather than let the log's success stand alone.
        message_box(T(ERROR_TITLE), T(COPY_FAILED_BEFORE_NAME) + "Uninstall.dat" + T(COPY_FAILED_AFTER_NAME) + "\n" + T(COPY_FAILED_ADVICE), 0);
        return false;
    }
    // The completed record is written over the template, from the start;
    // the file ends where it does (a template in UTF-8 may lose a byte or
    // two where its placeholder held letters of more than one).
    std::string record = completed_record(read_all(), setup.language, install_run.uninstall_records);
    file_seek(0);
    bool written = write_text(record) == static_cast<int>(record.size());
    truncate_file();
    close_file(RECORD_FILE);
    return written;
}

// The wizard's "Installer": the folder refused, or the elevation declined,
// leaves the wizard as it was.
void run_installation() {
    std::string install_dir = usable_install_directory(get_text(DIRECTORY_FIELD));
    bool refused = install_dir.empty() || setup_run.unusable_name || !kind_of_use_allowed(setup.install_mode);
    InstallChoices choices{install_dir, get_state(DESKTOP_BOX) == 1, get_state(RUN_AFTER_BOX) == 1};
    if (!refused && needs_elevation(install_dir)) {
        HWND wizard = GetAncestor(gadget_handle(INSTALL_BUTTON), GA_ROOT);
        int code = EXIT_FAILED;
        if (!hand_over_to_elevated_run(choices, wizard, &code)) return;
        close_window(WIZARD_WINDOW);
        setup_run.exit_code = code;
        setup.quit_requested = 1;
        return;
    }
    if (refused || !folder_usable_here(install_dir)) {
        message_box(T(ERROR_TITLE), T(INVALID_INSTALL_FOLDER), 0);
        return;
    }
    close_window(WIZARD_WINDOW);
    setup_run.exit_code = carry_out_installation(choices);
}

int carry_out_installation(const InstallChoices& choices) {
    log_run_choices(choices);
    setup.install_dir = choices.install_dir;
    // Counted from here: an install-time program that could not be copied
    // fails the installation as a file of the copy does.
    install_run.total_size = 0;
    install_run.copy_failed = 0;
    open_result_window();
    // The earlier installation could not be removed: the installer ends the
    // way its normal end does, nothing further changed.
    if (!prepare_install_directory()) end_setup(EXIT_FAILED);
    copy_and_report();
    integrate(choices.desktop_shortcuts);
    bool recorded = write_uninstall_record();
    if (setup.apps_entry == 0) unregister_apps_entry();
    else if (recorded) register_apps_entry();
    int code = install_run.copy_failed == 0 && recorded ? EXIT_DONE : EXIT_FAILED;
    run_result_page();
    if (choices.run_after) start_with_user_rights(setup.install_dir + setup.run_after_program);
    return code;
}
