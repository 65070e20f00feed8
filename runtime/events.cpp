// The event source: the pump behind wait_event and poll_event, and the window
// procedure of program windows that translates native notifications into
// events.
//
// Translated events go through a small queue.  Most are raised while the
// pump dispatches a message it took, but a control also notifies its parent
// while the thread handles a message *sent* to it (a BM_CLICK from another
// process, arriving inside GetMessage) or while the program itself calls the
// layer (set_text on an edit field).  Those events are queued as well, and
// because the pump may be blocked in GetMessage at that moment, a private
// thread message wakes it; the pump never returns that message as an event.
#include "runtime/window.h"

#include <deque>

#include "runtime/gadget_internal.h"
#include "runtime/window_internal.h"

namespace {

constexpr UINT WAKE_MESSAGE = WM_APP + 0x3A5;

struct Event {
    int code;
    int gadget;
    int type;
};

struct EventSource {
    std::deque<Event> queue;
    int dispatching = 0;  // >0 while the pump dispatches a message it took
    int gadget = 0;       // gadget of the last EVENT_GADGET
    int type = -1;        // notification type of the last event, -1 for none
};

EventSource events;

int take_event() {
    Event e = events.queue.front();
    events.queue.pop_front();
    if (e.code == EVENT_GADGET) events.gadget = e.gadget;
    events.type = e.type;
    return e.code;
}

bool is_list_box(HWND control) {
    char name[16];
    return GetClassNameA(control, name, sizeof name) > 0 && lstrcmpiA(name, "ListBox") == 0;
}

bool is_tab_stop(HWND top, HWND control) {
    return IsWindow(control) && IsChild(top, control) && IsWindowEnabled(control) &&
           IsWindowVisible(control) && (GetWindowLongA(control, GWL_STYLE) & WS_TABSTOP);
}

// Index in `order` of the gadget that holds the focus (the focus may sit in
// a child of a gadget), or -1.
int focused_index(const std::vector<HWND>& order) {
    for (HWND w = GetFocus(); w; w = GetParent(w))
        for (size_t i = 0; i < order.size(); ++i)
            if (order[i] == w) return static_cast<int>(i);
    return -1;
}

// Moves the focus to the next (or previous) gadget in creation order below
// `top` that is enabled, visible and a tab stop, wrapping around.
void move_focus(HWND top, bool forward) {
    const std::vector<HWND>& order = gadgets_in_creation_order();
    int count = static_cast<int>(order.size());
    if (count == 0) return;
    int at = focused_index(order);
    if (at < 0) at = forward ? -1 : count;
    for (int step = 1; step <= count; ++step) {
        int i = ((forward ? at + step : at - step) % count + count) % count;
        if (is_tab_stop(top, order[i])) {
            SetFocus(order[i]);
            return;
        }
    }
}

void translate_command(HWND window, WPARAM wparam, LPARAM lparam) {
    int id = LOWORD(wparam);
    int code = HIWORD(wparam);
    HWND control = reinterpret_cast<HWND>(lparam);
    if (!control) {  // accelerators (code 1); the programs have no menus
        if (code == 1 && id == COMMAND_TAB) move_focus(window, true);
        if (code == 1 && id == COMMAND_SHIFT_TAB) move_focus(window, false);
        return;
    }
    if (is_list_box(control)) {  // only selection (type 0) and double click (type 2)
        if (code == LBN_SELCHANGE) raise_event(EVENT_GADGET, id, 0);
        if (code == LBN_DBLCLK) raise_event(EVENT_GADGET, id, 2);
        return;
    }
    raise_event(EVENT_GADGET, id, code);
}

void dispatch(MSG& msg) {
    HWND active = GetActiveWindow();
    HACCEL accelerators = active ? window_accelerators(active) : nullptr;
    ++events.dispatching;
    if (!accelerators || !TranslateAcceleratorA(active, accelerators, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    --events.dispatching;
}

// The next event; the number of a message that raised none; 0 when `wait` is
// false and nothing is waiting.
int next_event(bool wait) {
    events.type = -1;
    for (;;) {
        if (!events.queue.empty()) return take_event();
        MSG msg;
        bool got = wait ? GetMessageA(&msg, nullptr, 0, 0) != -1
                        : PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != 0;
        if (!got) return events.queue.empty() ? 0 : take_event();
        if (!msg.hwnd && msg.message == WAKE_MESSAGE) continue;
        dispatch(msg);
        return events.queue.empty() ? static_cast<int>(msg.message) : take_event();
    }
}

}  // namespace

void raise_event(int code, int gadget, int type) {
    events.queue.push_back(Event{code, gadget, type});
    if (events.dispatching == 0) PostThreadMessageA(GetCurrentThreadId(), WAKE_MESSAGE, 0, 0);
}

void reset_events() { events = EventSource{}; }

LRESULT CALLBACK program_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND:
        translate_command(window, wparam, lparam);
        return 0;
    case WM_CLOSE:  // the program decides whether the window goes
        raise_event(EVENT_CLOSE_WINDOW, 0, -1);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

int wait_event() { return next_event(true); }

int poll_event() { return next_event(false); }

int event_gadget() { return events.gadget; }

int event_type() { return events.type; }
