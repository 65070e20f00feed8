// Gadgets: the numbered controls placed in the program's windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

constexpr uint32_t BUTTON_IMAGE = 0x80;   // BS_BITMAP: shows a bitmap instead of the caption
constexpr uint32_t BUTTON_FLAT = 0x8000;  // BS_FLAT

constexpr int FONT_UNDERLINE = 4;
constexpr int FONT_STRIKEOUT = 8;
constexpr int FONT_HIGH_QUALITY = 0x10;
constexpr int FONT_BOLD = 0x100;
constexpr int FONT_ITALIC = 0x200;

// Where new gadgets go.
int set_gadget_parent(HWND window);  // non-zero on success
void close_gadget_list();            // back to the parent saved by the last create_panel

// Each returns the native handle (the identifier for number -1), 0 on failure.
intptr_t create_button(int number, int x, int y, int width, int height, const std::string& text,
                       uint32_t flags = 0);
intptr_t create_check_box(int number, int x, int y, int width, int height, const std::string& text);
intptr_t create_option(int number, int x, int y, int width, int height, const std::string& text);
intptr_t create_frame(int number, int x, int y, int width, int height, const std::string& text);
intptr_t create_text(int number, int x, int y, int width, int height, const std::string& text);
intptr_t create_edit(int number, int x, int y, int width, int height, const std::string& text);
intptr_t create_combo_box(int number, int x, int y, int width, int height);
intptr_t create_list_box(int number, int x, int y, int width, int height);
intptr_t create_panel(int number, int x, int y, int width, int height);
intptr_t create_web_view(int number, int x, int y, int width, int height, const std::string& address);
intptr_t create_image_view(int number, int x, int y, int width, int height, HBITMAP bitmap,
                           uint32_t extended_style = 0);
intptr_t create_progress_bar(int number, int x, int y, int width, int height, int minimum,
                             int maximum, uint32_t flags = 0);

HWND gadget_handle(int number);
int get_state(int number);
void set_state(int number, int state);
std::string get_text(int number);
void set_text(int number, const std::string& text);
void add_item(int number, int position, const std::string& text);  // position -1 appends
int count_items(int number);
void disable_gadget(int number, int state);                        // non-zero disables

// The keyboard beyond Tab: in the gadget list being filled (the window, or
// the panel page just added), Enter presses gadget `enter` and Escape
// gadget `escape`, as a click would; -1 for a key that presses nothing
// there.  Escape closes a window that has a close box and no Escape
// button, as its box does.
void set_key_buttons(int enter, int escape);

// The name a screen reader gives the gadget where its text does not say
// what it is (a picture, "...", a field, a list); the text stays as it is.
void set_accessible_name(int gadget, const std::string& name);

// Fonts.  load_font returns the native font handle (identifier for -1).
// Sizes are points; each gadget shows its font made for its window's scale.
// set_gadget_font takes a font handle, or -1 for the default GUI font; with
// gadget -1 it sets the font of the gadgets created afterwards.
intptr_t load_font(int number, const std::string& face, int points, int flags);
void set_gadget_font(int gadget, intptr_t font);
