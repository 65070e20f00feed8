// Numbered top-level windows.  Each window gets its own class, cloned from
// "TemplateClass", and a keyboard accelerator table for Tab and Shift+Tab,
// which the event pump translates into focus moves.  Sizes are given at
// 96 dpi; each window keeps its client size so given, and its scale.
#include "runtime/window.h"

#include <commctrl.h>

#include <algorithm>

#include "runtime/display_scale.h"
#include "runtime/gadget_internal.h"
#include "runtime/window_internal.h"
#include "runtime/numbered_table.h"
#include "runtime/unicode.h"

namespace {

constexpr wchar_t TEMPLATE_CLASS[] = L"TemplateClass";

struct WindowRecord {
    HWND window = nullptr;
    HACCEL accelerators = nullptr;
    std::wstring class_name;
    SIZE client{0, 0};     // the client size asked for, at 96 dpi
    int dpi = DESIGN_DPI;  // the scale the window is laid out for
};

struct WindowLibrary {
    NumberedTable<WindowRecord> windows{10, 10, 0x10000, 0x7FFFFFFE};
    int current = -1;  // the window opened last
};

WindowLibrary lib;

HINSTANCE program_instance() { return GetModuleHandleW(nullptr); }

// Button-face background, arrow cursor and the program's icon resource 1.
void register_template_class() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = program_window_proc;
    wc.hInstance = program_instance();
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = TEMPLATE_CLASS;
    RegisterClassExW(&wc);
}

bool register_window_class(const std::wstring& name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(program_instance(), TEMPLATE_CLASS, &wc)) return false;
    wc.lpszClassName = name.c_str();
    return RegisterClassExW(&wc) != 0;
}

HACCEL create_tab_accelerators() {
    ACCEL keys[2] = {{FVIRTKEY, VK_TAB, COMMAND_TAB}, {FVIRTKEY | FSHIFT, VK_TAB, COMMAND_SHIFT_TAB}};
    return CreateAcceleratorTableW(keys, 2);
}

static_assert(NATIVE_VISIBLE == WS_VISIBLE && NATIVE_CAPTION == WS_CAPTION);
static_assert(WINDOW_INVISIBLE == WS_VISIBLE && WINDOW_BORDERLESS == WS_POPUP);

// Each half is taken separately, so an odd screen and an odd window both
// round down: x = screen / 2 - min(outer, screen) / 2.
int screen_centred(int screen, int outer) { return screen / 2 - std::min(outer, screen) / 2; }

void place_window(uint32_t flags, int outer_width, int outer_height, int& x, int& y) {
    HWND active = (flags & WINDOW_PARENT_CENTERED) ? GetActiveWindow() : nullptr;
    RECT around;
    if (active && GetWindowRect(active, &around)) {
        x = std::max(0L, around.left + (around.right - around.left) / 2 - outer_width / 2);
        y = std::max(0L, around.top + (around.bottom - around.top) / 2 - outer_height / 2);
    } else if (flags & (WINDOW_SCREEN_CENTERED | WINDOW_PARENT_CENTERED)) {
        x = screen_centred(GetSystemMetrics(SM_CXSCREEN), outer_width);
        y = screen_centred(GetSystemMetrics(SM_CYSCREEN), outer_height);
    }
}

// Outer size for the window's client size at its scale, from the style
// alone: the extended style (a tool window's smaller caption) is
// deliberately not taken into account.
SIZE outer_size(HWND window, DWORD style, const WindowRecord& w) {
    SIZE client{scaled(w.client.cx, w.dpi), scaled(w.client.cy, w.dpi)};
    return frame_size(style, window && GetMenu(window) != nullptr, client, w.dpi);
}

WindowRecord* record_of(HWND window) {
    WindowRecord* found = nullptr;
    lib.windows.for_each([&](int, WindowRecord& w) {
        if (w.window == window) found = &w;
    });
    return found;
}

void drop_window(int id) {
    WindowRecord* w = lib.windows.find(id);
    if (w && !w->class_name.empty()) UnregisterClassW(w->class_name.c_str(), program_instance());
    lib.windows.remove(id);
}

}  // namespace

void init_windows() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    lib = WindowLibrary{};
    register_template_class();
    init_gadgets();
    reset_events();
}

void release_windows() {
    release_gadgets();
    std::vector<int> numbers;
    lib.windows.for_each([&](int n, WindowRecord&) { numbers.push_back(n); });
    for (int n : numbers) close_window(n);
    UnregisterClassW(TEMPLATE_CLASS, program_instance());
    reset_events();
    lib = WindowLibrary{};
}

intptr_t open_window(int number, int x, int y, int width, int height, uint32_t flags,
                     const std::string& title) {
    if (number >= 0) close_window(number);
    int id = lib.windows.store(number, WindowRecord{});
    if (id < 0) return 0;
    // The number in decimal; std::to_wstring would bring the wide printf.
    std::wstring class_name = wide("WindowClass_" + std::to_string(id));
    if (!register_window_class(class_name)) {
        drop_window(id);
        return 0;
    }
    WindowRecord* w = lib.windows.find(id);
    w->class_name = class_name;
    w->client = SIZE{width, height};
    w->dpi = system_dpi();
    DWORD style = window_style(flags);
    SIZE outer = outer_size(nullptr, style, *w);
    place_window(flags, outer.cx, outer.cy, x, y);
    HWND window = CreateWindowExW(0, class_name.c_str(), wide(title).c_str(), style, x, y, outer.cx,
                                  outer.cy, nullptr, nullptr, program_instance(), nullptr);
    if (!window) {
        drop_window(id);
        return 0;
    }
    w = lib.windows.find(id);
    w->window = window;
    w->accelerators = create_tab_accelerators();
    lib.current = id;
    // Focus marks show once the keyboard is used, unless it was the
    // keyboard that opened the window (the system's dialogs do the same).
    SendMessageW(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    // Placed on a screen of another scale than the system's: laid out
    // again for it, around the same centre.
    int dpi = dpi_of_window(window);
    if (dpi != w->dpi) {
        RECT r{x, y, x + outer.cx, y + outer.cy};
        rescale_window(window, dpi, &r);
    }
    return number == -1 ? id : reinterpret_cast<intptr_t>(window);
}

void close_window(int number) {
    WindowRecord* found = lib.windows.find(number);
    if (!found) return;
    WindowRecord w = *found;
    lib.windows.remove(number);
    HWND owner = GetWindow(w.window, GW_OWNER);
    if (owner) SetActiveWindow(owner);
    forget_gadgets_in(w.window);
    DestroyWindow(w.window);
    if (w.accelerators) DestroyAcceleratorTable(w.accelerators);
    UnregisterClassW(w.class_name.c_str(), program_instance());
}

HWND window_handle() {
    WindowRecord* w = lib.windows.find(lib.current);
    return w ? w->window : nullptr;
}

void resize_window(int width, int height) {
    WindowRecord* w = lib.windows.find(lib.current);
    if (!w || !w->window) return;
    w->client = SIZE{width, height};
    SIZE outer = outer_size(w->window, GetWindowLongW(w->window, GWL_STYLE), *w);
    SetWindowPos(w->window, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// At 96 dpi, like every size the programs give and take.
int window_height() {
    WindowRecord* w = lib.windows.find(lib.current);
    RECT client;
    if (!w || !w->window || !GetClientRect(w->window, &client)) return 0;
    int menu = GetMenu(w->window) ? GetSystemMetrics(SM_CYMENU) : 0;
    return unscaled(client.bottom + menu, w->dpi);
}

// The outer size and position stay; the client area grows by what the
// smaller tool caption frees (or shrinks again when the style is cleared).
void set_tool_window(HWND window, int on) {
    bool visible = IsWindowVisible(window);
    ShowWindow(window, SW_HIDE);
    LONG extended = GetWindowLongW(window, GWL_EXSTYLE);
    extended = on ? (extended | WS_EX_TOOLWINDOW) : (extended & ~WS_EX_TOOLWINDOW);
    SetWindowLongW(window, GWL_EXSTYLE, extended);
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (visible) ShowWindow(window, SW_SHOW);
}

HACCEL window_accelerators(HWND window) {
    HACCEL found = nullptr;
    lib.windows.for_each([&](int, WindowRecord& w) {
        if (w.window == window) found = w.accelerators;
    });
    return found;
}

int window_dpi(HWND window) {
    WindowRecord* w = record_of(GetAncestor(window, GA_ROOT));
    return w ? w->dpi : dpi_of_window(window);
}

// The outer size follows from the client size at the new scale; the place
// is the one Windows suggests, which keeps the window on the screen it was
// moved to.
void rescale_window(HWND window, int dpi, const RECT* suggested) {
    WindowRecord* w = record_of(window);
    if (!w || dpi <= 0) return;
    w->dpi = dpi;
    SIZE outer = outer_size(window, GetWindowLongW(window, GWL_STYLE), *w);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (suggested ? 0 : SWP_NOMOVE);
    SetWindowPos(window, nullptr, suggested ? suggested->left : 0, suggested ? suggested->top : 0, outer.cx, outer.cy,
                 flags);
    rescale_gadgets(window, dpi);
}
