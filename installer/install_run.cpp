// The installation run started by the "Installer" button: preparation,
// copy and report, integration into the Start menu and desktop, result page.
#include <shlobj.h>

#include <algorithm>
#include <cctype>

#include "installer/setup_ui.h"
#include "installer/size_format.h"
#include "runtime/runtime.h"
#include "shell/shell.h"

namespace {

constexpr int INFORMATION_FILE = 0;
constexpr int RECORD_FILE = 0;
constexpr int SHOW_NORMAL = 1;

HWND result_window = nullptr;

std::string program_title() { return setup.program_name + " - v" + setup.program_version; }

// Window 1: the banner, the log list, "Ouvrir le dossier" and "Terminer",
// the latter disabled while the run works.
void open_result_window() {
    result_window = nullptr;
    if (!open_window(RESULT_WINDOW, 0, 0, 310, 405, WINDOW_SCREEN_CENTERED | WINDOW_INVISIBLE,
                     program_title()))
        return;
    HWND window = window_handle();
    set_tool_window(window, 1);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(window, SW_SHOW);
    if (!set_gadget_parent(window)) return;
    result_window = window;
    create_button(RESULT_BANNER, 0, 0, 310, 135, "", BUTTON_IMAGE | BUTTON_FLAT);
    SendMessageA(gadget_handle(RESULT_BANNER), BM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(image_handle(BANNER_IMAGE)));
    create_list_box(LOG_LIST, 0, 140, 310, 240);
    create_button(OPEN_FOLDER_BUTTON, 96, 382, 100, 25, T(27));
    create_button(FINISH_BUTTON, 206, 382, 100, 25, T(26));
    disable_gadget(FINISH_BUTTON, 1);
}

// Copies an auxiliary program of the source folder into the install
// directory, runs it there until it ends, and deletes the copy.
void run_auxiliary_program(const std::string& name, int log_text) {
    std::string copy = setup.install_dir + name;
    copy_file(name, copy);
    run_program(copy, "", "", RUN_WAIT);
    log_line(T(log_text));
    delete_file(copy);
}

// Steps before the copy.  Returns false when an earlier installation is
// still there after its uninstaller ran: the installer must end.
bool prepare_install_directory() {
    create_directory(setup.install_dir);
    log_line(T(33));
    log_line(setup.install_dir);
    log_line("");
    repaint_log(true);
    std::string record = setup.install_dir + "Uninstall.dat";
    if (file_size(record) >= 0) {
        // The old installation removes itself in update mode first.
        run_program(setup.install_dir + "Uninstall.exe", "Update", setup.install_dir, RUN_WAIT);
        log_line(T(34));
        log_line("");
    }
    if (!setup.install_program.empty()) {
        run_auxiliary_program(setup.install_program, 35);
        log_line("");
    }
    repaint_log(true);
    if (file_size(record) >= 0) {
        message_box(T(24), T(36) + "\n" + T(37), MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

void copy_and_report() {
    log_line(T(38));
    repaint_log(true);
    install_run.total_size = 0;
    install_run.copy_failed = 0;
    copy_folder("", 0);
    log_line("");
    log_line(T(39) + format_size(install_run.total_size, 0, 0, 1));
    log_line("");
    if (install_run.copy_failed == 0) {
        log_line(T(40));
    } else {
        log_line(T(41));
        log_line("");
        log_line(T(41));
        log_line("");
        log_line(T(41));
        log_line(T(42));
    }
    if (!setup.update_program.empty()) run_auxiliary_program(setup.update_program, 43);
    set_state(LOG_LIST, count_items(LOG_LIST) - 1);
    disable_gadget(FINISH_BUTTON, 0);
    repaint_log(true);
}

// A shortcut as the installer makes them: working folder the install
// directory, normal window, the target's own icon.
void make_shortcut(const std::string& link, const std::string& target) {
    create_shortcut(target, link, "", "", setup.install_dir, SHOW_NORMAL, 0, target, 0);
    record_uninstall_entry(link);  // recorded even when the shell could not write it
}

// Without a path for the desktop or the Start menu, the shortcuts and the
// Start-menu folder would be made relative to the program folder, that is
// inside the distribution: they are left out instead.
void make_desktop_shortcuts() {
    std::string desktop = special_folder(FOLDER_DESKTOP | FOLDER_CREATE);
    if (desktop.empty()) return;
    if (!setup.shortcut1_name.empty())
        make_shortcut(desktop + setup.shortcut1_name + ".lnk", setup.install_dir + setup.shortcut1_target);
    if (!setup.shortcut2_name.empty())
        make_shortcut(desktop + setup.shortcut2_name + ".lnk", setup.install_dir + setup.shortcut2_target);
}

// Six lines, the first the install directory, read by a later installer to
// recognise this installation.
void write_update_information() {
    std::string path = install_run.start_menu_dir + T(19) + ".Txt";
    if (!create_file(INFORMATION_FILE, path)) return;
    write_line(setup.install_dir);
    write_line("");
    write_line(program_title());
    write_line("");
    write_line(T(44));
    write_line(AUTHOR_WEB_PAGE);
    close_file(INFORMATION_FILE);
    record_uninstall_entry(path);
}

void integrate_start_menu() {
    std::string programs = special_folder(FOLDER_PROGRAMS | FOLDER_CREATE);
    if (programs.empty()) return;
    create_directory(programs + "Tarvo");
    create_directory(programs + "Tarvo\\" + setup.program_name);
    copy_file("Tarvo Developpement.url", programs + "Tarvo\\Tarvo Developpement.url");
    install_run.start_menu_dir = programs + "Tarvo\\" + setup.program_name + "\\";
    const std::string& menu = install_run.start_menu_dir;
    write_update_information();
    run_program("explorer.exe", menu, "", 0);
    if (!setup.shortcut1_name.empty())
        make_shortcut(menu + setup.shortcut1_name + ".lnk", setup.install_dir + setup.shortcut1_target);
    if (!setup.shortcut2_name.empty())
        make_shortcut(menu + setup.shortcut2_name + ".lnk", setup.install_dir + setup.shortcut2_target);
    make_shortcut(menu + T(45) + ".lnk", setup.install_dir + "Uninstall.exe");
    record_uninstall_entry("[Menu]");
    record_uninstall_entry(menu);
}

// Waits for "Terminer"; the banner opens the licence window, "Ouvrir le
// dossier" the install folder, and every attempt to close is ignored.
void run_result_page() {
    if (!result_window) {
        setup.quit_requested = 1;
        return;
    }
    while (setup.quit_requested != 1) {
        if (wait_event() != EVENT_GADGET) continue;
        switch (event_gadget()) {
        case FINISH_BUTTON: setup.quit_requested = 1; break;
        case RESULT_BANNER: show_licence_window(result_window); break;
        case OPEN_FOLDER_BUTTON: run_program("explorer.exe", setup.install_dir, "", 0); break;
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

// Patches the language placeholder of the installed template (the first two
// bytes of its second line) and appends the record list, the last line
// without a line end.
void write_uninstall_record() {
    std::string path = setup.install_dir + "Uninstall.dat";
    // A template copied from read-only media arrives read-only; the record is
    // the installer's own file, so it is made writable first.
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!open_file(RECORD_FILE, path)) {
        // Without its record the installation cannot be uninstalled: say so
        // rather than let the log's success stand alone.
        message_box(T(24), T(29) + "Uninstall.dat" + T(30) + "\n" + T(31), 0);
        return;
    }
    // A template whose last header has no line end would glue the first
    // installed file to it, and every file would then count as an entry of
    // the section before, to be run or kept instead of deleted.
    int64_t template_length = file_length();
    bool open_last_line = false;
    if (template_length > 0) {
        file_seek(template_length - 1);
        open_last_line = !read_line().empty();
        file_seek(0);
    }
    read_line();
    write_text(setup.language.substr(0, 2));
    file_seek(file_length());
    std::string block = open_last_line ? "\r\n" : "";
    const std::vector<std::string>& records = install_run.uninstall_records;
    for (size_t i = 0; i < records.size(); ++i) {
        block += records[i];
        if (i + 1 < records.size()) block += "\r\n";
    }
    write_text(block);
    close_file(RECORD_FILE);
}

void run_installation() {
    std::string field = get_text(DIRECTORY_FIELD);
    if (field.empty() || !is_usable_install_directory(field)) {
        message_box(T(24), T(46), 0);
        return;
    }
    // A relative path names a folder under the program folder; it is made
    // absolute so that the record, the shortcuts and the update-information
    // file name the folder wherever they are read from.
    if (!is_absolute_path(field) && !full_path(field).empty()) field = full_path(field);
    setup.install_dir = field.back() == '\\' ? field : field + "\\";
    bool desktop_shortcuts = get_state(DESKTOP_BOX) == 1;
    bool run_after = get_state(RUN_AFTER_BOX) == 1;
    close_window(WIZARD_WINDOW);
    open_result_window();
    if (!prepare_install_directory()) {
        // The earlier installation could not be removed: end the installer
        // the way its normal end does.
        release_runtime();
        ExitProcess(0);
    }
    copy_and_report();
    if (desktop_shortcuts) make_desktop_shortcuts();
    integrate_start_menu();
    write_uninstall_record();
    run_result_page();
    if (run_after) run_program(setup.install_dir + setup.run_after_program, "", "", 0);
}
