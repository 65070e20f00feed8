// The gadget table, where new gadgets go, their creation and the access
// operations, which hand over to the kind's operation table; and fonts.
#include "runtime/gadget.h"

#include <commctrl.h>

#include <algorithm>

#include "runtime/control_styles.h"
#include "runtime/gadget_internal.h"
#include "runtime/numbered_table.h"

namespace {

constexpr char BASE_PROC_PROPERTY[] = "KitBaseProc";
constexpr int TEXT_LIMIT = 32000;

struct GadgetLibrary {
    NumberedTable<GadgetRecord> gadgets{30, 30, FIRST_GADGET_IDENTIFIER, LAST_GADGET_IDENTIFIER};
    NumberedTable<HFONT> fonts{10, 10, 0x10000, 0x7FFFFFFE};
    HWND parent = nullptr;              // where new gadgets go
    std::vector<HWND> saved_parents;    // pushed by create_panel, popped by close_gadget_list
    HFONT font = nullptr;               // given to every new gadget
    bool option_group_open = false;     // the last gadget created was an option
    std::vector<HWND> creation_order;   // gadget windows, for Tab focus moves
};

GadgetLibrary lib;

HFONT default_gui_font() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

// The record of a complete gadget (begin_gadget reserves empty ones).
GadgetRecord* find_gadget(int number) {
    GadgetRecord* g = lib.gadgets.find(number);
    return g && g->ops ? g : nullptr;
}

void destroy_gadget(int number) {
    GadgetRecord* found = lib.gadgets.find(number);
    if (!found) return;
    GadgetRecord g = *found;
    lib.gadgets.remove(number);
    if (!g.ops) return;
    std::erase(lib.creation_order, g.window);
    HWND outermost = g.outer ? g.outer : g.window;
    forget_gadgets_in(outermost);
    if (g.ops->destroy) {
        g.ops->destroy(g);
    } else if (IsWindow(outermost)) {
        DestroyWindow(outermost);
    }
    if (lib.parent && !IsWindow(lib.parent)) lib.parent = nullptr;
}

void free_font(int number) {
    HFONT* font = lib.fonts.find(number);
    if (!font) return;
    if (lib.font == *font) lib.font = default_gui_font();
    DeleteObject(*font);
    lib.fonts.remove(number);
}

std::string window_text(HWND window) {
    int length = std::min(GetWindowTextLengthA(window), TEXT_LIMIT);
    if (length <= 0) return "";
    std::string text(length + 1, '\0');
    int got = GetWindowTextA(window, text.data(), length + 1);
    text.resize(std::max(got, 0));
    return text;
}

intptr_t create_gadget(int number, const GadgetKindOps& ops, const char* class_name, DWORD style,
                       DWORD extended_style, const GadgetPlace& place, const std::string& text) {
    int id = begin_gadget(number);
    if (id < 0) return 0;
    GadgetRecord g;
    g.ops = &ops;
    g.window = create_control(id, lib.parent, class_name, style, extended_style, place, text);
    return end_gadget(number, id, g);
}

}  // namespace

// --- Inside the layer ---

int begin_gadget(int number) {
    if (!lib.parent) return -1;
    if (number >= 0) destroy_gadget(number);
    return lib.parent ? lib.gadgets.store(number, GadgetRecord{}) : -1;
}

HWND gadget_parent() { return lib.parent; }

HWND create_control(int id, HWND parent, const char* class_name, DWORD style, DWORD extended_style,
                    const GadgetPlace& place, const std::string& text) {
    HWND control = CreateWindowExA(extended_style, class_name, text.c_str(), style, place.x,
                                   place.y, place.width, place.height, parent,
                                   reinterpret_cast<HMENU>(static_cast<intptr_t>(id)),
                                   GetModuleHandleA(nullptr), nullptr);
    if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(lib.font), TRUE);
    return control;
}

// Returns what the create operations return: the native handle, the
// identifier for number -1, or 0 when the window could not be created.
intptr_t end_gadget(int number, int id, const GadgetRecord& record) {
    if (!record.window) {
        lib.gadgets.remove(id);
        return 0;
    }
    *lib.gadgets.find(id) = record;
    lib.creation_order.push_back(record.window);
    lib.option_group_open = record.ops == &OPTION_KIND;
    return number == -1 ? id : reinterpret_cast<intptr_t>(record.window);
}

void push_gadget_parent() { lib.saved_parents.push_back(lib.parent); }

const std::vector<HWND>& gadgets_in_creation_order() { return lib.creation_order; }

void forget_gadgets_in(HWND ancestor) {
    std::vector<int> below;
    lib.gadgets.for_each([&](int n, GadgetRecord& g) {
        if (g.ops && IsChild(ancestor, g.window)) below.push_back(n);
    });
    for (int n : below) destroy_gadget(n);
}

void init_gadgets() {
    lib = GadgetLibrary{};
    lib.font = default_gui_font();
}

void release_gadgets() {
    std::vector<int> numbers;
    lib.gadgets.for_each([&](int n, GadgetRecord&) { numbers.push_back(n); });
    for (int n : numbers) destroy_gadget(n);
    numbers.clear();
    lib.fonts.for_each([&](int n, HFONT&) { numbers.push_back(n); });
    for (int n : numbers) free_font(n);
    release_panel_theme();
    release_web_view_host();
    lib = GadgetLibrary{};
}

void subclass_control(HWND control, WNDPROC procedure) {
    LONG_PTR base = SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
    SetPropA(control, BASE_PROC_PROPERTY, reinterpret_cast<HANDLE>(base));
}

LRESULT call_base_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    WNDPROC base = reinterpret_cast<WNDPROC>(GetPropA(control, BASE_PROC_PROPERTY));
    if (message == WM_NCDESTROY) {
        RemovePropA(control, BASE_PROC_PROPERTY);
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base));
    }
    return CallWindowProcA(base, control, message, wparam, lparam);
}

// --- Where new gadgets go ---

int set_gadget_parent(HWND window) {
    if (!IsWindow(window)) return 0;
    lib.parent = window;
    return 1;
}

void close_gadget_list() {
    if (lib.saved_parents.empty()) return;
    lib.parent = lib.saved_parents.back();
    lib.saved_parents.pop_back();
}

// --- Creation ---

intptr_t create_button(int number, int x, int y, int width, int height, const std::string& text,
                       uint32_t flags) {
    return create_gadget(number, BUTTON_KIND, "BUTTON", BUTTON_STYLE | flags, 0,
                         {x, y, width, height}, text);
}

intptr_t create_check_box(int number, int x, int y, int width, int height, const std::string& text) {
    return create_gadget(number, CHECK_BOX_KIND, "BUTTON", CHECK_BOX_STYLE, 0, {x, y, width, height}, text);
}

// The first option after any other gadget starts a group (WS_GROUP); the
// options that follow it join that group.
intptr_t create_option(int number, int x, int y, int width, int height, const std::string& text) {
    DWORD style = lib.option_group_open ? NEXT_OPTION_STYLE : FIRST_OPTION_STYLE;
    return create_gadget(number, OPTION_KIND, "BUTTON", style, 0, {x, y, width, height}, text);
}

intptr_t create_frame(int number, int x, int y, int width, int height, const std::string& text) {
    return create_gadget(number, FRAME_KIND, "BUTTON", FRAME_STYLE, 0, {x, y, width, height}, text);
}

intptr_t create_text(int number, int x, int y, int width, int height, const std::string& text) {
    return create_gadget(number, TEXT_KIND, "STATIC", TEXT_STYLE, 0, {x, y, width, height}, text);
}

intptr_t create_edit(int number, int x, int y, int width, int height, const std::string& text) {
    return create_gadget(number, EDIT_KIND, "EDIT", EDIT_STYLE, WS_EX_CLIENTEDGE,
                         {x, y, width, height}, text);
}

intptr_t create_combo_box(int number, int x, int y, int width, int height) {
    return create_gadget(number, COMBO_BOX_KIND, "COMBOBOX", COMBO_BOX_STYLE, WS_EX_CLIENTEDGE,
                         {x, y, width, height}, "");
}

intptr_t create_list_box(int number, int x, int y, int width, int height) {
    return create_gadget(number, LIST_BOX_KIND, "LISTBOX", LIST_BOX_STYLE, WS_EX_CLIENTEDGE,
                         {x, y, width, height}, "");
}

// The range ends are 16-bit values (PBM_SETRANGE).
intptr_t create_progress_bar(int number, int x, int y, int width, int height, int minimum,
                             int maximum, uint32_t flags) {
    int id = begin_gadget(number);
    if (id < 0) return 0;
    GadgetRecord g;
    g.ops = &PROGRESS_BAR_KIND;
    g.window = create_control(id, lib.parent, PROGRESS_CLASSA, PROGRESS_BAR_STYLE | flags, 0,
                              {x, y, width, height}, "");
    if (g.window) SendMessageA(g.window, PBM_SETRANGE, 0, MAKELPARAM(minimum, maximum));
    return end_gadget(number, id, g);
}

// --- Access ---

HWND gadget_handle(int number) {
    GadgetRecord* g = find_gadget(number);
    return g ? g->window : nullptr;
}

int get_state(int number) {
    GadgetRecord* g = find_gadget(number);
    return g && g->ops->get_state ? g->ops->get_state(*g) : 0;
}

void set_state(int number, int state) {
    GadgetRecord* g = find_gadget(number);
    if (g && g->ops->set_state) g->ops->set_state(*g, state);
}

std::string get_text(int number) {
    GadgetRecord* g = find_gadget(number);
    if (!g) return "";
    return g->ops->get_text ? g->ops->get_text(*g) : window_text(g->window);
}

void set_text(int number, const std::string& text) {
    GadgetRecord* g = find_gadget(number);
    if (!g) return;
    if (g->ops->set_text) {
        g->ops->set_text(*g, text);
    } else {
        SetWindowTextA(g->window, text.c_str());
    }
}

void add_item(int number, int position, const std::string& text) {
    GadgetRecord* g = find_gadget(number);
    if (g && g->ops->add_item) g->ops->add_item(*g, position, text);
}

int count_items(int number) {
    GadgetRecord* g = find_gadget(number);
    return g && g->ops->count_items ? g->ops->count_items(*g) : 0;
}

void disable_gadget(int number, int state) {
    GadgetRecord* g = find_gadget(number);
    if (g) EnableWindow(g->window, state == 0);
}

// --- Fonts ---

intptr_t load_font(int number, const std::string& face, int points, int flags) {
    HDC screen = GetDC(nullptr);
    int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    HFONT font = CreateFontA(height, 0, 0, 0, (flags & FONT_BOLD) ? FW_BOLD : FW_NORMAL,
                             (flags & FONT_ITALIC) != 0, (flags & FONT_UNDERLINE) != 0,
                             (flags & FONT_STRIKEOUT) != 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS,
                             (flags & FONT_HIGH_QUALITY) ? PROOF_QUALITY : DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    if (!font) return 0;
    if (number >= 0) free_font(number);
    int id = lib.fonts.store(number, font);
    if (id < 0) {
        DeleteObject(font);
        return 0;
    }
    return number == -1 ? id : reinterpret_cast<intptr_t>(font);
}

void set_gadget_font(int gadget, intptr_t font) {
    HFONT chosen = font == -1 ? default_gui_font() : reinterpret_cast<HFONT>(font);
    if (gadget == -1) {
        lib.font = chosen;
        return;
    }
    GadgetRecord* g = find_gadget(gadget);
    if (g) SendMessageA(g->window, WM_SETFONT, reinterpret_cast<WPARAM>(chosen), TRUE);
}
