// Uninstall: removes the installation that Uninstall.dat in its own folder
// describes, after the user confirms; unattended with "Update" when a newer
// installer takes over, or with /SILENT or /VERYSILENT for a deployment
// tool.
#include <windows.h>

#include "runtime/code_page.h"
#include "runtime/runtime.h"
#include "runtime/switches.h"
#include "shell/shell.h"
#include "uninstaller/uninstall.h"

namespace {

constexpr int UNINSTALL_WINDOW = 0;
// A title bar without a system menu (no close box), centred on the screen.
constexpr uint32_t CAPTION_CENTERED = WS_CAPTION | WINDOW_SCREEN_CENTERED;
static_assert(CAPTION_CENTERED == 0xC00001);
constexpr int NOTE_FILE = 1;

// Line 2 of the record names the language; exactly "FR" is French.
bool record_is_french() {
    std::string language;
    if (read_file(0, "Uninstall.dat")) {
        read_line();
        language = read_line();
        close_file(0);
    }
    return language == "FR";
}

// False when the window could not be opened.
bool build_uninstall_window(const std::string& title, bool update_mode) {
    if (!open_window(UNINSTALL_WINDOW, 0, 0, 400, 47, CAPTION_CENTERED, title)) return false;
    HWND window = window_handle();
    if (update_mode) {
        set_tool_window(window, 1);
        // The narrower tool caption enlarged the client area; the size is
        // derived from the plain style, so 94 - height restores 47.
        resize_window(400, 94 - window_height());
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    if (!set_gadget_parent(window)) return true;
    create_progress_bar(PROGRESS_BAR, 3, 3, 394, 14, 0, 100, 1);
    create_button(UNINSTALL_BUTTON, 194, 20, 100, 25, U(UNINSTALL_ACTION));
    create_button(CANCEL_BUTTON, 297, 20, 100, 25, U(CANCEL_ACTION));
    set_key_buttons(UNINSTALL_BUTTON, CANCEL_BUTTON);
    return true;
}

// After a full run: the note in the install directory, a folder window on
// it, and the closing message.
void finish_full_uninstall() {
    if (create_file(NOTE_FILE, U(CLOSING_NOTE_NAME))) {
        write_text(encode_stored_text(U(CLOSING_NOTE)));
        close_file(NOTE_FILE);
    }
    show_folder(current_folder());
    pause_servicing_messages(750);
    message_box(U(UNINSTALL_TITLE), U(CLOSING_NOTE), 0);
    close_window(UNINSTALL_WINDOW);
}

// The exit code of a run that read the record (or could not).
int run_outcome(bool record_read) {
    return record_read && uninstall_run.not_removed.empty() ? EXIT_DONE : EXIT_FAILED;
}

// Returns when the user leaves without removing anything, when the window
// cannot be opened, or when the record could not be read and the window
// was closed afterwards.
int run_full_uninstall() {
    // Without its window nobody can confirm: nothing is removed, and the
    // program ends instead of waiting for events that never come.
    if (!build_uninstall_window(U(UNINSTALL_TITLE), false)) return EXIT_FAILED;
    for (;;) {
        int event = wait_event();
        if (event == EVENT_CLOSE_WINDOW) return EXIT_CANCELLED;
        if (event != EVENT_GADGET) continue;
        if (event_gadget() == CANCEL_BUTTON) return EXIT_CANCELLED;
        if (event_gadget() != UNINSTALL_BUTTON) continue;
        disable_gadget(UNINSTALL_BUTTON, 1);
        disable_gadget(CANCEL_BUTTON, 1);
        if (run_uninstall(false)) {
            remove_apps_entries(current_folder());
            finish_full_uninstall();
            return run_outcome(true);
        }
        // The record cannot be read now: nothing is removed, and the window
        // waits, buttons disabled, until it is closed.
        while (wait_event() != EVENT_CLOSE_WINDOW) {
        }
        return EXIT_FAILED;
    }
}

// Before a newer installation: the window (unless nothing is to be shown)
// and the run, then a pause on the window.
int run_update() {
    bool shown = uninstall_run.options.display != DISPLAY_VERY_SILENT;
    if (shown) {
        build_uninstall_window(U(UPDATE_TITLE), true);
        disable_gadget(UNINSTALL_BUTTON, 1);
        disable_gadget(CANCEL_BUTTON, 1);
    }
    bool read = run_uninstall(true);
    if (shown) pause_servicing_messages(3000);
    return run_outcome(read);
}

// A full uninstallation nobody confirms: the window shows the progress
// (/SILENT) or nothing shows (/VERYSILENT); no closing note, folder window
// or message; the uninstaller's own file and the emptied folder go too.
int run_unattended_uninstall() {
    if (!mark_kit_run()) {
        run_log("Another run of the kit's installer or uninstaller is in progress: nothing was done.");
        return EXIT_ANOTHER_RUN;
    }
    if (uninstall_run.options.display == DISPLAY_SILENT) {
        build_uninstall_window(U(UNINSTALL_TITLE), false);
        disable_gadget(UNINSTALL_BUTTON, 1);
        disable_gadget(CANCEL_BUTTON, 1);
    }
    std::string folder = current_folder();
    if (!run_uninstall(false)) {
        run_log("Uninstall.dat could not be read: nothing was removed.");
        return EXIT_FAILED;
    }
    remove_apps_entries(folder);
    close_window(UNINSTALL_WINDOW);
    remove_own_installation(folder);
    return run_outcome(true);
}

// A command line the uninstaller cannot follow: nothing is done.  A run
// with its windows says so in a message box, a silent one only in its log.
int refuse_command_line(const std::string& text) {
    message_box("Erreur / Error", text, MB_ICONERROR);
    return EXIT_BAD_COMMAND_LINE;
}

// The log /LOG asks for, named after the install folder when no file is
// given.  False when it cannot be made.
bool open_uninstall_log(const std::string& folder) {
    const UninstallOptions& o = uninstall_run.options;
    if (!o.log) return true;
    std::string name = folder.substr(0, folder.size() - 1);
    name = name.substr(name.rfind('\\') + 1);
    if (!open_run_log(o.log_file.empty() ? temporary_log_path("Uninstall " + name) : o.log_file)) return false;
    run_log("Uninstall.exe of the Tarvo installation kit");
    run_log("Command line: " + std::string(command_line_parameters(command_line())));
    run_log("Install folder: " + folder);
    return true;
}

int run_uninstaller() {
    const UninstallOptions& o = uninstall_run.options;
    std::string folder = current_folder();
    if (!open_uninstall_log(folder)) return refuse_command_line("/LOG: " + o.log_file);
    if (!o.understood) return refuse_command_line(uninstall_invalid_switch_text(o.invalid));
    if (o.help) {
        message_box(UNINSTALL_HELP_TITLE, uninstall_help_text(), MB_ICONINFORMATION);
        return EXIT_DONE;
    }
    if (file_size("Uninstall.dat") < 0) {
        run_log("No Uninstall.dat: nothing to uninstall.");
        return EXIT_NOT_INSTALLED;
    }
    if (uninstall_needs_elevation()) return run_elevated_uninstaller();
    load_uninstall_text(record_is_french());
    if (o.update_mode) return run_update();
    if (is_silent(o)) return run_unattended_uninstall();
    // A run with its windows goes on as it always has when another run is
    // in progress.
    mark_kit_run();
    return run_full_uninstall();
}

// The folder of the uninstaller's own file, with its "\".
std::string own_folder() {
    std::string path = program_file();
    return path.substr(0, path.rfind('\\') + 1);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    init_runtime();
    const UninstallOptions& o = uninstall_run.options =
        parse_uninstall_options(command_line_parameters(command_line()));
    if (is_clean_up(o)) return finish_clean_up(o);
    // The record, the closing note and the "[Dossier du programme]" entries
    // are those of the installation the uninstaller belongs to, in its own
    // folder, whatever folder it was started from: a shortcut's or a
    // deployment tool's.
    std::string folder = own_folder();
    if (!folder.empty()) set_current_folder(folder);
    set_silent_run(is_silent(o) && !o.help);
    int code = run_uninstaller();
    run_log("Exit code: " + std::to_string(code));
    close_run_log();
    release_runtime();
    return code;
}
