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
    set_key_buttons(NEXT_PAGE_1, QUIT_PAGE_1);
}

void build_charter_page() {
    add_item(PAGES, -1, T(CHARTER_TAB));
    std::string charter = T(CHARTER_ONLY_INSTALL_FOLDER) + "\n" + T(CHARTER_INTEGRATION) + "\n\n" +
                          T(CHARTER_CLEAN_INSTALLATION) + "\n\n" + T(CHARTER_APPRECIATION);
    // Charte de qualité :
    int frame = static_cast<int>(create_frame(-1, 2, 3, 300, 200, "Charte de qualit\xC3\xA9 :"));
    set_gadget_font(frame, title_font);
    create_text(-1, 8, 21, 288, 165, charter);
    create_button(QUIT_PAGE_2, 198, 220, 100, 22, T(QUIT));
    create_button(NEXT_PAGE_2, 90, 220, 100, 22, T(NEXT));
    set_key_buttons(NEXT_PAGE_2, QUIT_PAGE_2);
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
    set_key_buttons(NEXT_PAGE_3, QUIT_PAGE_3);
}

void lock_directory(bool locked) {
    disable_gadget(DIRECTORY_FIELD, locked ? 1 : 0);
    disable_gadget(BROWSE_BUTTON, locked ? 1 : 0);
}

// Shows the proposal: the ticked kind's folder in the field, locked when
// it is the folder of the installation to update.
void show_proposal() {
    set_text(DIRECTORY_FIELD, proposed_folder(setup.install_mode));
    set_state(setup.install_mode == MODE_CURRENT_USER ? CURRENT_USER_OPTION : ALL_USERS_OPTION, 1);
    if (setup.locked_mode != MODE_NONE) lock_directory(true);
}

void build_options_page() {
    add_item(PAGES, -1, T(OPTIONS_TAB));
    create_frame(DIRECTORY_FRAME, 2, 3, 300, 40, T(INSTALL_FOLDER_TITLE));
    create_button(BROWSE_BUTTON, 262, 17, 35, 22, "...");
    create_edit(DIRECTORY_FIELD, 8, 18, 250, 20, "");
    set_accessible_name(BROWSE_BUTTON, spoken_name(BROWSE_NAME));
    set_accessible_name(DIRECTORY_FIELD, T(INSTALL_FOLDER_TITLE));
    std::string previous = propose_install_folders();
    show_proposal();
    create_frame(RUN_AFTER_FRAME, 2, 48, 300, 40, T(RUN_AFTER_INSTALLATION));
    create_check_box(RUN_AFTER_BOX, 8, 63, 290, 20, setup.run_after_program);
    create_frame(SHORTCUT_FRAME, 2, 93, 300, 40, T(SHORTCUT_TITLE));
    create_check_box(DESKTOP_BOX, 8, 108, 290, 20, T(DESKTOP_SHORTCUT));
    if (propose_desktop_shortcuts(previous)) set_state(DESKTOP_BOX, 1);
    create_button(QUIT_PAGE_4, 198, 220, 100, 22, T(QUIT));
    create_button(INSTALL_BUTTON, 90, 220, 100, 22, T(INSTALL));
    set_key_buttons(INSTALL_BUTTON, QUIT_PAGE_4);
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

// The command line's choices, made as the user would make them: the kind
// of use ticked, the folder typed (unless the field is locked on the
// installation to update), the desktop box unticked.  The user still
// clicks through the pages.
void preset_wizard(const SetupOptions& options) {
    if (options.mode == MODE_ALL_USERS) {
        set_state(ALL_USERS_OPTION, 1);
        on_all_users_option();
    } else if (options.mode == MODE_CURRENT_USER && IsWindowEnabled(gadget_handle(CURRENT_USER_OPTION))) {
        set_state(CURRENT_USER_OPTION, 1);
        on_current_user_option();
    }
    if (!options.folder.empty() && setup.locked_mode != setup.install_mode) {
        set_text(DIRECTORY_FIELD, options.folder);
        on_directory_edited();
    }
    if (options.no_desktop) set_state(DESKTOP_BOX, 0);
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
