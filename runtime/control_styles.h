// The native styles of the gadgets' controls, written as the flags they
// combine.  Each is pinned to its number: the controls' look and keyboard
// order depend on these exact bits.
#pragma once

#include <windows.h>
#include <commctrl.h>

constexpr DWORD SHOWN_CHILD = WS_CHILD | WS_VISIBLE;
constexpr DWORD TAB_STOP_GROUP = WS_GROUP | WS_TABSTOP;

constexpr DWORD BUTTON_STYLE = SHOWN_CHILD | TAB_STOP_GROUP;
constexpr DWORD CHECK_BOX_STYLE = BUTTON_STYLE | BS_AUTOCHECKBOX;
constexpr DWORD FIRST_OPTION_STYLE = SHOWN_CHILD | TAB_STOP_GROUP | BS_AUTORADIOBUTTON;  // opens a group
constexpr DWORD NEXT_OPTION_STYLE = SHOWN_CHILD | WS_TABSTOP | BS_AUTORADIOBUTTON;      // joins the group
constexpr DWORD FRAME_STYLE = SHOWN_CHILD | WS_GROUP | BS_GROUPBOX;
constexpr DWORD TEXT_STYLE = SHOWN_CHILD | WS_GROUP | SS_LEFT;
constexpr DWORD EDIT_STYLE = SHOWN_CHILD | TAB_STOP_GROUP | ES_AUTOHSCROLL;
constexpr DWORD COMBO_BOX_STYLE =
    SHOWN_CHILD | WS_BORDER | WS_VSCROLL | TAB_STOP_GROUP | CBS_HASSTRINGS | CBS_DROPDOWNLIST;
constexpr DWORD LIST_BOX_STYLE =
    SHOWN_CHILD | WS_VSCROLL | WS_HSCROLL | TAB_STOP_GROUP | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | LBS_NOTIFY;
constexpr DWORD PROGRESS_BAR_STYLE = SHOWN_CHILD;  // with the caller's flags
constexpr DWORD IMAGE_VIEW_STYLE = SHOWN_CHILD | SS_NOTIFY;
constexpr DWORD PANEL_OUTER_STYLE = SHOWN_CHILD | SS_NOTIFY;  // the container of the tab control
constexpr DWORD PANEL_TABS_STYLE = SHOWN_CHILD | TAB_STOP_GROUP;
constexpr DWORD PANEL_PAGE_STYLE = WS_CHILD | SS_NOTIFY;      // shown when its tab is chosen
constexpr DWORD WEB_VIEW_STYLE = SHOWN_CHILD;

static_assert(BUTTON_STYLE == 0x50030000);
static_assert(CHECK_BOX_STYLE == 0x50030003);
static_assert(FIRST_OPTION_STYLE == 0x50030009);
static_assert(NEXT_OPTION_STYLE == 0x50010009);
static_assert(FRAME_STYLE == 0x50020007);
static_assert(TEXT_STYLE == 0x50020000);
static_assert(EDIT_STYLE == 0x50030080);
static_assert(COMBO_BOX_STYLE == 0x50A30203);
static_assert(LIST_BOX_STYLE == 0x50330141);
static_assert(PROGRESS_BAR_STYLE == 0x50000000);
static_assert(IMAGE_VIEW_STYLE == 0x50000100);
static_assert(PANEL_OUTER_STYLE == 0x50000100);
static_assert(PANEL_TABS_STYLE == 0x50030000);
static_assert(PANEL_PAGE_STYLE == 0x40000100);
static_assert(WEB_VIEW_STYLE == 0x50000000);
