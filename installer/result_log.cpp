// The log list of the result window, which is also the run's progress
// display; a repaint asked for draws the rest of the window too.  Drawing
// a list box costs far more than adding a line to it (under Wine, turning
// its drawing back on and painting it takes several milliseconds, the
// time of a few file copies), so while lines pour in the list is drawn at
// most every 100 ms, ten times a second, and never more than a twentieth
// of the time; it is drawn at once whenever the run asks (before a message
// box or a program the run waits for, after the last file).
#include <algorithm>

#include "installer/setup.h"
#include "runtime/gadget.h"
#include "runtime/run_log.h"

namespace {

constexpr ULONGLONG REPAINT_INTERVAL_MS = 100;
constexpr ULONGLONG PAINT_SHARE = 19;  // wait at least 19 times the last paint

struct LogDrawing {
    bool held = false;            // the list's drawing is switched off
    ULONGLONG last_end = 0;       // when the last repaint ended
    ULONGLONG last_cost = 0;      // how long it took
};

LogDrawing drawing;

}  // namespace

// A line of the result page; also one of the log file an administrator
// asked for, the page's only record in a very silent run.
void log_line(const std::string& text) {
    HWND list = gadget_handle(LOG_LIST);
    if (list && !drawing.held) {
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        drawing.held = true;
    }
    add_item(LOG_LIST, -1, text);
    run_log(text);
}

void repaint_log(bool now) {
    ULONGLONG start = GetTickCount64();
    ULONGLONG wait = std::max(REPAINT_INTERVAL_MS, PAINT_SHARE * drawing.last_cost);
    if (!now && start - drawing.last_end < wait) return;
    HWND list = gadget_handle(LOG_LIST);
    if (!list) return;
    if (drawing.held) {
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        drawing.held = false;
    }
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    // Asked for, the whole result window: the banner and the buttons are made
    // after it is shown, and "Terminer" changes state, outside the copy and
    // the waits, the only places where the run services messages.
    if (now) RedrawWindow(GetAncestor(list, GA_ROOT), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    drawing.last_end = GetTickCount64();
    drawing.last_cost = drawing.last_end - start;
}
