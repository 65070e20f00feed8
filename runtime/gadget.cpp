// The gadget table, where new gadgets go, their creation and the access
// operations, which hand over to the kind's operation table; and fonts.
// Places and font sizes are given for 96 dpi; a gadget is made at its
// window's scale and made again at another when the window moves to a
// screen of another scale.
#include "runtime/gadget.h"

#include <commctrl.h>

#include <algorithm>

#include "runtime/control_styles.h"
#include "runtime/display_scale.h"
#include "runtime/gadget_internal.h"
#include "runtime/window_internal.h"
#include "runtime/numbered_table.h"
#include "runtime/unicode.h"

namespace {

constexpr wchar_t BASE_PROC_PROPERTY[] = L"KitBaseProc";
constexpr int TEXT_LIMIT = 32000;

// A font as load_font made it, at the system's scale, and the same font
// made for the other scales its gadgets were shown at.
struct ScaledFont {
    int dpi;
    HFONT font;
};

struct FontRecord {
    HFONT font = nullptr;
    std::string face;
    int points = 0;
    int flags = 0;
    std::vector<ScaledFont> scaled;
};

struct GadgetLibrary {
    NumberedTable<GadgetRecord> gadgets{30, 30, FIRST_GADGET_IDENTIFIER, LAST_GADGET_IDENTIFIER};
    NumberedTable<FontRecord> fonts{10, 10, 0x10000, 0x7FFFFFFE};
    std::vector<ScaledFont> scaled_default_fonts;  // the default GUI font at other scales
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
    forget_accessible_name(g.window);
    HWND outermost = g.outer ? g.outer : g.window;
    forget_gadgets_in(outermost);
    if (g.ops->destroy) {
        g.ops->destroy(g);
    } else if (IsWindow(outermost)) {
        DestroyWindow(outermost);
    }
    if (lib.parent && !IsWindow(lib.parent)) lib.parent = nullptr;
}

void delete_scaled(std::vector<ScaledFont>& fonts) {
    for (const ScaledFont& f : fonts) DeleteObject(f.font);
    fonts.clear();
}

void free_font(int number) {
    FontRecord* font = lib.fonts.find(number);
    if (!font) return;
    if (lib.font == font->font) lib.font = default_gui_font();
    DeleteObject(font->font);
    delete_scaled(font->scaled);
    lib.fonts.remove(number);
}

HFONT make_font(const std::string& face, int points, int flags, int dpi) {
    return CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, (flags & FONT_BOLD) ? FW_BOLD : FW_NORMAL,
                       (flags & FONT_ITALIC) != 0, (flags & FONT_UNDERLINE) != 0, (flags & FONT_STRIKEOUT) != 0,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       (flags & FONT_HIGH_QUALITY) ? PROOF_QUALITY : DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       wide(face).c_str());
}

// The default GUI font is made by the system for its own scale; at another
// it is the same font with its 96-dpi height brought over, rounded down:
// a line of it is never taller, nor a word wider, than the control it was
// laid out for has grown, so the texts that fit at 96 dpi fit at every
// scale.
HFONT make_default_font(int dpi) {
    LOGFONTW font;
    if (!GetObjectW(default_gui_font(), sizeof font, &font)) return nullptr;
    font.lfHeight = default_font_height(font.lfHeight, dpi);
    return CreateFontIndirectW(&font);
}

HFONT find_scaled(std::vector<ScaledFont>& fonts, int dpi, HFONT (*make)(const FontRecord*, int),
                  const FontRecord* record) {
    for (const ScaledFont& f : fonts)
        if (f.dpi == dpi) return f.font;
    HFONT made = make(record, dpi);
    if (made) fonts.push_back(ScaledFont{dpi, made});
    return made;
}

// `font` (a handle load_font returned, or the default GUI font) as made for
// `dpi`: itself where that is the size it was made at.
HFONT font_at(HFONT font, int dpi) {
    if (!font) return font;
    HFONT found = nullptr;
    if (font == default_gui_font()) {
        LOGFONTW stock;
        if (GetObjectW(font, sizeof stock, &stock) && default_font_height(stock.lfHeight, dpi) == stock.lfHeight)
            return font;
        found = find_scaled(lib.scaled_default_fonts, dpi, [](const FontRecord*, int d) { return make_default_font(d); },
                            nullptr);
    } else if (dpi == system_dpi()) {
        return font;
    } else {
        lib.fonts.for_each([&](int, FontRecord& f) {
            if (f.font == font)
                found = find_scaled(f.scaled, dpi,
                                    [](const FontRecord* r, int d) { return make_font(r->face, r->points, r->flags, d); },
                                    &f);
        });
    }
    return found ? found : font;
}

std::string window_text(HWND window) {
    int length = std::min(GetWindowTextLengthW(window), TEXT_LIMIT);
    if (length <= 0) return "";
    std::wstring text(length + 1, L'\0');
    int got = GetWindowTextW(window, text.data(), length + 1);
    return narrow(std::wstring_view(text.data(), std::max(got, 0)));
}

intptr_t create_gadget(int number, const GadgetKindOps& ops, const wchar_t* class_name, DWORD style,
                       DWORD extended_style, const GadgetPlace& place, const std::string& text) {
    int id = begin_gadget(number);
    if (id < 0) return 0;
    GadgetRecord g;
    g.ops = &ops;
    g.place = place;
    g.window = create_control(id, lib.parent, class_name, style, extended_style, place, text);
    return end_gadget(number, id, g);
}

void set_window_place(HWND window, const GadgetPlace& place, int dpi) {
    SetWindowPos(window, nullptr, scaled(place.x, dpi), scaled(place.y, dpi), scaled(place.width, dpi),
                 scaled(place.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

// --- Inside the layer ---

int begin_gadget(int number) {
    if (!lib.parent) return -1;
    if (number >= 0) destroy_gadget(number);
    return lib.parent ? lib.gadgets.store(number, GadgetRecord{}) : -1;
}

HWND gadget_parent() { return lib.parent; }

HWND create_control(int id, HWND parent, const wchar_t* class_name, DWORD style, DWORD extended_style,
                    const GadgetPlace& place, const std::string& text) {
    int dpi = window_dpi(parent);
    HWND control = CreateWindowExW(extended_style, class_name, wide(text).c_str(), style, scaled(place.x, dpi),
                                   scaled(place.y, dpi), scaled(place.width, dpi), scaled(place.height, dpi), parent,
                                   reinterpret_cast<HMENU>(static_cast<intptr_t>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (!control) return nullptr;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_at(lib.font, dpi)), TRUE);
    // The focus marks of its window: hidden until the keyboard is used.
    if (auto hidden = static_cast<WORD>(SendMessageW(GetAncestor(parent, GA_ROOT), WM_QUERYUISTATE, 0, 0)))
        SendMessageW(control, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, hidden), 0);
    return control;
}

// Returns what the create operations return: the native handle, the
// identifier for number -1, or 0 when the window could not be created.
intptr_t end_gadget(int number, int id, const GadgetRecord& record) {
    if (!record.window) {
        lib.gadgets.remove(id);
        return 0;
    }
    GadgetRecord* g = lib.gadgets.find(id);
    *g = record;
    g->font = lib.font;
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

// Each gadget below `top` goes to its place at the new scale and takes its
// font made for it; then its kind does what else the scale changes.
void rescale_gadgets(HWND top, int dpi) {
    lib.gadgets.for_each([&](int, GadgetRecord& g) {
        if (!g.ops || !IsChild(top, g.window)) return;
        if (g.outer) {  // a panel: its container, and the tab control filling it
            set_window_place(g.outer, g.place, dpi);
            set_window_place(g.window, GadgetPlace{0, 0, g.place.width, g.place.height}, dpi);
        } else {
            set_window_place(g.window, g.place, dpi);
        }
        SendMessageW(g.window, WM_SETFONT, reinterpret_cast<WPARAM>(font_at(g.font, dpi)), TRUE);
        if (g.ops->rescale) g.ops->rescale(g, dpi);
    });
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
    lib.fonts.for_each([&](int n, FontRecord&) { numbers.push_back(n); });
    for (int n : numbers) free_font(n);
    delete_scaled(lib.scaled_default_fonts);
    release_panel_theme();
    release_web_view_host();
    release_accessible_names();
    lib = GadgetLibrary{};
}

void subclass_control(HWND control, WNDPROC procedure) {
    LONG_PTR base = SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
    SetPropW(control, BASE_PROC_PROPERTY, reinterpret_cast<HANDLE>(base));
}

LRESULT call_base_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    WNDPROC base = reinterpret_cast<WNDPROC>(GetPropW(control, BASE_PROC_PROPERTY));
    if (message == WM_NCDESTROY) {
        RemovePropW(control, BASE_PROC_PROPERTY);
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base));
    }
    return CallWindowProcW(base, control, message, wparam, lparam);
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

// A button showing a bitmap shows it at its window's scale.
intptr_t create_button(int number, int x, int y, int width, int height, const std::string& text,
                       uint32_t flags) {
    int id = begin_gadget(number);
    if (id < 0) return 0;
    GadgetRecord g;
    g.ops = &BUTTON_KIND;
    g.place = GadgetPlace{x, y, width, height};
    g.window = create_control(id, lib.parent, L"BUTTON", BUTTON_STYLE | flags, 0, g.place, text);
    if (g.window && (flags & BUTTON_IMAGE)) show_scaled_images(g.window);
    return end_gadget(number, id, g);
}

intptr_t create_check_box(int number, int x, int y, int width, int height, const std::string& text) {
    return create_gadget(number, CHECK_BOX_KIND, L"BUTTON", CHECK_BOX_STYLE, 0, {x, y, width, height}, text);
}

// The first option after any other gadget starts a group (WS_GROUP); the
// options that follow it join that group.
intptr_t create_option(int number, int x, int y, int width, int height, const std::string& text) {
    DWORD style = lib.option_group_open ? NEXT_OPTION_STYLE : FIRST_OPTION_STYLE;
    return create_gadget(number, OPTION_KIND, L"BUTTON", style, 0, {x, y, width, height}, text);
}

intptr_t create_frame(int number, int x, int y, int width, int height, const std::string& text) {
    return create_gadget(number, FRAME_KIND, L"BUTTON", FRAME_STYLE, 0, {x, y, width, height}, text);
}

intptr_t create_text(int number, int x, int y, int width, int height, const std::string& text) {
    return create_gadget(number, TEXT_KIND, L"STATIC", TEXT_STYLE, 0, {x, y, width, height}, text);
}

intptr_t create_edit(int number, int x, int y, int width, int height, const std::string& text) {
    return create_gadget(number, EDIT_KIND, L"EDIT", EDIT_STYLE, WS_EX_CLIENTEDGE,
                         {x, y, width, height}, text);
}

intptr_t create_combo_box(int number, int x, int y, int width, int height) {
    return create_gadget(number, COMBO_BOX_KIND, L"COMBOBOX", COMBO_BOX_STYLE, WS_EX_CLIENTEDGE,
                         {x, y, width, height}, "");
}

intptr_t create_list_box(int number, int x, int y, int width, int height) {
    return create_gadget(number, LIST_BOX_KIND, L"LISTBOX", LIST_BOX_STYLE, WS_EX_CLIENTEDGE,
                         {x, y, width, height}, "");
}

// The range ends are 16-bit values (PBM_SETRANGE).
intptr_t create_progress_bar(int number, int x, int y, int width, int height, int minimum,
                             int maximum, uint32_t flags) {
    int id = begin_gadget(number);
    if (id < 0) return 0;
    GadgetRecord g;
    g.ops = &PROGRESS_BAR_KIND;
    g.place = GadgetPlace{x, y, width, height};
    g.window = create_control(id, lib.parent, PROGRESS_CLASSW, PROGRESS_BAR_STYLE | flags, 0, g.place, "");
    if (g.window) SendMessageW(g.window, PBM_SETRANGE, 0, MAKELPARAM(minimum, maximum));
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
        SetWindowTextW(g->window, wide(text).c_str());
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

// --- The keyboard ---

void set_key_buttons(int enter, int escape) {
    if (!lib.parent) return;
    for (auto [number, property] : {std::pair{enter, ENTER_BUTTON_PROPERTY}, std::pair{escape, ESCAPE_BUTTON_PROPERTY}}) {
        HWND button = number == -1 ? nullptr : gadget_handle(number);
        if (button) {
            SetPropW(lib.parent, property, button);
        } else {
            RemovePropW(lib.parent, property);
        }
    }
}

// --- Fonts ---

// The handle returned is the font at the system's scale; each gadget given
// it shows it made for its own window's scale.
intptr_t load_font(int number, const std::string& face, int points, int flags) {
    HFONT font = make_font(face, points, flags, system_dpi());
    if (!font) return 0;
    if (number >= 0) free_font(number);
    int id = lib.fonts.store(number, FontRecord{font, face, points, flags, {}});
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
    if (!g) return;
    g->font = chosen;
    SendMessageW(g->window, WM_SETFONT, reinterpret_cast<WPARAM>(font_at(chosen, window_dpi(g->window))), TRUE);
}
