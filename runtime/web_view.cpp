// Web views: the browser control "Shell.Explorer.1" in an ATL control host
// window ("AtlAxWin" of ATL.DLL, loaded at run time).  Without the host
// library or the control, creation returns 0 and the window works on.
#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>
#include <ole2.h>

#include <algorithm>

#include "runtime/gadget.h"
#include "runtime/control_styles.h"
#include "runtime/display_scale.h"
#include "runtime/gadget_internal.h"
#include "runtime/loaded_library.h"
#include "runtime/unicode.h"
#include "runtime/window_internal.h"

namespace {

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

// ATL.DLL stays loaded once it has been found: the "AtlAxWin" class it
// registers points into it for the rest of the process.
struct ControlHost {
    AtlAxGetControlFn get_control = nullptr;
    bool ole_initialised = false;
};

ControlHost host;

bool host_ready() {
    if (!host.get_control) {
        HMODULE library = load_system_library(L"ATL.DLL");
        if (!library) return false;
        auto init = library_function<AtlAxWinInitFn>(library, "AtlAxWinInit");
        auto get_control = library_function<AtlAxGetControlFn>(library, "AtlAxGetControl");
        if (!init || !get_control) {
            FreeLibrary(library);
            return false;
        }
        init();
        host.get_control = get_control;
    }
    if (!host.ole_initialised) host.ole_initialised = SUCCEEDED(OleInitialize(nullptr));
    return true;
}

IWebBrowser2* hosted_browser(HWND window) {
    IUnknown* control = nullptr;
    if (FAILED(host.get_control(window, &control)) || !control) return nullptr;
    IWebBrowser2* browser = nullptr;
    if (FAILED(control->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser))))
        browser = nullptr;
    control->Release();
    return browser;
}

void navigate(GadgetRecord& g, const std::string& address) {
    if (address.empty()) return;
    VARIANT url, none;
    VariantInit(&url);
    VariantInit(&none);
    std::wstring text = wide(address);
    url.vt = VT_BSTR;
    url.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    g.browser->Navigate2(&url, &none, &none, &none, &none);
    VariantClear(&url);
}

std::string location(const GadgetRecord& g) {
    BSTR address = nullptr;
    if (FAILED(g.browser->get_LocationURL(&address)) || !address) return "";
    std::string result = narrow(std::wstring_view(address, SysStringLen(address)));
    SysFreeString(address);
    return result;
}

// 1 back, 2 forward, 3 stop, 4 reload.
void browse(GadgetRecord& g, int command) {
    if (command == 1) g.browser->GoBack();
    if (command == 2) g.browser->GoForward();
    if (command == 3) g.browser->Stop();
    if (command == 4) g.browser->Refresh();
}

void destroy_web_view(GadgetRecord& g) {
    g.browser->Release();
    if (IsWindow(g.window)) DestroyWindow(g.window);
}

// The window of the shown document, nullptr when there is none.
IHTMLWindow2* document_window(IWebBrowser2* browser) {
    IDispatch* document = nullptr;
    if (FAILED(browser->get_Document(&document)) || !document) return nullptr;
    IHTMLDocument2* html = nullptr;
    IHTMLWindow2* window = nullptr;
    if (SUCCEEDED(document->QueryInterface(__uuidof(IHTMLDocument2), reinterpret_cast<void**>(&html)))) {
        if (FAILED(html->get_parentWindow(&window))) window = nullptr;
        html->Release();
    }
    document->Release();
    return window;
}

struct ShownView {
    HWND found;
};

BOOL CALLBACK find_shown_view(HWND child, LPARAM data) {
    wchar_t name[16];
    if (GetClassNameW(child, name, 16) > 0 && lstrcmpW(name, L"AtlAxWin") == 0 && IsWindowVisible(child)) {
        reinterpret_cast<ShownView*>(data)->found = child;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

// A line is 40 pixels at 96 dpi; a page the view's height less a line, so
// that the last line read stays in sight.
bool scroll_shown_web_view(HWND top, UINT key) {
    if (!host.get_control) return false;
    ShownView view{nullptr};
    EnumChildWindows(top, find_shown_view, reinterpret_cast<LPARAM>(&view));
    if (!view.found) return false;
    IWebBrowser2* browser = hosted_browser(view.found);
    if (!browser) return false;
    IHTMLWindow2* window = document_window(browser);
    browser->Release();
    if (!window) return false;
    RECT client;
    GetClientRect(view.found, &client);
    int line = scaled(40, window_dpi(view.found));
    int page = std::max(line, static_cast<int>(client.bottom) - line);
    HRESULT done = E_FAIL;
    if (key == VK_UP) done = window->scrollBy(0, -line);
    if (key == VK_DOWN) done = window->scrollBy(0, line);
    if (key == VK_PRIOR) done = window->scrollBy(0, -page);
    if (key == VK_NEXT) done = window->scrollBy(0, page);
    if (key == VK_HOME) done = window->scrollTo(0, 0);
    if (key == VK_END) done = window->scrollTo(0, 0x7FFFFFF);
    window->Release();
    return SUCCEEDED(done);
}

const GadgetKindOps WEB_VIEW_KIND{
    .destroy = destroy_web_view,
    .set_state = browse,
    .get_text = location,
    .set_text = navigate,
};

intptr_t create_web_view(int number, int x, int y, int width, int height, const std::string& address) {
    // The number is taken first, so that a gadget holding it goes even when
    // the control host is missing.
    int id = begin_gadget(number);
    if (id < 0) return 0;
    GadgetRecord g;
    g.ops = &WEB_VIEW_KIND;
    g.place = GadgetPlace{x, y, width, height};
    if (host_ready())
        g.window = create_control(id, gadget_parent(), L"AtlAxWin", WEB_VIEW_STYLE, 0, g.place, "Shell.Explorer.1");
    if (g.window) g.browser = hosted_browser(g.window);
    if (g.window && !g.browser) {
        DestroyWindow(g.window);
        g.window = nullptr;
    }
    intptr_t result = end_gadget(number, id, g);
    if (result) navigate(g, address);
    return result;
}

void release_web_view_host() {
    if (host.ole_initialised) OleUninitialize();
    host.ole_initialised = false;
}
