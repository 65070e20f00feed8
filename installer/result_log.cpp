// The log list of the result window, which is also the run's progress
// display.  Drawing a list box costs far more than adding a line to it, so
// the list is drawn at most every 30 ms while lines pour in, and at once
// whenever the run asks (before a message box, after the last file).
#include "installer/setup.h"
#include "runtime/gadget.h"

namespace {

constexpr ULONGLONG REPAINT_INTERVAL_MS = 30;

ULONGLONG last_repaint = 0;
bool drawing_held = false;

}  // namespace

void log_line(const std::string& text) {
    HWND list = gadget_handle(LOG_LIST);
    if (list && !drawing_held) {
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        drawing_held = true;
    }
    add_item(LOG_LIST, -1, text);
}

void repaint_log(bool now) {
    ULONGLONG tick = GetTickCount64();
    if (!now && tick - last_repaint < REPAINT_INTERVAL_MS) return;
    HWND list = gadget_handle(LOG_LIST);
    if (!list) return;
    if (drawing_held) {
        SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        drawing_held = false;
    }
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    last_repaint = GetTickCount64();
}
