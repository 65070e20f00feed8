// The frame the wizard and the result window share.
#include "installer/setup_ui.h"
#include "runtime/runtime.h"

std::string program_title() { return setup.program_name + " - v" + setup.program_version; }

// 310 x 405 inside, centred on the screen (or at `place`, the wizard's), a
// tool window above the others,
// titled "name - vversion", with the banner picture as a flat button across
// its top.  The window is shown before its gadgets are made.
HWND open_banner_window(int number, int banner, const POINT* place) {
    uint32_t centred = place ? 0 : WINDOW_SCREEN_CENTERED;
    if (!open_window(number, place ? place->x : 0, place ? place->y : 0, 310, 405, centred | WINDOW_INVISIBLE,
                     program_title()))
        return nullptr;
    HWND window = window_handle();
    set_tool_window(window, 1);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(window, SW_SHOW);
    if (!set_gadget_parent(window)) return nullptr;
    create_button(banner, 0, 0, 310, 135, "", BUTTON_IMAGE | BUTTON_FLAT);
    SendMessageW(gadget_handle(banner), BM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(image_handle(BANNER_IMAGE)));
    set_accessible_name(banner, T(DESIGNER_LICENCE));  // it opens what that button opens
    return window;
}
