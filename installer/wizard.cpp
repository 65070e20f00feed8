// The wizard window: banner, four pages, the proposed install directory and
// the rules that keep the directory field consistent.
#include "installer/setup_ui.h"
#include "runtime/runtime.h"
#include "shell/shell.h"

namespace {

constexpr int TITLE_FONT = 0;
intptr_t title_font = 0;

void build_presentation_page() {
    add_item(PAGES, -1, T(INSTALLATION_TAB));
    create_button(LICENCE_BUTTON, 2, 3, 300, 20, T(DESIGNER_LICENCE));
    create_check_box(CONSENT_BOX, 3, 24, 300, 15, T(LICENCE_CONSENT));
    create_frame(PROGRAM_FRAME, 2, 48, 300, 168, program_title());
    title_font = load_font(TITLE_FONT, "Tahoma", 10, FONT_BOLD);
    set_gadget_font(PROGRAM_FRAME, title_font);
    create_text(CUSTOM_TEXT, 8, 66, 288, 145, setup.custom_text);
    create_button(QUIT_PAGE_1, 198, 220, 100, 22, T(QUIT));
    create_button(NEXT_PAGE_1, 90, 220, 100, 22, T(NEXT));
}

void build_charter_page() {
    add_item(PAGES, -1, T(CHARTER_TAB));
    std::string charter = T(CHARTER_ONLY_INSTALL_FOLDER) + "\n" + T(CHARTER_INTEGRATION) + "\n\n" +
                          T(CHARTER_CLEAN_INSTALLATION) + "\n\n" + T(CHARTER_APPRECIATION);
    // Charte de qualité :
    int frame = static_cast<int>(create_frame(-1, 2, 3, 300, 200, "Charte de qualit\xE9 :"));
    set_gadget_font(frame, title_font);
    create_text(-1, 8, 21, 288, 165, charter);
    create_button(QUIT_PAGE_2, 198, 220, 100, 22, T(QUIT));
    create_button(NEXT_PAGE_2, 90, 220, 100, 22, T(NEXT));
}

void build_use_page() {
    add_item(PAGES, -1, T(USE_TAB));
    create_option(ALL_USERS_OPTION, 2, 3, 300, 15, T(PERSONAL_COMPUTER));
    create_option(CURRENT_USER_OPTION, 2, 103, 300, 15, T(SHARED_COMPUTER));
    // Windows 95, 98, Me and NT 4.0 have no per-user application data.
    if (windows_version() < 50) disable_gadget(CURRENT_USER_OPTION, 1);
    create_text(ALL_USERS_TEXT, 2, 23, 300, 80, T(ALL_USERS_EXPLANATION));
    create_text(CURRENT_USER_TEXT, 2, 123, 300, 80, T(CURRENT_USER_EXPLANATION));
    create_button(QUIT_PAGE_3, 198, 220, 100, 22, T(QUIT));
    create_button(NEXT_PAGE_3, 90, 220, 100, 22, T(NEXT));
}

void propose_all_users_directory() {
    set_text(DIRECTORY_FIELD, setup.all_users_dir);
    set_state(ALL_USERS_OPTION, 1);
    setup.install_mode = MODE_ALL_USERS;
}

// The update-information file an earlier installation left in the Start
// menu, "" when there is none.  Its name follows the language of the run.
std::string update_information_file() {
    std::string programs = special_folder(FOLDER_PROGRAMS);
    if (programs.empty()) return "";  // no Start menu, no earlier installation in it
    std::string path = programs + "Tarvo\\" + setup.program_name + "\\" + T(UPDATE) + ".Txt";
    if (file_size(path) != -1) return path;
    path = programs + "Utilitaires\\" + setup.program_name + "\\" + T(UPDATE) + ".txt";
    if (file_size(path) != -1) return path;
    return "";
}

// Recognises an earlier installation of the program and proposes its
// directory, locked while its kind of use is ticked.  Returns that
// directory, "" for a fresh installation.
std::string detect_previous_installation() {
    std::string info = update_information_file();
    if (info.empty() || !read_file(0, info)) {
        propose_all_users_directory();
        return "";
    }
    std::string dir = read_line();
    close_file(0);
    // An empty first line would make the two files be looked for in the
    // current folder; it names no installation.
    if (dir.empty() || file_size(dir + "Uninstall.dat") < 0 || file_size(dir + "Uninstall.exe") < 0 ||
        file_size(dir) != -2) {
        propose_all_users_directory();
        return "";
    }
    std::string appdata = special_folder(FOLDER_APPDATA);
    set_text(DIRECTORY_FIELD, dir);
    if (dir.compare(0, appdata.size(), appdata) == 0) {
        setup.current_user_dir = dir;
        setup.install_mode = MODE_CURRENT_USER;
        set_state(CURRENT_USER_OPTION, 1);
        setup.locked_mode = MODE_CURRENT_USER;
    } else {
        setup.all_users_dir = dir;
        setup.install_mode = MODE_ALL_USERS;
        set_state(ALL_USERS_OPTION, 1);
        setup.locked_mode = MODE_ALL_USERS;
    }
    disable_gadget(DIRECTORY_FIELD, 1);
    disable_gadget(BROWSE_BUTTON, 1);
    return dir;
}

void build_options_page() {
    add_item(PAGES, -1, T(OPTIONS_TAB));
    create_frame(DIRECTORY_FRAME, 2, 3, 300, 40, T(INSTALL_FOLDER_TITLE));
    create_button(BROWSE_BUTTON, 262, 17, 35, 22, "...");
    create_edit(DIRECTORY_FIELD, 8, 18, 250, 20, "");
    // A fixed text, not the system's program-files folder.
    setup.all_users_dir = "C:\\Program files\\" + setup.program_name;
    setup.current_user_dir = special_folder(FOLDER_APPDATA) + setup.program_name;
    std::string previous = detect_previous_installation();
    create_frame(RUN_AFTER_FRAME, 2, 48, 300, 40, T(RUN_AFTER_INSTALLATION));
    create_check_box(RUN_AFTER_BOX, 8, 63, 290, 20, setup.run_after_program);
    create_frame(SHORTCUT_FRAME, 2, 93, 300, 40, T(SHORTCUT_TITLE));
    create_check_box(DESKTOP_BOX, 8, 108, 290, 20, T(DESKTOP_SHORTCUT));
    // An update keeps the desktop shortcut only if the user kept it.
    if (previous.empty() ||
        file_size(special_folder(FOLDER_DESKTOP) + setup.shortcut1_name + ".lnk") != -1)
        set_state(DESKTOP_BOX, 1);
    create_button(QUIT_PAGE_4, 198, 220, 100, 22, T(QUIT));
    create_button(INSTALL_BUTTON, 90, 220, 100, 22, T(INSTALL));
}

// A current-user directory must lie inside the application-data folder.
bool inside_appdata(const std::string& dir, const std::string& appdata) {
    return dir.compare(0, appdata.size(), appdata) == 0;
}

void lock_directory(bool locked) {
    disable_gadget(DIRECTORY_FIELD, locked ? 1 : 0);
    disable_gadget(BROWSE_BUTTON, locked ? 1 : 0);
}

}  // namespace

HWND build_wizard_window() {
    HWND window = open_banner_window(WIZARD_WINDOW, BANNER);
    if (!window) {
        close_window(WIZARD_WINDOW);
        return nullptr;
    }
    create_panel(PAGES, 0, 140, 310, 270);
    build_presentation_page();
    build_charter_page();
    build_use_page();
    build_options_page();
    close_gadget_list();
    set_state(PAGES, 0);
    return window;
}

void on_all_users_option() {
    lock_directory(setup.locked_mode == MODE_ALL_USERS);
    setup.install_mode = MODE_ALL_USERS;
    set_text(DIRECTORY_FIELD, setup.all_users_dir);
}

void on_current_user_option() {
    lock_directory(setup.locked_mode == MODE_CURRENT_USER);
    setup.install_mode = MODE_CURRENT_USER;
    set_text(DIRECTORY_FIELD, setup.current_user_dir);
}

void on_browse_button() {
    if (setup.install_mode == MODE_ALL_USERS) {
        std::string chosen = choose_folder(T(CHOOSE_FOLDER_TITLE), setup.all_users_dir);
        if (chosen.empty()) return;
        setup.all_users_dir = chosen;
        set_text(DIRECTORY_FIELD, chosen);
        return;
    }
    std::string chosen = choose_folder(T(CHOOSE_FOLDER_TITLE), setup.current_user_dir);
    if (chosen.empty()) return;
    std::string appdata = special_folder(FOLDER_APPDATA);
    setup.current_user_dir = inside_appdata(chosen, appdata) ? chosen : appdata + setup.program_name;
    set_text(DIRECTORY_FIELD, setup.current_user_dir);
}

void on_directory_edited() {
    std::string typed = get_text(DIRECTORY_FIELD);
    if (setup.install_mode == MODE_ALL_USERS) {
        if (typed != setup.all_users_dir) setup.all_users_dir = typed;
        return;
    }
    if (typed == setup.current_user_dir) return;
    setup.current_user_dir = typed;
    std::string appdata = special_folder(FOLDER_APPDATA);
    if (!inside_appdata(typed, appdata)) {
        setup.current_user_dir = appdata + setup.program_name;
        set_text(DIRECTORY_FIELD, setup.current_user_dir);
    }
}
