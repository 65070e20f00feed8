// Panels: a tab control in a container window, one hidden page window per
// tab.  The page of each tab is kept in the tab item's own data (TCIF_PARAM),
// so the notifications find it from the tab control alone.
#include <windows.h>
#include <commctrl.h>

#include "runtime/gadget.h"
#include "runtime/control_styles.h"
#include "runtime/display_scale.h"
#include "runtime/gadget_internal.h"
#include "runtime/loaded_library.h"
#include "runtime/unicode.h"
#include "runtime/window_internal.h"
#include "runtime/window.h"

namespace {

constexpr wchar_t PAGE_BRUSH_PROPERTY[] = L"KitPageBrush";
constexpr wchar_t PAGE_BACKGROUND_PROPERTY[] = L"KitPageBackground";
constexpr int CAPTION_LIMIT = 32000;

using IsAppThemedFn = BOOL(WINAPI*)();
using DrawThemeParentBackgroundFn = HRESULT(WINAPI*)(HWND, HDC, const RECT*);

// uxtheme is optional: without it, or without visual styles, pages keep the
// default colours.
struct PanelTheme {
    bool looked_up = false;
    HMODULE library = nullptr;
    DrawThemeParentBackgroundFn draw_parent_background = nullptr;  // set only when themed
};

PanelTheme theme;

void look_up_theme() {
    if (theme.looked_up) return;
    theme.looked_up = true;
    theme.library = load_system_library(L"uxtheme.dll");
    if (!theme.library) return;
    auto is_app_themed = library_function<IsAppThemedFn>(theme.library, "IsAppThemed");
    if (is_app_themed && is_app_themed())
        theme.draw_parent_background =
            library_function<DrawThemeParentBackgroundFn>(theme.library, "DrawThemeParentBackground");
}

LRESULT send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return SendMessageW(window, message, wparam, lparam);
}

HWND page_of(HWND tab, int index) {
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    if (index < 0 || !send(tab, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<HWND>(item.lParam);
}

// x 2, y strip + 4, width client - 4, height client - strip - 6, where the
// strip is one tab's height times the number of tab rows (the margins at
// 96 dpi, brought to the window's scale).
void place_page(HWND tab, HWND page) {
    RECT client, item{};
    GetClientRect(tab, &client);
    send(tab, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    int strip = (item.bottom - item.top) * static_cast<int>(send(tab, TCM_GETROWCOUNT));
    int dpi = window_dpi(tab);
    SetWindowPos(page, nullptr, scaled(2, dpi), strip + scaled(4, dpi), client.right - scaled(4, dpi),
                 client.bottom - strip - scaled(6, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

void leave_page(HWND tab, int index) {
    HWND page = page_of(tab, index);
    if (!page) return;
    ShowWindow(page, SW_HIDE);
    EnableWindow(page, FALSE);
}

void enter_page(HWND tab, int index) {
    HWND page = page_of(tab, index);
    if (!page) return;
    place_page(tab, page);
    EnableWindow(page, TRUE);
    ShowWindow(page, SW_SHOW);
}

int selected_page(HWND tab) { return static_cast<int>(send(tab, TCM_GETCURSEL)); }

void tab_notification(HWND tab, UINT code) {
    if (code == TCN_SELCHANGING) leave_page(tab, selected_page(tab));
    if (code == TCN_SELCHANGE) enter_page(tab, selected_page(tab));
    if (code == static_cast<UINT>(NM_CLICK)) {  // after the page switch of the same click
        SetFocus(tab);
        raise_event(EVENT_GADGET, GetDlgCtrlID(tab), static_cast<int>(NM_CLICK));
    }
}

// The container handles its tab control's notifications and passes commands
// on to the program window, except the pages' own (a page is a notifying
// static, and a click on its background is not a gadget's use).
LRESULT CALLBACK container_proc(HWND container, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
        if (GetParent(header->hwndFrom) == container) {
            tab_notification(header->hwndFrom, header->code);
            return 0;
        }
    }
    if (message == WM_COMMAND && lparam) {
        HWND sender = reinterpret_cast<HWND>(lparam);
        if (GetParent(GetParent(sender)) == container) return 0;
        return send(GetAncestor(container, GA_ROOT), message, wparam, lparam);
    }
    return call_base_proc(container, message, wparam, lparam);
}

bool has_themed_background(HWND control) {
    wchar_t name[32];
    if (GetClassNameW(control, name, 32) <= 0) return false;
    return lstrcmpiW(name, L"static") == 0 || lstrcmpiW(name, L"button") == 0 ||
           lstrcmpiW(name, L"msctls_trackbar32") == 0;
}

// The themed page background, the tab control's body behind the whole
// page, drawn once and kept by the page until its size or the theme
// changes.  Drawing it through the tab control takes milliseconds (under
// Wine, some 4 ms each time), and every control on the page needs the part
// behind it; copied from here, a page of ten controls is drawn in the time
// of one.  nullptr when it cannot be drawn.
HBITMAP page_background(HWND page) {
    RECT r;
    GetClientRect(page, &r);
    auto kept = static_cast<HBITMAP>(GetPropW(page, PAGE_BACKGROUND_PROPERTY));
    BITMAP facts{};
    if (kept && GetObjectW(kept, sizeof facts, &facts) && facts.bmWidth == r.right && facts.bmHeight == r.bottom)
        return kept;
    if (kept) DeleteObject(RemovePropW(page, PAGE_BACKGROUND_PROPERTY));
    if (r.right <= 0 || r.bottom <= 0) return nullptr;
    // In the page's own format, whichever drawing asks first.
    HDC page_dc = GetDC(page);
    HDC memory = CreateCompatibleDC(page_dc);
    HBITMAP picture = CreateCompatibleBitmap(page_dc, r.right, r.bottom);
    ReleaseDC(page, page_dc);
    HGDIOBJ previous = SelectObject(memory, picture);
    theme.draw_parent_background(page, memory, &r);
    SelectObject(memory, previous);
    DeleteDC(memory);
    SetPropW(page, PAGE_BACKGROUND_PROPERTY, picture);
    return picture;
}

void forget_page_background(HWND page) {
    if (HANDLE kept = RemovePropW(page, PAGE_BACKGROUND_PROPERTY)) DeleteObject(kept);
}

// Copies the part of the page background at (x, y) of the page, `area` in
// size, to (area.left, area.top) of dc.
void copy_page_background(HWND page, HDC dc, int x, int y, const RECT& area) {
    HBITMAP background = page_background(page);
    if (!background) return;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, background);
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory, x, y, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

// In a high-contrast scheme the pages show the scheme's colours, not the
// theme's pictures.
bool high_contrast() {
    HIGHCONTRASTW scheme{sizeof scheme, 0, nullptr};
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof scheme, &scheme, 0) && (scheme.dwFlags & HCF_HIGHCONTRASTON);
}

bool themed_page() { return theme.draw_parent_background && !high_contrast(); }

// A brush of the themed page background behind `control`.  The page keeps
// the last one it made and deletes it when it makes the next or goes away.
// The text on it takes the system's colour for text on buttons and pages,
// which the theme's page background is drawn for.
HBRUSH themed_background(HWND page, HDC dc, HWND control) {
    if (!themed_page() || !has_themed_background(control)) return nullptr;
    RECT r;
    GetClientRect(control, &r);
    POINT at{0, 0};
    MapWindowPoints(control, page, &at, 1);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP picture = CreateCompatibleBitmap(dc, r.right, r.bottom);
    HGDIOBJ previous = SelectObject(memory, picture);
    copy_page_background(page, memory, at.x, at.y, r);
    SelectObject(memory, previous);
    DeleteDC(memory);
    HBRUSH brush = CreatePatternBrush(picture);  // holds its own copy of the picture
    DeleteObject(picture);
    HANDLE old = GetPropW(page, PAGE_BRUSH_PROPERTY);
    if (old) DeleteObject(old);
    SetPropW(page, PAGE_BRUSH_PROPERTY, brush);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    return brush;
}

// With visual styles the page shows the tab control's themed body behind it.
void paint_themed_page(HWND page) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(page, &ps);
    copy_page_background(page, dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint);
    EndPaint(page, &ps);
}

// Pages pass the commands of their gadgets to the program window.
LRESULT CALLBACK page_proc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND:
        return send(GetAncestor(page, GA_ROOT), message, wparam, lparam);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (HBRUSH brush = themed_background(page, reinterpret_cast<HDC>(wparam),
                                             reinterpret_cast<HWND>(lparam)))
            return reinterpret_cast<LRESULT>(brush);
        break;
    case WM_ERASEBKGND:
        if (themed_page()) return 1;
        break;
    case WM_PAINT:
        if (!themed_page()) break;
        paint_themed_page(page);
        return 0;
    case WM_PRINTCLIENT: {
        if (!themed_page()) break;
        RECT whole;
        GetClientRect(page, &whole);
        copy_page_background(page, reinterpret_cast<HDC>(wparam), 0, 0, whole);
        return 0;
    }
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
        forget_page_background(page);
        break;
    case WM_NCDESTROY:
        if (HANDLE brush = RemovePropW(page, PAGE_BRUSH_PROPERTY)) DeleteObject(brush);
        forget_page_background(page);
        break;
    }
    return call_base_proc(page, message, wparam, lparam);
}

// --- Panel operations ---

int panel_state(const GadgetRecord& g) { return selected_page(g.window); }

// The same page switch as a click on a tab, without the click's event.
// The focus, gone with the page that had it (or never given), goes to the
// first tab stop of the page shown.
void set_panel_state(GadgetRecord& g, int index) {
    leave_page(g.window, selected_page(g.window));
    send(g.window, TCM_SETCURSEL, index);
    enter_page(g.window, selected_page(g.window));
    HWND focus = GetFocus();
    HWND top = GetAncestor(g.window, GA_ROOT);
    if (!focus || focus == top || !IsWindowVisible(focus) || !IsWindowEnabled(focus))
        if (HWND page = page_of(g.window, selected_page(g.window))) focus_first_tab_stop(page);
}

std::string panel_text(const GadgetRecord& g) {
    int index = selected_page(g.window);
    if (index < 0) return "";
    // The tab control gives no length: grow the buffer until the caption fits.
    for (int size = 256;; size *= 2) {
        std::wstring caption(size, L'\0');
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        item.cchTextMax = size;
        if (!send(g.window, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item))) return "";
        caption.resize(lstrlenW(item.pszText));
        if (static_cast<int>(caption.size()) < size - 1 || size >= CAPTION_LIMIT) return narrow(caption);
    }
}

void set_panel_text(GadgetRecord& g, const std::string& text) {
    std::wstring caption = wide(text);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    send(g.window, TCM_SETITEMW, selected_page(g.window), reinterpret_cast<LPARAM>(&item));
}

// Adds a tab and its page; the page becomes the gadget parent.
void add_page(GadgetRecord& g, int position, const std::string& text) {
    HWND tab = g.window;
    int count = static_cast<int>(send(tab, TCM_GETITEMCOUNT));
    int at = (position < 0 || position > count) ? count : position;
    HWND page = CreateWindowExW(0, L"STATIC", L"", PANEL_PAGE_STYLE, 0, 0, 0, 0, tab, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (!page) return;
    subclass_control(page, page_proc);
    std::wstring caption = wide(text);
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = caption.data();
    item.lParam = reinterpret_cast<LPARAM>(page);
    if (send(tab, TCM_INSERTITEMW, at, reinterpret_cast<LPARAM>(&item)) < 0) {
        DestroyWindow(page);
        return;
    }
    set_gadget_parent(page);
    if (selected_page(tab) < 0) send(tab, TCM_SETCURSEL, 0);
    enter_page(tab, selected_page(tab));  // also lays out again for a new row of tabs
}

int count_pages(const GadgetRecord& g) { return static_cast<int>(send(g.window, TCM_GETITEMCOUNT)); }

// The tab strip has grown or shrunk with the font: the shown page is
// placed again (the others are placed when they are shown).
void rescale_panel(GadgetRecord& g, int) {
    if (HWND page = page_of(g.window, selected_page(g.window))) place_page(g.window, page);
}

}  // namespace

const GadgetKindOps PANEL_KIND{
    .get_state = panel_state,
    .set_state = set_panel_state,
    .get_text = panel_text,
    .set_text = set_panel_text,
    .add_item = add_page,
    .count_items = count_pages,
    .rescale = rescale_panel,
};

// The gadget's handle is the tab control; the container is its outer window.
intptr_t create_panel(int number, int x, int y, int width, int height) {
    int id = begin_gadget(number);
    if (id < 0) return 0;
    look_up_theme();
    GadgetRecord g;
    g.ops = &PANEL_KIND;
    g.place = GadgetPlace{x, y, width, height};
    g.outer = create_control(id, gadget_parent(), L"STATIC", PANEL_OUTER_STYLE, 0, g.place, "");
    if (g.outer) {
        subclass_control(g.outer, container_proc);
        g.window = create_control(id, g.outer, WC_TABCONTROLW, PANEL_TABS_STYLE, 0, {0, 0, width, height}, "");
        if (!g.window) DestroyWindow(g.outer);
    }
    intptr_t result = end_gadget(number, id, g);
    if (result) push_gadget_parent();
    return result;
}

void release_panel_theme() {
    if (theme.library) FreeLibrary(theme.library);
    theme = PanelTheme{};
}
