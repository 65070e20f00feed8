// Operation tables of the plain gadget kinds: buttons, check boxes, options,
// frames, texts, edit fields, combo boxes, list boxes and progress bars.
// Panels, web views and image views have files of their own.
#include "runtime/gadget_internal.h"

#include <commctrl.h>

#include "runtime/unicode.h"

namespace {

LRESULT send(const GadgetRecord& g, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return SendMessageW(g.window, message, wparam, lparam);
}

// --- Buttons, check boxes and options: the check state ---

int check_state(const GadgetRecord& g) { return static_cast<int>(send(g, BM_GETCHECK)); }

void set_check_state(GadgetRecord& g, int state) { send(g, BM_SETCHECK, state); }

bool starts_group(HWND w) { return (GetWindowLongW(w, GWL_STYLE) & WS_GROUP) != 0; }

void clear_other_options(HWND option) {
    for (HWND w : option_group(option))
        if (w != option) SendMessageW(w, BM_SETCHECK, BST_UNCHECKED, 0);
}

void set_option_state(GadgetRecord& g, int state) {
    if (state == 1) clear_other_options(g.window);
    send(g, BM_SETCHECK, state);
}

// --- Combo boxes and list boxes: items ---

struct ItemMessages {
    UINT count, text_length, text, get_selection, set_selection, insert;
};

constexpr ItemMessages COMBO_ITEMS{CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT,
                                   CB_GETCURSEL, CB_SETCURSEL,    CB_INSERTSTRING};
constexpr ItemMessages LIST_ITEMS{LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT,
                                  LB_GETCURSEL, LB_SETCURSEL,  LB_INSERTSTRING};

std::string item_text(const GadgetRecord& g, const ItemMessages& m, int index) {
    LRESULT length = send(g, m.text_length, index);
    if (length <= 0) return "";
    std::wstring text(length + 1, L'\0');
    LRESULT got = send(g, m.text, index, reinterpret_cast<LPARAM>(text.data()));
    return narrow(std::wstring_view(text.data(), got > 0 ? got : 0));
}

// Index of the first item whose text is exactly `text` (bytes, case
// included, unlike CB_FINDSTRINGEXACT), -1 when none is or text is "".
int find_exact(const GadgetRecord& g, const ItemMessages& m, const std::string& text) {
    if (text.empty()) return -1;
    int count = static_cast<int>(send(g, m.count));
    for (int i = 0; i < count; ++i)
        if (item_text(g, m, i) == text) return i;
    return -1;
}

int selection(const GadgetRecord& g, const ItemMessages& m) {
    return static_cast<int>(send(g, m.get_selection));
}

std::string selected_text(const GadgetRecord& g, const ItemMessages& m) {
    int index = selection(g, m);
    return index < 0 ? "" : item_text(g, m, index);
}

void insert_item(GadgetRecord& g, const ItemMessages& m, int position, const std::string& text) {
    std::wstring item = wide(text);
    send(g, m.insert, position < 0 ? -1 : position, reinterpret_cast<LPARAM>(item.c_str()));
}

int combo_state(const GadgetRecord& g) { return selection(g, COMBO_ITEMS); }
void set_combo_state(GadgetRecord& g, int index) { send(g, CB_SETCURSEL, index); }
std::string combo_text(const GadgetRecord& g) { return selected_text(g, COMBO_ITEMS); }
void set_combo_text(GadgetRecord& g, const std::string& text) {
    send(g, CB_SETCURSEL, find_exact(g, COMBO_ITEMS, text));
}
void add_combo_item(GadgetRecord& g, int position, const std::string& text) {
    insert_item(g, COMBO_ITEMS, position, text);
}
int count_combo_items(const GadgetRecord& g) { return static_cast<int>(send(g, CB_GETCOUNT)); }

// LB_SETCURSEL scrolls the selected line into view; inserting does not scroll.
int list_state(const GadgetRecord& g) { return selection(g, LIST_ITEMS); }
void set_list_state(GadgetRecord& g, int index) { send(g, LB_SETCURSEL, index); }
std::string list_text(const GadgetRecord& g) { return selected_text(g, LIST_ITEMS); }
void set_list_text(GadgetRecord& g, const std::string& text) {
    send(g, LB_SETCURSEL, find_exact(g, LIST_ITEMS, text));
}
void add_list_item(GadgetRecord& g, int position, const std::string& text) {
    insert_item(g, LIST_ITEMS, position, text);
}
int count_list_items(const GadgetRecord& g) { return static_cast<int>(send(g, LB_GETCOUNT)); }

// --- Progress bars: the position ---

int progress_state(const GadgetRecord& g) { return static_cast<int>(send(g, PBM_GETPOS)); }
void set_progress_state(GadgetRecord& g, int position) { send(g, PBM_SETPOS, position); }

}  // namespace

bool is_option(HWND w) {
    wchar_t name[16];
    if (GetClassNameW(w, name, 16) <= 0 || lstrcmpiW(name, L"Button") != 0) return false;
    LONG type = GetWindowLongW(w, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

// The group is what the system's radio buttons use: the siblings from the
// nearest one with WS_GROUP up to the next one with WS_GROUP.
std::vector<HWND> option_group(HWND option) {
    HWND first = option;
    for (HWND prev; !starts_group(first) && (prev = GetWindow(first, GW_HWNDPREV)) != nullptr;)
        first = prev;
    std::vector<HWND> group;
    for (HWND w = first; w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w != first && starts_group(w)) break;
        if (is_option(w)) group.push_back(w);
    }
    return group;
}

const GadgetKindOps BUTTON_KIND{
    .get_state = check_state,
    .set_state = set_check_state,
    .rescale = rescale_button_image,
};

const GadgetKindOps CHECK_BOX_KIND{.get_state = check_state, .set_state = set_check_state};

const GadgetKindOps OPTION_KIND{.get_state = check_state, .set_state = set_option_state};

const GadgetKindOps FRAME_KIND{};

const GadgetKindOps TEXT_KIND{};

const GadgetKindOps EDIT_KIND{};

const GadgetKindOps COMBO_BOX_KIND{
    .get_state = combo_state,
    .set_state = set_combo_state,
    .get_text = combo_text,
    .set_text = set_combo_text,
    .add_item = add_combo_item,
    .count_items = count_combo_items,
};

const GadgetKindOps LIST_BOX_KIND{
    .get_state = list_state,
    .set_state = set_list_state,
    .get_text = list_text,
    .set_text = set_list_text,
    .add_item = add_list_item,
    .count_items = count_list_items,
};

const GadgetKindOps PROGRESS_BAR_KIND{.get_state = progress_state, .set_state = set_progress_state};
