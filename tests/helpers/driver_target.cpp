// A small window program with known controls, on which the end-to-end
// driver proves itself.  It does not use the kit's runtime: plain Win32.
//
//   driver_target.exe [hidden]
//
// On start it writes "started.txt" into its current folder: its parameters,
// CR LF, the current folder.  Its status text (id 108) names the last thing
// that reached it, so a test sees each click, notification and page switch.
// It ends with exit code 0 on a close request and 3 through its quit button.
// The control ids are repeated in tests/e2e/driver_test.cpp.
#include <windows.h>
#include <commctrl.h>

#include <string>

enum {
    ID_MESSAGE = 101,   // opens the message box
    ID_CHECK = 102,
    ID_EDIT = 103,
    ID_LIST = 104,
    ID_COMBO = 105,
    ID_PANEL = 106,     // container and tab control share it, as the kit's panels do
    ID_QUIT = 107,
    ID_STATUS = 108,
    ID_DISABLED = 109,
    ID_DEEP_ONE = 201,  // button in a holder window on page 1
    ID_DEEP_TWO = 202,  // button in a holder window on page 2
};

static const char* const MAIN_CLASS = "DriverTargetWindow";
static const char* const HELPER_CLASS = "DriverTargetHelper";
static const char* const RELAY_CLASS = "DriverTargetRelay";
static const int CLIENT_WIDTH = 400;
static const int CLIENT_HEIGHT = 330;

static HWND main_window;
static HWND tab_control;
static HWND pages[2];
static int exit_code;

static void set_status(const std::string& text) {
    SetDlgItemTextA(main_window, ID_STATUS, text.c_str());
}

static std::string window_text(HWND control) {
    std::string text(GetWindowTextLengthA(control) + 1, '\0');
    text.resize(GetWindowTextA(control, text.data(), static_cast<int>(text.size())));
    return text;
}

static void write_start_note(const char* parameters) {
    std::string folder(GetCurrentDirectoryA(0, nullptr), '\0');
    folder.resize(GetCurrentDirectoryA(static_cast<DWORD>(folder.size()), folder.data()));
    std::string note = std::string(parameters) + "\r\n" + folder;
    HANDLE file = CreateFileA("started.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(file, note.data(), static_cast<DWORD>(note.size()), &written, nullptr);
    CloseHandle(file);
}

static HWND child(const char* window_class, const char* text, DWORD style, int x, int y, int w,
                  int h, HWND parent, int id) {
    return CreateWindowExA(0, window_class, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

static void show_page(int index) {
    for (int i = 0; i < 2; ++i) ShowWindow(pages[i], i == index ? SW_SHOW : SW_HIDE);
}

// Pages and holders are children of the tab control: their buttons' commands
// reach the main window through relay windows, like the kit's panel pages.
static LRESULT CALLBACK relay_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND || message == WM_NOTIFY)
        return SendMessageA(GetAncestor(window, GA_ROOT), message, wparam, lparam);
    return DefWindowProcA(window, message, wparam, lparam);
}

static void build_panel() {
    HWND container = child(RELAY_CLASS, "", 0, 10, 190, 380, 130, main_window, ID_PANEL);
    tab_control = child(WC_TABCONTROLA, "", WS_CLIPSIBLINGS, 0, 0, 380, 130, container, ID_PANEL);
    const char* const captions[2] = {"Page un", "Page deux"};
    const char* const buttons[2] = {"Deep one", "Deep two"};
    RECT page = {0, 0, 380, 130};
    for (int i = 0; i < 2; ++i) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(captions[i]);
        SendMessageA(tab_control, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageA(tab_control, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    for (int i = 0; i < 2; ++i) {
        pages[i] = child(RELAY_CLASS, "", 0, page.left, page.top, page.right - page.left,
                         page.bottom - page.top, tab_control, 0);
        HWND holder = child(RELAY_CLASS, "", 0, 5, 5, 200, 40, pages[i], 0);
        child("BUTTON", buttons[i], BS_PUSHBUTTON, 5, 5, 150, 24, holder, ID_DEEP_ONE + i);
    }
    show_page(0);
}

static void build_controls() {
    child("STATIC", "ready", 0, 10, 10, 380, 20, main_window, ID_STATUS);
    child("BUTTON", "Message", BS_PUSHBUTTON, 10, 40, 100, 24, main_window, ID_MESSAGE);
    child("BUTTON", "Option", BS_AUTOCHECKBOX, 120, 40, 120, 24, main_window, ID_CHECK);
    HWND disabled = child("BUTTON", "Disabled", BS_PUSHBUTTON, 250, 40, 120, 24, main_window,
                          ID_DISABLED);
    EnableWindow(disabled, FALSE);
    child("EDIT", "", WS_BORDER | ES_AUTOHSCROLL, 10, 70, 180, 22, main_window, ID_EDIT);
    HWND combo = child("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL, 200, 70, 180, 100,
                       main_window, ID_COMBO);
    for (const char* entry : {"alpha", "beta", "gamma"})
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    HWND list = child("LISTBOX", "", LBS_NOTIFY | WS_BORDER | WS_VSCROLL, 10, 100, 180, 80,
                      main_window, ID_LIST);
    // The last line is longer than any buffer a reader might guess.
    const std::string lines[] = {"première ligne", "second line",
                                 "long " + std::string(600, '-') + " end"};
    for (const std::string& line : lines)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    child("BUTTON", "Quit", BS_PUSHBUTTON, 200, 100, 100, 24, main_window, ID_QUIT);
    build_panel();
}

static void on_command(int id, int code, HWND control) {
    switch (id) {
    case ID_MESSAGE: {
        int answer = MessageBoxA(main_window, "Première ligne\nSecond line", "Attention é",
                                 MB_OK | MB_ICONEXCLAMATION);
        set_status("box returned " + std::to_string(answer));
        break;
    }
    case ID_CHECK:
        set_status("check " + std::to_string(SendMessageA(control, BM_GETCHECK, 0, 0)));
        break;
    case ID_EDIT:
        if (code == EN_CHANGE) set_status("edit " + window_text(control));
        break;
    case ID_LIST:
        if (code == LBN_SELCHANGE)
            set_status("list " + std::to_string(SendMessageA(control, LB_GETCURSEL, 0, 0)));
        break;
    case ID_COMBO:
        if (code == CBN_SELCHANGE)
            set_status("combo " + std::to_string(SendMessageA(control, CB_GETCURSEL, 0, 0)));
        break;
    case ID_QUIT: exit_code = 3; DestroyWindow(main_window); break;
    case ID_DISABLED: set_status("disabled clicked"); break;
    case ID_DEEP_ONE: set_status("deep one"); break;
    case ID_DEEP_TWO: set_status("deep two"); break;
    }
}

static void on_tab_notify(const NMHDR* header) {
    int selected = static_cast<int>(SendMessageA(tab_control, TCM_GETCURSEL, 0, 0));
    if (header->code == TCN_SELCHANGE) {
        show_page(selected);
        set_status("tab " + std::to_string(selected));
    }
}

static LRESULT CALLBACK main_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND:
        on_command(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
        return 0;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
        if (header->hwndFrom == tab_control) on_tab_notify(header);
        return 0;
    }
    case WM_DESTROY: PostQuitMessage(exit_code); return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

static void register_class(const char* name, WNDPROC procedure) {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = name;
    RegisterClassA(&window_class);
}

// A caption without system menu, a tool window, topmost: the shape of the
// kit's wizard window, so that the driver's style readers have something to read.
static void open_main_window(bool visible) {
    const DWORD style = WS_POPUP | WS_CAPTION;
    const DWORD ex_style = WS_EX_TOOLWINDOW;
    RECT outer = {0, 0, CLIENT_WIDTH, CLIENT_HEIGHT};
    AdjustWindowRectEx(&outer, style, FALSE, ex_style);
    main_window = CreateWindowExA(ex_style, MAIN_CLASS, "Driver target", style, 50, 50,
                                  outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    build_controls();
    SetWindowPos(main_window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (visible) ShowWindow(main_window, SW_SHOW);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR parameters, int) {
    write_start_note(parameters);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    register_class(MAIN_CLASS, main_procedure);
    register_class(HELPER_CLASS, DefWindowProcA);
    register_class(RELAY_CLASS, relay_procedure);
    // A second top-level window that is never shown: the driver finds it too.
    CreateWindowExA(0, HELPER_CLASS, "Driver target helper", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    open_main_window(std::string(parameters).find("hidden") == std::string::npos);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
