// Setup: start-up and the wizard's event loop.
#include <windows.h>

#include "installer/setup_ui.h"
#include "runtime/runtime.h"

extern const unsigned char banner_jpeg[];
extern const size_t banner_jpeg_size;


namespace {

HWND wizard = nullptr;

// The licence box must be ticked before the next page or the installation;
// the pages can also be reached through their tabs, so both buttons check.
bool consent_given() {
    if (get_state(CONSENT_BOX) == 1) return true;
    message_box(T(ERROR_TITLE), T(LICENCE_NOT_ACCEPTED), MB_ICONEXCLAMATION);
    return false;
}

void dispatch_wizard_gadget(int gadget) {
    switch (gadget) {
    case BANNER: show_licence_window(wizard); break;
    case LICENCE_BUTTON: show_licence_window(wizard); break;
    case QUIT_PAGE_1: setup.quit_requested = 1; break;
    case QUIT_PAGE_2: setup.quit_requested = 1; break;
    case QUIT_PAGE_3: setup.quit_requested = 1; break;
    case QUIT_PAGE_4: setup.quit_requested = 1; break;
    case NEXT_PAGE_1: if (consent_given()) set_state(PAGES, 1); break;
    case NEXT_PAGE_2: set_state(PAGES, 2); break;
    case NEXT_PAGE_3: set_state(PAGES, 3); break;
    case INSTALL_BUTTON: if (consent_given()) run_installation(); break;
    case ALL_USERS_OPTION: on_all_users_option(); break;
    case CURRENT_USER_OPTION: on_current_user_option(); break;
    case BROWSE_BUTTON: on_browse_button(); break;
    case DIRECTORY_FIELD: on_directory_edited(); break;
    default: break;
    }
}

// Without a program to run afterwards, the run-after box is unticked and
// greyed, and no desktop shortcut is proposed either.
void apply_run_after_default() {
    if (setup.run_after_program.empty()) {
        set_state(RUN_AFTER_BOX, 0);
        disable_gadget(RUN_AFTER_BOX, 1);
        set_state(DESKTOP_BOX, 0);
    } else {
        set_state(RUN_AFTER_BOX, 1);
    }
}

void run_wizard() {
    int event;
    do {
        event = wait_event();
        if (event == EVENT_GADGET) dispatch_wizard_gadget(event_gadget());
    } while (setup.quit_requested != 1 && event != EVENT_CLOSE_WINDOW);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    setup = SetupState{};
    init_runtime();
    enable_jpeg_decoder();
    load_image_from_memory(BANNER_IMAGE, banner_jpeg, banner_jpeg_size);
    // The splash program shows the author's logo for at least 4 seconds;
    // without it the installer goes on at once.
    run_program("Tarvo.exe", "4", "", RUN_WAIT);
    read_settings();
    choose_language();
    read_custom_text();
    wizard = build_wizard_window();
    // A wizard that cannot be built leaves nothing to wait for: end.
    if (wizard) {
        apply_run_after_default();
        setup.quit_requested = 0;
        while (poll_event() != 0) {
        }
        run_wizard();
    }
    release_runtime();
    return 0;
}
