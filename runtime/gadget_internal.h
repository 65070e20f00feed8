// Inside the gadget layer: the gadget records and per-kind operation
// tables, and what the gadget, panel and view files share.  Not for the
// programs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct IWebBrowser2;

// Identifiers handed out for gadget number -1.  They are control ids, so they
// stay inside the 16-bit LOWORD of WM_COMMAND and below 0xFFFF (the id that
// dialogs give their static texts).
constexpr int FIRST_GADGET_IDENTIFIER = 0x8000;
constexpr int LAST_GADGET_IDENTIFIER = 0xFFFE;

struct GadgetKindOps;

struct GadgetPlace {
    int x, y, width, height;
};

struct GadgetRecord {
    HWND window = nullptr;                // the control the gadget operations act on
    const GadgetKindOps* ops = nullptr;
    HWND outer = nullptr;                 // panels: the container around the tab control
    IWebBrowser2* browser = nullptr;      // web views: the hosted browser, owned
    GadgetPlace place{};                  // where the program put it, at 96 dpi
    HFONT font = nullptr;                 // its font as the program chose it (the system's scale)
};

// Behaviour of one gadget kind.  An empty slot means the default: destroy the
// native window, state 0, nothing, the native window text (at most 32000
// characters), set the native window text, nothing, 0 items.  The slots that
// no program calls (items with images, removing and clearing items, the
// kind-specific slot and per-item state and text) are left out.
// A kind names only the operations it has; the others stay null.
struct GadgetKindOps {
    void (*destroy)(GadgetRecord& gadget) = nullptr;
    int (*get_state)(const GadgetRecord& gadget) = nullptr;
    void (*set_state)(GadgetRecord& gadget, int state) = nullptr;
    std::string (*get_text)(const GadgetRecord& gadget) = nullptr;
    void (*set_text)(GadgetRecord& gadget, const std::string& text) = nullptr;
    void (*add_item)(GadgetRecord& gadget, int position, const std::string& text) = nullptr;
    int (*count_items)(const GadgetRecord& gadget) = nullptr;
    // After the gadget was placed and given its font for another scale.
    void (*rescale)(GadgetRecord& gadget, int dpi) = nullptr;
};

extern const GadgetKindOps BUTTON_KIND;
extern const GadgetKindOps CHECK_BOX_KIND;
extern const GadgetKindOps OPTION_KIND;
extern const GadgetKindOps FRAME_KIND;
extern const GadgetKindOps TEXT_KIND;
extern const GadgetKindOps EDIT_KIND;
extern const GadgetKindOps COMBO_BOX_KIND;
extern const GadgetKindOps LIST_BOX_KIND;
extern const GadgetKindOps PROGRESS_BAR_KIND;
extern const GadgetKindOps PANEL_KIND;
extern const GadgetKindOps WEB_VIEW_KIND;
extern const GadgetKindOps IMAGE_VIEW_KIND;

// gadget.cpp: creating a gadget goes begin_gadget, create_control (one or
// more native windows), end_gadget.
int begin_gadget(int number);  // the number or identifier reserved, -1 on failure
HWND gadget_parent();
// The place is given at 96 dpi; the control is made at its window's scale,
// with the font for new gadgets at that scale.
HWND create_control(int id, HWND parent, const wchar_t* class_name, DWORD style, DWORD extended_style,
                    const GadgetPlace& place, const std::string& text);
// `record.place` is the gadget's place at 96 dpi.
intptr_t end_gadget(int number, int id, const GadgetRecord& record);
void push_gadget_parent();     // create_panel saves the parent for close_gadget_list
const std::vector<HWND>& gadgets_in_creation_order();
void forget_gadgets_in(HWND ancestor);  // destroys the gadgets below a window about to go
void init_gadgets();
void release_gadgets();

// gadget_kinds.cpp: options (radio buttons) and the group each belongs to,
// in the order of the window's children.
bool is_option(HWND window);
std::vector<HWND> option_group(HWND option);

// The keyboard.  A gadget list (a window, or a panel page) names the buttons
// that Enter and Escape press in these window properties (set_key_buttons).
inline constexpr wchar_t ENTER_BUTTON_PROPERTY[] = L"KitEnterButton";
inline constexpr wchar_t ESCAPE_BUTTON_PROPERTY[] = L"KitEscapeButton";
// The first gadget below `container`, in creation order, that takes the
// focus from Tab (for an option, the ticked one of its group); it gets the
// focus.  False when there is none.
bool focus_first_tab_stop(HWND container);

// A control whose window procedure the layer replaces keeps the original one
// in a window property; call_base_proc passes messages on to it.
void subclass_control(HWND control, WNDPROC procedure);
LRESULT call_base_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam);

// image_view.cpp: a button showing a bitmap (BM_SETIMAGE) shows it at its
// window's scale, and again at a new one.
void show_scaled_images(HWND button);
void rescale_button_image(GadgetRecord& button, int dpi);

// web_view.cpp: the web view shown below `top` scrolls for an arrow, page,
// Home or End key; false when none is shown or it did not scroll.
bool scroll_shown_web_view(HWND top, UINT key);

// accessible_name.cpp: a gadget about to go loses its name; the names made
// go with the layer.
void forget_accessible_name(HWND control);
void release_accessible_names();

// panel.cpp and web_view.cpp: libraries loaded at run time.
void release_panel_theme();
void release_web_view_host();
