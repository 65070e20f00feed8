#include "selfextract/unpack_window.h"

#include <commctrl.h>

namespace {

constexpr wchar_t WINDOW_CLASS[] = L"TarvoUnpackWindow";
constexpr int TEXT_LINE = 1, PROGRESS = 2, CANCEL = 3;
constexpr int WIDTH = 340, HEIGHT = 100;

bool cancelled = false;

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wparam) == CANCEL) cancelled = true;
        return 0;
    case WM_CLOSE:
        cancelled = true;
        return 0;
    default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
}

HWND child(HWND parent, const wchar_t* kind, const wchar_t* text, DWORD style, int id, int x, int y, int w, int h) {
    HWND control = CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                   nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return control;
}

}  // namespace

HWND open_unpack_window(const std::wstring& title) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = WINDOW_CLASS;
    RegisterClassExW(&wc);
    DWORD style = WS_CAPTION | WS_SYSMENU;
    RECT r{0, 0, WIDTH, HEIGHT};
    AdjustWindowRect(&r, style, FALSE);
    int w = r.right - r.left, h = r.bottom - r.top;
    HWND window = CreateWindowExW(0, WINDOW_CLASS, title.c_str(), style, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, nullptr, nullptr, wc.hInstance,
                                  nullptr);
    if (!window) return nullptr;
    child(window, L"STATIC", L"Pr\u00e9paration de l'installation... / Preparing the installation...", 0, TEXT_LINE,
          12, 10, WIDTH - 24, 18);
    HWND bar = child(window, PROGRESS_CLASSW, L"", 0, PROGRESS, 12, 34, WIDTH - 24, 18);
    SendMessageW(bar, PBM_SETRANGE32, 0, 1000);
    child(window, L"BUTTON", L"Annuler / Cancel", BS_PUSHBUTTON | WS_TABSTOP, CANCEL, WIDTH - 132, 64, 120, 26);
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    UpdateWindow(window);
    return window;
}

bool unpack_window_cancelled(HWND window, int permille) {
    if (window) SendDlgItemMessageW(window, PROGRESS, PBM_SETPOS, permille, 0);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!window || !IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return cancelled;
}

void close_unpack_window(HWND window) {
    if (window) DestroyWindow(window);
}
