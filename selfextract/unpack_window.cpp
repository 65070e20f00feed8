#include "selfextract/unpack_window.h"

#include <commctrl.h>

#include "runtime/display_scale.h"

namespace {

constexpr wchar_t WINDOW_CLASS[] = L"TarvoUnpackWindow";
constexpr int TEXT_LINE = 1, PROGRESS = 2, CANCEL = 3;
constexpr int WIDTH = 340, HEIGHT = 100;
constexpr DWORD STYLE = WS_CAPTION | WS_SYSMENU;

// The controls and their places at 96 dpi.
struct Control {
    int id;
    const wchar_t* kind;
    const wchar_t* text;
    DWORD style;
    int x, y, width, height;
};

const Control CONTROLS[] = {
    {TEXT_LINE, L"STATIC", L"Pr\u00e9paration de l'installation... / Preparing the installation...", 0, 12, 10,
     WIDTH - 24, 18},
    {PROGRESS, PROGRESS_CLASSW, L"", 0, 12, 34, WIDTH - 24, 18},
    {CANCEL, L"BUTTON", L"Annuler / Cancel", BS_PUSHBUTTON | WS_TABSTOP, WIDTH - 132, 64, 120, 26},
};

bool cancelled = false;
HFONT scaled_font = nullptr;  // the default GUI font at the window's scale, when that is not the system's

HFONT font_for(int dpi) {
    auto stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (scaled_font) DeleteObject(scaled_font);
    scaled_font = nullptr;
    LOGFONTW font;
    if (!GetObjectW(stock, sizeof font, &font) || default_font_height(font.lfHeight, dpi) == font.lfHeight) return stock;
    font.lfHeight = default_font_height(font.lfHeight, dpi);
    scaled_font = CreateFontIndirectW(&font);
    return scaled_font ? scaled_font : stock;
}

SIZE outer_size(int dpi) { return frame_size(STYLE, false, SIZE{scaled(WIDTH, dpi), scaled(HEIGHT, dpi)}, dpi); }

// Places the controls and gives them the font for the window's scale.
void lay_out(HWND window, int dpi) {
    HFONT font = font_for(dpi);
    for (const Control& c : CONTROLS) {
        HWND control = GetDlgItem(window, c.id);
        SetWindowPos(control, nullptr, scaled(c.x, dpi), scaled(c.y, dpi), scaled(c.width, dpi),
                     scaled(c.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND:  // the button, or Escape (IDCANCEL)
        if (LOWORD(wparam) == CANCEL || LOWORD(wparam) == IDCANCEL) cancelled = true;
        return 0;
    case WM_CLOSE:
        cancelled = true;
        return 0;
    case WM_DPICHANGED: {  // moved to a screen of another scale
        const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
        SIZE outer = outer_size(LOWORD(wparam));
        SetWindowPos(window, nullptr, suggested->left, suggested->top, outer.cx, outer.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        lay_out(window, LOWORD(wparam));
        return 0;
    }
    default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
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
    int dpi = system_dpi();
    SIZE outer = outer_size(dpi);
    HWND window = CreateWindowExW(0, WINDOW_CLASS, title.c_str(), STYLE, (GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2, outer.cx, outer.cy, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    if (!window) return nullptr;
    for (const Control& c : CONTROLS)
        CreateWindowExW(0, c.kind, c.text, WS_CHILD | WS_VISIBLE | c.style, 0, 0, 0, 0, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), wc.hInstance, nullptr);
    SendDlgItemMessageW(window, PROGRESS, PBM_SETRANGE32, 0, 1000);
    // On a screen of another scale than the system's, the window takes that
    // screen's size.
    if (int actual = dpi_of_window(window); actual != dpi) {
        dpi = actual;
        outer = outer_size(dpi);
        SetWindowPos(window, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    lay_out(window, dpi);
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
    if (scaled_font) DeleteObject(scaled_font);
    scaled_font = nullptr;
}
