// The designer and licence window: two pages of HTML shipped beside Setup.
#include "installer/setup_ui.h"
#include "runtime/runtime.h"
#include "shell/shell.h"

namespace {

// Builds the two pages in the window just opened.
void build_licence_pages(const std::string& folder) {
    HWND window = window_handle();
    // Created without the tool-window style, so inverting the bit sets it.
    SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) ^ WS_EX_TOOLWINDOW);
    ShowWindow(window, SW_SHOW);
    // The first size is computed for a normal caption; the second corrects
    // for the smaller tool caption, so the inner height is exactly 250.
    resize_window(350, 250);
    resize_window(350, 500 - window_height());
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    set_gadget_parent(window);
    std::string base = current_folder() + folder + "\\";
    int panel = static_cast<int>(create_panel(-1, 0, 0, 350, 250));
    add_item(panel, -1, "Concepteur / Designer");
    create_web_view(-1, 4, 4, 338, 215, base + "Concepteur.htm");
    add_item(panel, -1, "Licence");
    create_web_view(-1, 4, 4, 338, 215, base + "Licence.htm");
    close_gadget_list();
    set_state(panel, 0);
}

// The control of the owner that had the focus has it again afterwards.
void show_licence_pages(HWND owner, const std::string& folder) {
    HWND focus = GetFocus();
    EnableWindow(owner, FALSE);
    intptr_t window = open_window(-1, 0, 0, 349, 249,
                                  WINDOW_SCREEN_CENTERED | WINDOW_INVISIBLE | WS_CAPTION | WS_SYSMENU,
                                  "Concepteur et licence");
    if (window) {
        build_licence_pages(folder);
        while (wait_event() != EVENT_CLOSE_WINDOW) {
        }
        // The owner is enabled while the licence window is still there, so
        // that Windows hands the activation back to it when the licence
        // window goes, not to another program.
        EnableWindow(owner, TRUE);
        close_window(static_cast<int>(window));
    } else {
        EnableWindow(owner, TRUE);
    }
    BringWindowToTop(owner);
    if (focus && IsChild(owner, focus) && IsWindowVisible(focus) && IsWindowEnabled(focus)) SetFocus(focus);
}

}  // namespace

// Shown modal over `owner`, from the "Licence" folder beside Setup when there
// is one, otherwise from "Licence [Version Plus]".
void show_licence_window(HWND owner) {
    show_licence_pages(owner, file_size("Licence") == -2 ? "Licence" : "Licence [Version Plus]");
}
