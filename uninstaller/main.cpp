// Uninstall: removes the installation that Uninstall.dat in the current
// folder describes, after the user confirms, or unattended with "Update"
// when a newer installer takes over.
#include <windows.h>

#include "runtime/runtime.h"
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
    return true;
}

// After a full run: the note in the install directory, a folder window on
// it, and the closing message.
void finish_full_uninstall() {
    if (create_file(NOTE_FILE, U(CLOSING_NOTE_NAME))) {
        write_text(U(CLOSING_NOTE));
        close_file(NOTE_FILE);
    }
    show_folder(current_folder());
    pause_servicing_messages(750);
    message_box(U(UNINSTALL_TITLE), U(CLOSING_NOTE), 0);
    close_window(UNINSTALL_WINDOW);
}

// Returns when the user leaves without removing anything, when the window
// cannot be opened, or when the record could not be read and the window
// was closed afterwards.
void run_full_uninstall() {
    // Without its window nobody can confirm: nothing is removed, and the
    // program ends instead of waiting for events that never come.
    if (!build_uninstall_window(U(UNINSTALL_TITLE), false)) return;
    for (;;) {
        int event = wait_event();
        if (event == EVENT_CLOSE_WINDOW) return;
        if (event != EVENT_GADGET) continue;
        if (event_gadget() == CANCEL_BUTTON) return;
        if (event_gadget() != UNINSTALL_BUTTON) continue;
        disable_gadget(UNINSTALL_BUTTON, 1);
        disable_gadget(CANCEL_BUTTON, 1);
        if (run_uninstall(false)) {
            finish_full_uninstall();
            return;
        }
        // The record cannot be read now: nothing is removed, and the window
        // waits, buttons disabled, until it is closed.
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    init_runtime();
    if (file_size("Uninstall.dat") >= 0) {
        load_uninstall_text(record_is_french());
        bool update_mode = next_program_parameter() == "Update";
        if (update_mode) {
            build_uninstall_window(U(UPDATE_TITLE), true);
            disable_gadget(UNINSTALL_BUTTON, 1);
            disable_gadget(CANCEL_BUTTON, 1);
            run_uninstall(true);
            pause_servicing_messages(3000);
        } else {
            run_full_uninstall();
        }
    }
    release_runtime();
    return 0;
}
