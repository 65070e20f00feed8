#include "runtime/display_scale.h"

namespace {

using GetDpiForSystemFn = UINT(WINAPI*)();
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

// Looked up once: user32 is loaded in every program that has windows.
struct ScaleFunctions {
    bool looked_up = false;
    GetDpiForSystemFn dpi_for_system = nullptr;
    GetDpiForWindowFn dpi_for_window = nullptr;
    AdjustWindowRectExForDpiFn adjust_for_dpi = nullptr;
};

ScaleFunctions functions;

template <typename Function>
Function user32_function(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

const ScaleFunctions& scale_functions() {
    if (!functions.looked_up) {
        functions.dpi_for_system = user32_function<GetDpiForSystemFn>("GetDpiForSystem");
        functions.dpi_for_window = user32_function<GetDpiForWindowFn>("GetDpiForWindow");
        functions.adjust_for_dpi = user32_function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
        functions.looked_up = true;
    }
    return functions;
}

}  // namespace

int system_dpi() {
    if (auto get = scale_functions().dpi_for_system) return static_cast<int>(get());
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : DESIGN_DPI;
}

int default_font_height(int system_height, int dpi) {
    int design = MulDiv(system_height, DESIGN_DPI, system_dpi());
    return design * dpi / DESIGN_DPI;
}

int dpi_of_window(HWND window) {
    auto get = scale_functions().dpi_for_window;
    int dpi = get && window ? static_cast<int>(get(window)) : 0;
    return dpi > 0 ? dpi : system_dpi();
}

// At the system's scale the system's metrics are the frame's, as they
// always were; at another only the per-scale call knows it.
SIZE frame_size(DWORD style, bool menu, SIZE client, int dpi) {
    RECT r{0, 0, client.cx, client.cy};
    auto adjust = scale_functions().adjust_for_dpi;
    if (adjust && dpi != system_dpi()) {
        adjust(&r, style, menu, 0, static_cast<UINT>(dpi));
    } else {
        AdjustWindowRect(&r, style, menu);
    }
    return SIZE{r.right - r.left, r.bottom - r.top};
}
