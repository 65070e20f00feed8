// Windows, the event pump, Tab focus moves and the modal requesters, on real
// windows under Wine.  User actions are injected as the native messages they
// produce.
#include <algorithm>
#include <atomic>
#include <thread>

#include "tests/support/scratch.h"
#include "tests/unit/ui_fixture.h"

namespace {

using Windows = Ui;
using Events = Ui;
using Requesters = Ui;

SIZE client_size(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    return SIZE{r.right, r.bottom};
}

RECT outer_rect(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return r;
}

// Centre of the active window's rectangle less half the outer size.
POINT expected_centre(RECT around, RECT outer) {
    return POINT{around.left + (around.right - around.left) / 2 - (outer.right - outer.left) / 2,
                 around.top + (around.bottom - around.top) / 2 - (outer.bottom - outer.top) / 2};
}

TEST_F(Windows, OpenWindowSizesTheClientAreaAndCentres) {
    int screen_width = GetSystemMetrics(SM_CXSCREEN), screen_height = GetSystemMetrics(SM_CYSCREEN);

    // Borderless and parent-centred with no active window: centred on the screen.
    HWND splash = reinterpret_cast<HWND>(open_window(0, 0, 0, 300, 200, 0x80000002, "Splash"));
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(GetWindowLongA(splash, GWL_STYLE) & (WS_CAPTION | WS_POPUP), WS_POPUP);
    RECT r = outer_rect(splash);
    EXPECT_EQ(r.left, screen_width / 2 - 150);
    EXPECT_EQ(r.top, screen_height / 2 - 100);
    close_window(0);

    // Flags 0: a title bar without close box, at the given place.
    HWND plain = reinterpret_cast<HWND>(open_window(1, 10, 20, 300, 200, 0, "Plain"));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(window_handle(), plain);
    LONG style = GetWindowLongA(plain, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(style & WS_SYSMENU, 0);
    EXPECT_TRUE(IsWindowVisible(plain));
    EXPECT_EQ(client_size(plain).cx, 300);
    EXPECT_EQ(client_size(plain).cy, 200);
    EXPECT_EQ(outer_rect(plain).left, 10);

    // Screen-centred and hidden; a window wider than the screen starts at 0.
    HWND hidden = reinterpret_cast<HWND>(open_window(2, 0, 0, 301, 201, 0x10000001, "Hidden"));
    EXPECT_FALSE(IsWindowVisible(hidden));
    r = outer_rect(hidden);
    EXPECT_EQ(r.left, screen_width / 2 - (r.right - r.left) / 2);
    EXPECT_EQ(r.top, screen_height / 2 - (r.bottom - r.top) / 2);
    HWND wide = reinterpret_cast<HWND>(open_window(3, 0, 0, screen_width + 100, 50, 0x10000001, "Wide"));
    EXPECT_EQ(outer_rect(wide).left, screen_width / 2 - screen_width / 2);

    // Parent-centred on the thread's active window.
    HWND child = nullptr;
    ASSERT_TRUE(while_active(plain, [&] {
        child = reinterpret_cast<HWND>(open_window(4, 0, 0, 100, 50, 0x90000002, "Child"));
    }));
    POINT centre = expected_centre(outer_rect(plain), outer_rect(child));
    EXPECT_EQ(outer_rect(child).left, centre.x);
    EXPECT_EQ(outer_rect(child).top, centre.y);
}

TEST_F(Windows, SameNumberClosesTheFirstAndIdentifiersGetTheirOwnClass) {
    HWND first = reinterpret_cast<HWND>(open_window(4, 0, 0, 100, 100, 0, "First"));
    set_gadget_parent(first);
    ASSERT_NE(create_button(1, 0, 0, 50, 20, "B"), 0);
    HWND second = reinterpret_cast<HWND>(open_window(4, 0, 0, 100, 100, 0, "Second"));
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(IsWindow(second));
    EXPECT_EQ(gadget_handle(1), nullptr);  // went with its window
    EXPECT_EQ(class_of(second), "WindowClass_4");

    intptr_t id = open_window(-1, 0, 0, 100, 100, 0, "Allocated");
    ASSERT_NE(id, 0);
    EXPECT_NE(id, 4);
    HWND allocated = window_handle();
    std::string class_name = "WindowClass_" + std::to_string(id);
    EXPECT_EQ(class_of(allocated), class_name);

    close_window(static_cast<int>(id));
    EXPECT_FALSE(IsWindow(allocated));
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    EXPECT_FALSE(GetClassInfoExA(GetModuleHandleA(nullptr), class_name.c_str(), &wc));
}

// The installer's and uninstaller's sequence: tool style, then a second
// resize that puts back what the smaller caption changed.
TEST_F(Windows, ResizeAndToolWindowKeepTheOuterSize) {
    HWND window = reinterpret_cast<HWND>(open_window(0, 30, 40, 310, 405, 0xC00000, "Wizard"));
    resize_window(350, 250);
    EXPECT_EQ(client_size(window).cx, 350);
    EXPECT_EQ(client_size(window).cy, 250);
    EXPECT_EQ(outer_rect(window).left, 30);
    EXPECT_EQ(window_height(), 250);

    RECT before = outer_rect(window);
    set_tool_window(window, 1);
    RECT after = outer_rect(window);
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_EQ(window_height(), 250 + GetSystemMetrics(SM_CYCAPTION) - GetSystemMetrics(SM_CYSMCAPTION));
    EXPECT_EQ(window_height(), client_size(window).cy);

    resize_window(350, 500 - window_height());
    EXPECT_EQ(client_size(window).cy, 250);

    set_tool_window(window, 0);
    EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    ShowWindow(window, SW_HIDE);
    set_tool_window(window, 1);
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(Events, CloseRequestRaisesTheEventAndKeepsTheWindow) {
    HWND window = open_program_window();
    PostMessageA(window, WM_CLOSE, 0, 0);
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    std::vector<Delivered> events = drain_events();
    EXPECT_EQ(events, (std::vector<Delivered>{{EVENT_CLOSE_WINDOW, 0, -1}, {EVENT_CLOSE_WINDOW, 0, -1}}));
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(Events, PollOnAnEmptyQueueReturnsZeroAtOnce) {
    open_program_window();
    drain_events();
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(poll_event(), 0);
    EXPECT_LT(GetTickCount64() - start, 100u);
}

// A posted click is handled inside the pump's dispatch; a click sent from the
// same thread (as the program's own calls do) raises its event outside it.
TEST_F(Events, ButtonClicksRaiseGadgetEventsWithTheirNumberOrIdentifier) {
    open_program_window();
    HWND button = reinterpret_cast<HWND>(create_button(5, 10, 10, 80, 24, "Five"));
    intptr_t id = create_button(-1, 10, 40, 80, 24, "Allocated");
    ASSERT_NE(id, 0);

    PostMessageA(button, BM_CLICK, 0, 0);
    EXPECT_EQ(drain_events(), (std::vector<Delivered>{{EVENT_GADGET, 5, BN_CLICKED}}));
    EXPECT_EQ(event_gadget(), 5);

    SendMessageA(gadget_handle(static_cast<int>(id)), BM_CLICK, 0, 0);
    EXPECT_EQ(gadgets_of(drain_events()), std::vector<int>{static_cast<int>(id)});
    EXPECT_EQ(event_gadget(), id);
}

// A click sent by another thread (or process) reaches the window procedure
// inside GetMessage; wait_event must still return its event at once.  Under
// Wine the click also queues a mouse move that would end the wait anyway, so
// a bare notification sent by another thread checks the wake-up itself.
TEST_F(Events, ClicksSentFromAnotherThreadWakeWaitEvent) {
    HWND window = open_program_window();
    HWND seven = reinterpret_cast<HWND>(create_button(7, 10, 10, 80, 24, "Seven"));
    HWND eight = reinterpret_cast<HWND>(create_button(8, 10, 40, 80, 24, "Eight"));
    drain_events();
    std::atomic<bool> nudged{false}, done{false};
    std::thread clicker([&] {
        Sleep(100);
        SendMessageA(seven, BM_CLICK, 0, 0);
        Sleep(300);
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(8, BN_CLICKED), reinterpret_cast<LPARAM>(eight));
        for (int i = 0; i < 150 && !done; ++i) Sleep(10);
        if (done) return;
        nudged = true;  // ends a wait_event that nothing else ended
        PostMessageA(window, WM_APP + 1, 0, 0);
    });
    std::vector<int> gadgets;
    bool late = false;
    for (int i = 0; i < 1000 && gadgets.size() < 2 && !late; ++i) {
        int code = wait_event();
        if (code == EVENT_GADGET) gadgets.push_back(event_gadget());
        late = nudged;
    }
    done = true;
    clicker.join();
    EXPECT_EQ(gadgets, (std::vector<int>{7, 8}));
    EXPECT_FALSE(late);
}

// The installer drains what building its window raised with poll_event.
TEST_F(Events, NotificationsOfTheProgramsOwnCallsAreDrained) {
    open_program_window();
    create_edit(21, 10, 10, 200, 20, "");
    drain_events();
    set_text(21, "C:\\Program files\\Demo");
    std::vector<Delivered> events = drain_events();
    EXPECT_FALSE(events.empty());
    EXPECT_EQ(gadgets_of(events), std::vector<int>(events.size(), 21));
    EXPECT_TRUE(std::any_of(events.begin(), events.end(),
                            [](const Delivered& e) { return e.type == EN_CHANGE; }));
    EXPECT_EQ(poll_event(), 0);
}

// What a user and other programs do to a window while a long run services
// its messages: the input goes, and so does every event it would raise, a
// close request included.  Outside the servicing the same requests raise
// their events again.
TEST_F(Events, ServicingDropsInputAndTheEventsItWouldRaise) {
    HWND window = open_program_window();
    HWND button = reinterpret_cast<HWND>(create_button(5, 10, 10, 80, 24, "Five"));
    HWND edit = reinterpret_cast<HWND>(create_edit(6, 10, 40, 200, 20, ""));
    drain_events();
    PostMessageA(window, WM_CLOSE, 0, 0);              // the taskbar's close request
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4 or the close box
    PostMessageA(button, BM_CLICK, 0, 0);              // a click posted by another program
    click_at(button, 5, 5);
    PostMessageA(edit, WM_KEYDOWN, 'X', 0x002D0001);
    PostMessageA(edit, WM_CHAR, 'x', 0x002D0001);
    PostMessageA(edit, WM_KEYUP, 'X', 0xC02D0001);
    service_messages();
    EXPECT_EQ(drain_events(), std::vector<Delivered>{});
    EXPECT_EQ(get_text(6), "");
    EXPECT_TRUE(IsWindow(window));

    PostMessageA(window, WM_CLOSE, 0, 0);
    PostMessageA(button, BM_CLICK, 0, 0);
    EXPECT_EQ(drain_events(), (std::vector<Delivered>{{EVENT_CLOSE_WINDOW, 0, -1}, {EVENT_GADGET, 5, BN_CLICKED}}));
}

int timer_ticks = 0;
void CALLBACK count_tick(HWND, UINT, UINT_PTR, DWORD) { ++timer_ticks; }

// The system's own messages are serviced: painting, timers, and messages
// other threads send, which are answered while the run goes on.  A click
// or close request sent that way raises nothing.
TEST_F(Events, ServicingPaintsRunsTimersAndAnswersOtherThreads) {
    HWND window = open_program_window();
    HWND button = reinterpret_cast<HWND>(create_button(5, 10, 10, 80, 24, "Five"));
    drain_events();
    timer_ticks = 0;
    SetTimer(window, 1, 10, count_tick);
    InvalidateRect(window, nullptr, TRUE);
    Sleep(30);
    service_messages();
    KillTimer(window, 1);
    EXPECT_GE(timer_ticks, 1);
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));

    std::atomic<int> answered{0};
    std::atomic<bool> done{false};
    std::thread other([&] {
        DWORD_PTR ignored;
        for (int i = 0; i < 3; ++i)
            if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored)) ++answered;
        SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, 1000, &ignored);
        SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_NORMAL, 1000, &ignored);
        done = true;
    });
    // A run that calls once per item, an item taking a few milliseconds.
    for (ULONGLONG start = GetTickCount64(); !done && GetTickCount64() - start < 10000;) {
        service_messages();
        Sleep(5);
    }
    other.join();
    EXPECT_EQ(answered, 3);
    EXPECT_EQ(drain_events(), std::vector<Delivered>{});
}

// A pause of the run (the uninstaller's before its closing message) lasts
// its time and answers meanwhile; what the user sends then starts nothing.
TEST_F(Events, APauseServicesMessagesForItsWholeTime) {
    HWND window = open_program_window();
    drain_events();
    std::atomic<int> answered{0};
    std::thread other([&] {
        DWORD_PTR ignored;
        for (int i = 0; i < 4; ++i) {
            Sleep(40);
            if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored)) ++answered;
        }
        SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_NORMAL, 1000, &ignored);
    });
    ULONGLONG start = GetTickCount64();
    pause_servicing_messages(400);
    ULONGLONG paused = GetTickCount64() - start;
    other.join();
    EXPECT_GE(paused, 400u);
    EXPECT_LT(paused, 1000u);
    EXPECT_EQ(answered, 4);
    EXPECT_EQ(drain_events(), std::vector<Delivered>{});
}

// An event the program raises itself between two servicings (set_text on
// an edit field) stays queued, though the servicing took the message that
// would wake a waiting pump: wait_event returns it at once.  The message
// posted after it ends the wait otherwise.
TEST_F(Events, TheProgramsOwnEventsSurviveTheServicing) {
    open_program_window();
    create_edit(21, 10, 10, 200, 20, "");
    drain_events();
    set_text(21, "C:\\Program files\\Demo");
    service_messages();
    PostThreadMessageA(GetCurrentThreadId(), WM_APP + 1, 0, 0);
    EXPECT_EQ(wait_event(), EVENT_GADGET);
    EXPECT_EQ(event_gadget(), 21);
    drain_events();
}

// Called once per file, the servicing looks at the queue only when 50 ms
// have passed since it last did.
TEST_F(Events, ServicingLooksAtTheQueueAtMostEvery50Ms) {
    HWND window = open_program_window();
    MSG msg;
    service_messages();
    PostMessageA(window, WM_APP + 2, 0, 0);
    service_messages();
    EXPECT_TRUE(PeekMessageA(&msg, window, WM_APP + 2, WM_APP + 2, PM_NOREMOVE));
    Sleep(100);
    service_messages();
    EXPECT_FALSE(PeekMessageA(&msg, window, WM_APP + 2, WM_APP + 2, PM_NOREMOVE));
}

// A Tab (or Shift+Tab) key press on the focused control.  The shift state
// is the thread's keyboard state, which the accelerator translation reads.
void press_tab_key(bool shift) {
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE before = keys[VK_SHIFT];
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageA(GetFocus(), WM_KEYUP, VK_TAB, 0xC00F0001);
    drain_events();
    keys[VK_SHIFT] = before;
    SetKeyboardState(keys);
}

// The focus after a Tab (or Shift+Tab) pressed on `from` in `window`.
HWND focus_after_tab(HWND window, HWND from, bool shift) {
    HWND focus = nullptr;
    while_active(window, [&] {
        SetFocus(from);
        press_tab_key(shift);
        focus = GetFocus();
    });
    return focus;
}

TEST_F(Events, TabMovesTheFocusInCreationOrder) {
    HWND window = open_program_window();
    HWND first = reinterpret_cast<HWND>(create_button(1, 10, 10, 80, 24, "1"));
    create_button(2, 10, 40, 80, 24, "2");
    disable_gadget(2, 1);
    create_text(3, 10, 70, 80, 20, "no tab stop");
    HWND edit = reinterpret_cast<HWND>(create_edit(4, 10, 100, 80, 20, ""));
    HWND tab = reinterpret_cast<HWND>(create_panel(5, 100, 10, 250, 200));
    add_item(5, -1, "Page");
    HWND on_page = reinterpret_cast<HWND>(create_check_box(6, 10, 10, 100, 20, "deep"));
    close_gadget_list();
    HWND hidden = reinterpret_cast<HWND>(create_button(7, 10, 130, 80, 24, "7"));
    ShowWindow(hidden, SW_HIDE);

    std::vector<HWND> forward{first};
    for (int i = 0; i < 4; ++i) forward.push_back(focus_after_tab(window, forward.back(), false));
    EXPECT_EQ(forward, (std::vector<HWND>{first, edit, tab, on_page, first}));
    EXPECT_EQ(focus_after_tab(window, edit, true), first);
    EXPECT_EQ(focus_after_tab(window, first, true), on_page);
}

struct BoxSeen {
    bool found = false;
    std::string text;
    std::string selection;  // the folder browser's edit box when answered
    std::vector<bool> enabled;
};

struct DialogSearch {
    const char* title;  // nullptr: any
    HWND found = nullptr;
};

// A visible dialog of this process (other test processes may show theirs).
HWND find_dialog(const char* title) {
    DialogSearch search{title};
    EnumWindows(
        [](HWND w, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<DialogSearch*>(data);
            DWORD process = 0;
            GetWindowThreadProcessId(w, &process);
            char text[256] = "";
            GetWindowTextA(w, text, sizeof text);
            if (process != GetCurrentProcessId() || class_of(w) != "#32770" || !IsWindowVisible(w) ||
                (s->title && std::string(text) != s->title))
                return TRUE;
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The text of the dialog's edit box (the folder browser names its
// selection there), "" when it has none.
std::string edit_text(HWND dialog) {
    HWND edit = FindWindowExA(dialog, nullptr, "Edit", nullptr);
    char text[MAX_PATH] = "";
    if (edit) GetWindowTextA(edit, text, sizeof text);
    return text;
}

// Waits for a dialog of this process titled `title` (and, when `selection`
// is not empty, for its edit box to name it), notes what the test wants to
// know while it is open, and presses its button `button`.
std::thread answer_dialog(const char* title, int button, const std::vector<HWND>& windows, BoxSeen& seen,
                          std::string selection = "") {
    return std::thread([=, &seen] {
        HWND box = nullptr;
        for (int i = 0; i < 500 && !box; ++i) {
            Sleep(10);
            box = find_dialog(title);
        }
        if (!box) return;
        // The folder browser fills its tree while it starts: wait until the
        // selection has been named for a while.
        for (int i = 0, steady = 0; i < 500 && steady < 20; ++i) {
            steady = edit_text(box).find(selection) == std::string::npos ? 0 : steady + 1;
            Sleep(10);
        }
        seen.selection = edit_text(box);
        seen.found = true;
        char text[256] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        seen.text = text;
        for (HWND w : windows) seen.enabled.push_back(IsWindowEnabled(w) != FALSE);
        SendMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0);
    });
}

TEST_F(Requesters, MessageBoxDisablesTheProgramsWindowsWhileOpen) {
    HWND a = open_program_window(0);
    HWND b = reinterpret_cast<HWND>(open_window(1, 50, 50, 100, 100, 0, "B"));
    HWND hidden = reinterpret_cast<HWND>(open_window(2, 50, 50, 100, 100, WINDOW_INVISIBLE, "Hidden"));
    HWND off = reinterpret_cast<HWND>(open_window(3, 50, 50, 100, 100, 0, "Off"));
    EnableWindow(off, FALSE);
    SetForegroundWindow(a);

    BoxSeen seen;
    std::thread answer = answer_dialog("Attention", IDOK, {a, b, hidden, off}, seen);
    int pressed = message_box("Attention", "Cochez la case", 0x30);
    answer.join();

    ASSERT_TRUE(seen.found);
    EXPECT_EQ(pressed, IDOK);
    EXPECT_EQ(seen.text, "Cochez la case");
    EXPECT_EQ(seen.enabled, (std::vector<bool>{false, false, true, false}));
    EXPECT_TRUE(IsWindowEnabled(a));
    EXPECT_TRUE(IsWindowEnabled(b));
    EXPECT_TRUE(IsWindowEnabled(hidden));
    EXPECT_FALSE(IsWindowEnabled(off));  // was disabled before: stays so
}

bool under_wine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

// Wine's folder browser fills its tree slowly when a drive answers slowly,
// and now and then moves the selection back to the user's folder while it
// does; Windows keeps the pre-selection.  A choice is tried again until the
// folder browser shows the expected selection.
std::string choose_until_shown(const std::string& initial, const std::string& shown, int button,
                               const std::vector<HWND>& windows, BoxSeen& seen) {
    std::string chosen;
    int attempts = under_wine() ? 3 : 1;  // only Wine resets the selection
    for (int attempt = 0; attempt < attempts; ++attempt) {
        seen = BoxSeen{};
        std::thread answer = answer_dialog(nullptr, button, windows, seen, shown);
        chosen = choose_folder("Dossier", initial);
        answer.join();
        if (!seen.found || seen.selection.find(shown) != std::string::npos) break;
    }
    return chosen;
}

TEST_F(Requesters, ChooseFolderPreselectsAndEndsWithBackslash) {
    HWND window = open_program_window();
    ScratchFolder dir;
    std::string folder = dir.path() + "Choisi";
    make_folder(folder);

    BoxSeen seen;
    std::string chosen = choose_until_shown(folder + "\\", "Choisi", IDOK, {window}, seen);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.enabled, std::vector<bool>{false});
    EXPECT_EQ(chosen, folder + "\\") << "edit box: " << seen.selection;
    EXPECT_TRUE(IsWindowEnabled(window));

    BoxSeen root;
    EXPECT_EQ(choose_until_shown("C:\\", "(C:)", IDOK, {}, root), "C:\\");
    EXPECT_TRUE(root.found);

    BoxSeen cancelled;
    EXPECT_EQ(choose_until_shown(folder, "Choisi", IDCANCEL, {}, cancelled), "");
    EXPECT_TRUE(cancelled.found);
}

}  // namespace
