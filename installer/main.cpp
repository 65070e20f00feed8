// Setup: start-up and the wizard's event loop.
#include <windows.h>

#include "installer/setup_ui.h"
#include "runtime/run_log.h"
#include "runtime/runtime.h"
#include "runtime/switches.h"
#include "shell/shell.h"

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

// A command line Setup cannot follow: nothing is done.  A wizard run says
// so in a message box, a silent run only in its log (message_box).
int refuse_command_line(const std::string& text) {
    message_box(COMMAND_LINE_ERROR_TITLE, text, MB_ICONERROR);
    return EXIT_BAD_COMMAND_LINE;
}

// The splash, the settings, the language and the wizard, preset by the
// command line.  The user's "Quitter" (or the close request) ends it
// before anything changed; an installation run gives its own exit code.
int run_with_wizard() {
    // A wizard run goes on as it always has when another run is in progress.
    mark_kit_run();
    // The splash program shows the author's logo for at least 4 seconds;
    // without it the installer goes on at once.  It is the one beside Setup
    // or none: by its bare name the shell would look along the user's PATH.
    std::string splash = current_folder() + "Tarvo.exe";
    if (file_size(splash) >= 0) run_program(splash, "4", "", RUN_WAIT);
    read_settings();
    if (!open_setup_log()) return refuse_command_line(log_not_written_text(setup_run.options.log_file));
    check_setting_names();
    choose_language(setup_run.options.language);
    read_custom_text();
    wizard = build_wizard_window();
    // A wizard that cannot be built leaves nothing to wait for: end.
    if (!wizard) return EXIT_FAILED;
    apply_run_after_default();
    preset_wizard(setup_run.options);
    setup.quit_requested = 0;
    while (poll_event() != 0) {
    }
    setup_run.exit_code = EXIT_CANCELLED;
    run_wizard();
    return setup_run.exit_code;
}

// A run the command line makes without the wizard: a refusal, the list of
// switches, a silent installation, or one a wizard handed over.  The settings are read first: /LOG
// alone names its file after the program.
int run_without_wizard() {
    const SetupOptions& o = setup_run.options;
    read_settings();
    if (!open_setup_log()) return refuse_command_line(log_not_written_text(o.log_file));
    if (!o.understood) return refuse_command_line(invalid_switch_text(o.invalid));
    if (o.help) {
        message_box(HELP_TITLE, setup_help_text(), MB_ICONINFORMATION);
        return EXIT_DONE;
    }
    check_setting_names();
    // A silent run never waits for another: the deployment tool that
    // started it retries later.  A handed-over run is the wizard's own,
    // which holds the mark.
    if (!mark_kit_run() && !o.handover) {
        run_log("Another run of the kit's installer or uninstaller is in progress: nothing was done.");
        return EXIT_ANOTHER_RUN;
    }
    return run_unattended();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    setup = SetupState{};
    init_runtime();
    enable_jpeg_decoder();
    load_image_from_memory(BANNER_IMAGE, banner_jpeg, banner_jpeg_size);
    const SetupOptions& o = setup_run.options = parse_setup_options(command_line_parameters(command_line()));
    // Asked for, the list of switches shows even in a silent run.
    set_silent_run(is_silent(o) && !o.help);
    bool wizard = o.understood && !o.help && !is_silent(o) && !o.handover;
    end_setup(wizard ? run_with_wizard() : run_without_wizard());
}
