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
//
// The keyboard: Tab and Shift+Tab come through each window's accelerator
// table.  The pump gives the other keys of a window of controls their usual
// meaning before the controls see them: Enter and Escape press the buttons
// that the window or its shown page names for them, the arrow keys move
// between the options of a group, and the keys that scroll a page scroll
// the web view shown (its control takes no focus of its own).  The focus
// goes to the first tab stop when a window has none, and comes back to the
// control that had it when the window is activated again.
//
// During a long run (a copy, a removal, a wait for a started program) the
// program services its messages without taking events: the system, and
// other programs that send to its windows, see it answer, while the user
// can start nothing.  That servicing drops the user's input and every event
// raised while it dispatches; events the program raises itself between two
// servicings are queued as always.
#include "runtime/window.h"

#include <commctrl.h>

#include <algorithm>
#include <deque>

#include "runtime/gadget_internal.h"
#include "runtime/window_internal.h"

namespace {

constexpr UINT WAKE_MESSAGE = WM_APP + 0x3A5;
// Often enough for the system (it takes a window that answers nothing for
// 5 seconds as hung) and for a repaint to look prompt; rare enough that a
// run calling once per file hardly pays for it.
constexpr ULONGLONG SERVICE_INTERVAL_MS = 50;
// Messages taken in one servicing at most: a window that never validates
// what it was asked to paint would otherwise get WM_PAINT for ever.
constexpr int SERVICE_MESSAGE_LIMIT = 1000;
// Where a window keeps the control that had the focus when it was left.
constexpr wchar_t LAST_FOCUS_PROPERTY[] = L"KitLastFocus";

struct Event {
    int code;
    int gadget;
    int type;
};

struct EventSource {
    std::deque<Event> queue;
    int dispatching = 0;         // >0 while the pump dispatches a message it took
    int servicing = 0;           // >0 while a long run services messages: no event is raised
    ULONGLONG last_service = 0;  // when the last servicing ended
    int gadget = 0;              // gadget of the last EVENT_GADGET
    int type = -1;               // notification type of the last event, -1 for none
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
    wchar_t name[16];
    return GetClassNameW(control, name, 16) > 0 && lstrcmpiW(name, L"ListBox") == 0;
}

bool is_tab_stop(HWND top, HWND control) {
    return IsWindow(control) && IsChild(top, control) && IsWindowEnabled(control) &&
           IsWindowVisible(control) && (GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP);
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

// Where the focus can rest: a control that is shown and enabled, below a
// window of the program.
bool can_hold_focus(HWND top, HWND control) {
    return control && IsChild(top, control) && IsWindowVisible(control) && IsWindowEnabled(control);
}

bool is_class(HWND window, const wchar_t* class_name) {
    wchar_t name[32];
    return window && GetClassNameW(window, name, 32) > 0 && lstrcmpiW(name, class_name) == 0;
}

// The button a key presses in `top`: the one named by the shown page
// deepest below it, else by the window itself; nullptr for none.
struct KeyButtonSearch {
    const wchar_t* property;
    HWND button;
};

BOOL CALLBACK find_key_button(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<KeyButtonSearch*>(data);
    if (HANDLE button = GetPropW(child, search->property); button && IsWindowVisible(child))
        search->button = static_cast<HWND>(button);
    return TRUE;
}

HWND key_button(HWND top, const wchar_t* property) {
    KeyButtonSearch search{property, nullptr};
    EnumChildWindows(top, find_key_button, reinterpret_cast<LPARAM>(&search));
    return search.button ? search.button : static_cast<HWND>(GetPropW(top, property));
}

// As the dialogs of the system press their default button: the click's
// notification, without moving the focus.
bool press_button(HWND top, HWND button) {
    if (!can_hold_focus(top, button)) return false;
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    return true;
}

// The next (or previous) option of the group, wrapping around, takes the
// focus and is ticked, as a click would tick it.
void move_between_options(HWND top, HWND option, bool forward) {
    std::vector<HWND> group = option_group(option);
    int count = static_cast<int>(group.size());
    int at = static_cast<int>(std::find(group.begin(), group.end(), option) - group.begin());
    for (int step = 1; step < count; ++step) {
        HWND next = group[((forward ? at + step : at - step) % count + count) % count];
        if (!can_hold_focus(top, next)) continue;
        SetFocus(next);
        if (SendMessageW(next, BM_GETCHECK, 0, 0) != BST_CHECKED) SendMessageW(next, BM_CLICK, 0, 0);
        return;
    }
}

// From the keyboard, the focus is drawn from here on (a window opened with
// the mouse hides it until then, as the system's dialogs do).
void show_focus(HWND top) { SendMessageW(top, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0); }

// True when the key was taken.  Held keys repeat arrows and pages, but
// press a button only once.
bool take_key(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    HWND top = GetActiveWindow();
    if (!top || !window_accelerators(top) || !IsWindowEnabled(top)) return false;
    HWND focus = GetFocus();
    bool repeated = (msg.lParam & (1 << 30)) != 0;
    UINT key = static_cast<UINT>(msg.wParam);
    switch (key) {
    case VK_TAB:
        show_focus(top);
        return false;  // the accelerators move the focus
    case VK_RETURN:
    case VK_ESCAPE: {
        // An open drop-down list takes these keys itself.
        if (is_class(focus, L"ComboBox") && SendMessageW(focus, CB_GETDROPPEDSTATE, 0, 0)) return false;
        if (repeated) return true;
        bool enter = key == VK_RETURN;
        if (HWND button = key_button(top, enter ? ENTER_BUTTON_PROPERTY : ESCAPE_BUTTON_PROPERTY))
            return press_button(top, button);
        if (!enter && (GetWindowLongW(top, GWL_STYLE) & WS_SYSMENU)) {
            SendMessageW(top, WM_CLOSE, 0, 0);
            return true;
        }
        return false;
    }
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        if (can_hold_focus(top, focus) && is_option(focus)) {
            show_focus(top);
            move_between_options(top, focus, key == VK_RIGHT || key == VK_DOWN);
            return true;
        }
        [[fallthrough]];
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
        // Left and right stay with a tab control: they change its page.
        if (key == VK_LEFT || key == VK_RIGHT) return false;
        if (focus && focus != top && !is_class(focus, WC_TABCONTROLW)) return false;
        return scroll_shown_web_view(top, key);
    }
    return false;
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
    if (!take_key(msg) && (!accelerators || !TranslateAcceleratorW(active, accelerators, &msg))) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    --events.dispatching;
}

// A window of the program that is active with the focus on nothing, or on
// itself (it was just opened, or the control that had the focus went),
// gives it to its first tab stop.
void settle_focus() {
    HWND top = GetActiveWindow();
    if (!top || !window_accelerators(top)) return;
    HWND focus = GetFocus();
    if (!focus || focus == top) focus_first_tab_stop(top);
}

// What the user does with keys, mouse, touch or pen, and the system-menu
// commands that such input posts (Alt+F4, a click on the close box).  Touch
// and pen come as WM_TOUCH and WM_GESTURE, and from Windows 8 as the
// pointer messages after WM_TOUCH, up to WM_POINTERHWHEEL, which the
// Windows 7 headers the layer is built with do not name.
constexpr UINT POINTER_INPUT_LAST = 0x024F;

bool is_user_input(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) ||
           (message >= WM_NCMOUSEHOVER && message <= WM_MOUSELEAVE) ||
           (message >= WM_TOUCH && message <= POINTER_INPUT_LAST) || message == WM_GESTURE ||
           message == WM_SYSCOMMAND;
}

// Takes every message waiting for the thread; the user's input is dropped,
// the rest dispatched (messages sent by other threads and processes are
// delivered inside PeekMessage).  A wake message is dropped too: the event
// it stands for is already in the queue, where the pump looks before it
// waits.  Returns false when a WM_QUIT came: it is put back for the pump,
// and the servicing stops there.
bool service_waiting_messages() {
    ++events.servicing;
    bool quit = false;
    MSG msg;
    for (int taken = 0; taken < SERVICE_MESSAGE_LIMIT && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++taken) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            quit = true;
            break;
        }
        if (is_user_input(msg.message) || (!msg.hwnd && msg.message == WAKE_MESSAGE)) continue;
        DispatchMessageW(&msg);
    }
    --events.servicing;
    events.last_service = GetTickCount64();
    return !quit;
}

// The next event; the number of a message that raised none; 0 when `wait` is
// false and nothing is waiting.
int next_event(bool wait) {
    events.type = -1;
    settle_focus();
    for (;;) {
        if (!events.queue.empty()) return take_event();
        MSG msg;
        bool got = wait ? GetMessageW(&msg, nullptr, 0, 0) != -1
                        : PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != 0;
        if (!got) return events.queue.empty() ? 0 : take_event();
        if (!msg.hwnd && msg.message == WAKE_MESSAGE) continue;
        dispatch(msg);
        return events.queue.empty() ? static_cast<int>(msg.message) : take_event();
    }
}

}  // namespace

void raise_event(int code, int gadget, int type) {
    if (events.servicing > 0) return;  // a close request or a click during a long run
    events.queue.push_back(Event{code, gadget, type});
    if (events.dispatching == 0) PostThreadMessageW(GetCurrentThreadId(), WAKE_MESSAGE, 0, 0);
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
    case WM_ACTIVATE:
        if (LOWORD(wparam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(window, focus)) {
                SetPropW(window, LAST_FOCUS_PROPERTY, focus);
            } else {
                RemovePropW(window, LAST_FOCUS_PROPERTY);
            }
        } else if (HWND last = static_cast<HWND>(GetPropW(window, LAST_FOCUS_PROPERTY));
                   !HIWORD(wparam) && can_hold_focus(window, last)) {
            SetFocus(last);
            return 0;
        }
        break;
    case WM_DPICHANGED:  // moved to a screen of another scale
        rescale_window(window, LOWORD(wparam), reinterpret_cast<const RECT*>(lparam));
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

bool focus_first_tab_stop(HWND container) {
    HWND top = GetAncestor(container, GA_ROOT);
    for (HWND control : gadgets_in_creation_order()) {
        if (!IsChild(container, control) || !is_tab_stop(top, control)) continue;
        if (is_option(control) && SendMessageW(control, BM_GETCHECK, 0, 0) != BST_CHECKED)
            for (HWND other : option_group(control))
                if (is_tab_stop(top, other) && SendMessageW(other, BM_GETCHECK, 0, 0) == BST_CHECKED) control = other;
        SetFocus(control);
        return true;
    }
    return false;
}

// A tick read on each call; the queue is looked at once SERVICE_INTERVAL_MS
// have passed since the last servicing ended.
void service_messages() {
    if (GetTickCount64() - events.last_service < SERVICE_INTERVAL_MS) return;
    service_waiting_messages();
}

// MWMO_INPUTAVAILABLE: a message that arrived before the wait but is not yet
// taken ends the wait too, not only one that arrives during it.  Returns
// when the object is signalled or cannot be waited for.  A WM_QUIT left
// for the pump would end every wait at once: the rest is waited for plainly.
void wait_servicing_messages(HANDLE object) {
    for (;;) {
        DWORD woken = MsgWaitForMultipleObjectsEx(1, &object, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken != WAIT_OBJECT_0 + 1) return;
        if (!service_waiting_messages()) {
            WaitForSingleObject(object, INFINITE);
            return;
        }
    }
}

// The same wait with nothing to wait for but the time.
void pause_servicing_messages(int milliseconds) {
    if (milliseconds <= 0) return;
    ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        DWORD woken = MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT,
                                                  MWMO_INPUTAVAILABLE);
        if (woken != WAIT_OBJECT_0) continue;  // the time is up
        if (!service_waiting_messages()) {
            Sleep(static_cast<DWORD>(end - std::min(end, GetTickCount64())));
            return;
        }
    }
}

int wait_event() { return next_event(true); }

int poll_event() { return next_event(false); }

int event_gadget() { return events.gadget; }

int event_type() { return events.type; }
