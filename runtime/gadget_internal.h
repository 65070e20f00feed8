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

struct GadgetRecord {
    HWND window = nullptr;                // the control the gadget operations act on
    const GadgetKindOps* ops = nullptr;
    HWND outer = nullptr;                 // panels: the container around the tab control
    IWebBrowser2* browser = nullptr;      // web views: the hosted browser, owned
};

// Behaviour of one gadget kind.  An empty slot means the default: destroy the
// native window, state 0, nothing, the native window text (at most 32000
// characters), set the native window text, nothing, 0 items.  The slots that
// no program calls (items with images, removing and clearing items, the
// kind-specific slot and per-item state and text) are left out.
struct GadgetKindOps {
    void (*destroy)(GadgetRecord& gadget);
    int (*get_state)(const GadgetRecord& gadget);
    void (*set_state)(GadgetRecord& gadget, int state);
    std::string (*get_text)(const GadgetRecord& gadget);
    void (*set_text)(GadgetRecord& gadget, const std::string& text);
    void (*add_item)(GadgetRecord& gadget, int position, const std::string& text);
    int (*count_items)(const GadgetRecord& gadget);
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

struct GadgetPlace {
    int x, y, width, height;
};

// gadget.cpp: creating a gadget goes begin_gadget, create_control (one or
// more native windows), end_gadget.
int begin_gadget(int number);  // the number or identifier reserved, -1 on failure
HWND gadget_parent();
HWND create_control(int id, HWND parent, const char* class_name, DWORD style, DWORD extended_style,
                    const GadgetPlace& place, const std::string& text);
intptr_t end_gadget(int number, int id, const GadgetRecord& record);
void push_gadget_parent();     // create_panel saves the parent for close_gadget_list
const std::vector<HWND>& gadgets_in_creation_order();
void forget_gadgets_in(HWND ancestor);  // destroys the gadgets below a window about to go
void init_gadgets();
void release_gadgets();

// A control whose window procedure the layer replaces keeps the original one
// in a window property; call_base_proc passes messages on to it.
void subclass_control(HWND control, WNDPROC procedure);
LRESULT call_base_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam);

// panel.cpp and web_view.cpp: libraries loaded at run time.
void release_panel_theme();
void release_web_view_host();
