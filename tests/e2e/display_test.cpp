// The programs at display scales from 100 % to 200 %, from the keyboard and
// for a screen reader: every window's client size and every control's place
// are the 96-dpi layout times the scale, the pictures fill their places and
// the texts of both languages fit their controls; Enter, Escape and the
// arrows act as a keyboard user expects, and the focus is where one looks
// for it; the controls whose text says nothing have a name.
#include <gtest/gtest.h>
#include <oleacc.h>
#include <shlobj.h>

#include "driver/kit.h"
#include "uninstaller/uninstall.h"

namespace {

constexpr DWORD LIMIT = 15000;

int scaled(int length, int dpi) { return MulDiv(length, dpi, 96); }

// A control's place at 96 dpi; a height of -1 is not checked (a drop-down
// list's window is as tall as its closed field, whatever it was given).
struct Place {
    int id;
    int x, y, width, height;
};

const Place WIZARD_PLACES[] = {
    {BANNER, 0, 0, 310, 135},           {LICENCE_BUTTON, 2, 3, 300, 20},    {CONSENT_BOX, 3, 24, 300, 15},
    {PROGRAM_FRAME, 2, 48, 300, 168},   {CUSTOM_TEXT, 8, 66, 288, 145},     {QUIT_PAGE_1, 198, 220, 100, 22},
    {NEXT_PAGE_1, 90, 220, 100, 22},    {QUIT_PAGE_2, 198, 220, 100, 22},   {NEXT_PAGE_2, 90, 220, 100, 22},
    {ALL_USERS_OPTION, 2, 3, 300, 15},  {CURRENT_USER_OPTION, 2, 103, 300, 15}, {ALL_USERS_TEXT, 2, 23, 300, 80},
    {CURRENT_USER_TEXT, 2, 123, 300, 80}, {QUIT_PAGE_3, 198, 220, 100, 22}, {NEXT_PAGE_3, 90, 220, 100, 22},
    {DIRECTORY_FRAME, 2, 3, 300, 40},   {BROWSE_BUTTON, 262, 17, 35, 22},   {DIRECTORY_FIELD, 8, 18, 250, 20},
    {RUN_AFTER_FRAME, 2, 48, 300, 40},  {RUN_AFTER_BOX, 8, 63, 290, 20},    {SHORTCUT_FRAME, 2, 93, 300, 40},
    {DESKTOP_BOX, 8, 108, 290, 20},     {QUIT_PAGE_4, 198, 220, 100, 22},   {INSTALL_BUTTON, 90, 220, 100, 22},
};
const Place RESULT_PLACES[] = {
    {RESULT_BANNER, 0, 0, 310, 135},
    {LOG_LIST, 0, 140, 310, 240},
    {OPEN_FOLDER_BUTTON, 96, 382, 100, 25},
    {FINISH_BUTTON, 206, 382, 100, 25},
};
const Place UNINSTALL_PLACES[] = {
    {PROGRESS_BAR, 3, 3, 394, 14},
    {UNINSTALL_BUTTON, 194, 20, 100, 25},
    {CANCEL_BUTTON, 297, 20, 100, 25},
};

// The texts of the windows each run below shows in one language only, in
// the other one: they must fit the buttons they would be on.
struct OtherText {
    const char* text;
    int width, height;
};
const OtherText OTHER_LANGUAGE[] = {
    {"Open folder", 100, 25}, {"Finish", 100, 25}, {"Uninstall", 100, 25}, {"Cancel", 100, 25},
};

void expect_place(HWND window, const Place& p, int dpi, Where where = Where::current()) {
    SCOPED_TRACE(::testing::Message() << "control " << p.id << ", line " << where.line());
    HWND control = find_control(window, p.id);
    ASSERT_NE(control, nullptr);
    RECT r = place_in_parent(control);
    EXPECT_NEAR(r.left, scaled(p.x, dpi), 1);
    EXPECT_NEAR(r.top, scaled(p.y, dpi), 1);
    EXPECT_NEAR(r.right - r.left, scaled(p.width, dpi), 1);
    if (p.height >= 0) {
        EXPECT_NEAR(r.bottom - r.top, scaled(p.height, dpi), 1);
    }
}

void expect_client(HWND window, int width, int height, int dpi, Where where = Where::current()) {
    SCOPED_TRACE(::testing::Message() << window_title(window) << ", line " << where.line());
    SIZE client = client_size(window);
    EXPECT_NEAR(client.cx, scaled(width, dpi), 1);
    EXPECT_NEAR(client.cy, scaled(height, dpi), 1);
}

// The fonts the programs use at a scale: the default GUI font, its 96-dpi
// height (this test program's) brought to the scale, and the frame titles'
// Tahoma 10 points bold.
struct Fonts {
    explicit Fonts(int dpi) {
        LOGFONTA font{};
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);  // this program's, at 96 dpi
        font.lfHeight = font.lfHeight * dpi / 96;  // toward zero: never taller than the room scaled for it
        normal = CreateFontIndirectA(&font);
        title = CreateFontA(-MulDiv(10, dpi, 72), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
    }
    ~Fonts() {
        DeleteObject(normal);
        DeleteObject(title);
    }
    HFONT normal, title;
};

// The size the text takes in `font`: on one line, or wrapped at `wrap`.
SIZE text_size(HFONT font, const std::string& text, int wrap) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    RECT r{0, 0, wrap > 0 ? wrap : 0, 0};
    UINT flags = DT_CALCRECT | (wrap > 0 ? DT_WORDBREAK | DT_EXPANDTABS : DT_SINGLELINE);
    DrawTextA(dc, text.c_str(), -1, &r, flags);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return SIZE{r.right, r.bottom};
}

int line_height(HFONT font) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return metrics.tmHeight;
}

// Room a control keeps from its text: a button's edges, the box or circle
// in front of a check box's or an option's text, a frame's corners.
void expect_text_fits(HWND control, const Fonts& fonts, int dpi) {
    std::string text = window_title(control), kind = window_class(control);
    if (text.empty()) return;
    SIZE room = client_size(control);
    DWORD type = window_style(control) & BS_TYPEMASK;
    bool title = GetDlgCtrlID(control) == PROGRAM_FRAME || text == "Charte de qualit\xE9 :";
    HFONT font = title ? fonts.title : fonts.normal;
    SCOPED_TRACE("\"" + text + "\" in " + kind);
    if (_stricmp(kind.c_str(), "Static") == 0) {
        EXPECT_LE(text_size(font, text, room.cx).cy, room.cy);
    } else if (_stricmp(kind.c_str(), "Button") == 0) {
        SIZE need = text_size(font, text, 0);
        int margin = type == BS_GROUPBOX ? scaled(16, dpi)
                     : (type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON) ? scaled(18, dpi)
                                                                               : scaled(6, dpi);
        EXPECT_LE(need.cx + margin, room.cx);
        if (type != BS_GROUPBOX) {
            EXPECT_LE(need.cy, room.cy);
        }
    }
}

void expect_texts_fit(HWND window, int dpi) {
    Fonts fonts(dpi);
    for (HWND control : descendants(window)) expect_text_fits(control, fonts, dpi);
}

int luminance(COLORREF c) { return (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100; }

// The picture a control shows covers the place made for it: `picture` (its
// size at 96 dpi) brought to the scale, centred in the control.  The kit's
// banner and logo are dark to their edges and the control around them is
// light: two pixels inside those edges the screen is dark, three outside
// (where the control leaves a margin) it is light.
void expect_picture_fills(HWND control, SIZE picture, int dpi, Where where = Where::current()) {
    SCOPED_TRACE(::testing::Message() << "picture at line " << where.line());
    ScreenPixels shown = client_pixels(control);
    ASSERT_FALSE(shown.rgb.empty());
    int width = scaled(picture.cx, dpi), height = scaled(picture.cy, dpi);
    int left = (shown.width - width) / 2, top = (shown.height - height) / 2;
    int inside = 0, dark = 0, outside = 0, light = 0;
    auto look = [&](int x, int y, bool within) {
        if (x < 0 || y < 0 || x >= shown.width || y >= shown.height) return;
        int value = luminance(shown.at(x, y));
        if (within) {
            ++inside;
            dark += value < 150;
        } else {
            ++outside;
            light += value > 180;
        }
    };
    for (int x = left + 2; x < left + width - 2; x += 3) {
        look(x, top + 2, true);
        look(x, top + height - 3, true);
        if (top >= 3) look(x, top - 3, false);
        look(x, top + height + 2, false);
    }
    for (int y = top + 2; y < top + height - 2; y += 3) {
        look(left + 2, y, true);
        look(left + width - 3, y, true);
        if (left >= 3) look(left - 3, y, false);
        look(left + width + 2, y, false);
    }
    EXPECT_GE(dark * 10, inside * 9) << dark << " of " << inside << " pixels inside the edges are the picture's";
    EXPECT_GE(light * 10, outside * 9) << light << " of " << outside << " pixels outside the edges are the margin's, in "
                                       << shown.width << " x " << shown.height;
}

// A run of the kit's programs for a distribution of its own; what the
// installations leave in the shell folders goes with it.
class KitRun : public ::testing::Test {
protected:
    void TearDown() override {
        close_folder_windows();
        remove_shell_traces(ini.name, {ini.shortcut1_name});
    }

    // The wizard's layout in the language chosen in its language window.
    HWND open_wizard(Program& setup, bool english, int dpi) {
        HWND language = wait_built_window(setup, "Langue / Language", "ComboBox");
        if (!language) return nullptr;
        if (!english) {
            expect_client(language, 200, 63, dpi);
            HWND list = find_by_class(language, "ComboBox"), ok = find_by_class(language, "Button", "OK");
            expect_place(language, {GetDlgCtrlID(list), 5, 5, 190, -1}, dpi);
            expect_place(language, {GetDlgCtrlID(ok), 5, 35, 190, 23}, dpi);
            expect_texts_fit(language, dpi);
            Fonts fonts(dpi);
            for (const char* item : {"Francais", "English"})
                EXPECT_LE(text_size(fonts.normal, item, 0).cx + GetSystemMetrics(SM_CXVSCROLL) * dpi / 96,
                          client_size(list).cx);
        }
        if (!choose_language(setup, english)) return nullptr;
        HWND wizard = wait_wizard(setup, ini);
        if (!wizard) return nullptr;
        // The outer size is the plain frame's for the client size; the tool
        // caption, smaller, leaves the client taller by the difference.
        SIZE client = client_size(wizard);
        EXPECT_NEAR(client.cx, scaled(310, dpi), 1);
        EXPECT_GE(client.cy, scaled(405, dpi) - 1);
        EXPECT_LE(client.cy, scaled(405 + 12, dpi));
        for (const Place& p : WIZARD_PLACES) expect_place(wizard, p, dpi);
        if (HWND pages = find_control(wizard, PAGES, "Static")) {
            RECT panel = place_in_parent(pages);
            EXPECT_NEAR(panel.top, scaled(140, dpi), 1);
            EXPECT_NEAR(panel.bottom - panel.top, scaled(270, dpi), 1);
        } else {
            ADD_FAILURE() << "no panel";
        }
        expect_texts_fit(wizard, dpi);
        return wizard;
    }

    SetupIni ini = [] {
        SetupIni i;
        i.name = "KitScale";
        i.shortcut1_name = "KitScale";
        i.multilingual = "1";
        return i;
    }();
    ScratchFolder scratch;
    std::string dir = scratch / "Installe\\";
};

class Scale : public KitRun, public ::testing::WithParamInterface<int> {};

TEST_P(Scale, EveryWindowIsLaidOutForIt) {
    const int dpi = GetParam();
    DisplayScale scale(dpi);
    Distribution dist(ini);
    dist.add_app_and_template();

    // French: the language window, the wizard, the licence window, the
    // result window and the uninstaller.
    Program setup = dist.start_setup();
    HWND wizard = open_wizard(setup, false, dpi);
    ASSERT_NE(wizard, nullptr) << describe_windows(setup);
    expect_picture_fills(find_control(wizard, BANNER), SIZE{300, 125}, dpi);
    ASSERT_TRUE(post_click(wizard, LICENCE_BUTTON));
    HWND licence = wait_built_window(setup, "Concepteur et licence", "SysTabControl32");
    ASSERT_NE(licence, nullptr);
    expect_client(licence, 350, 250, dpi);
    expect_place(licence, {GetDlgCtrlID(find_by_class(licence, "SysTabControl32")), 0, 0, 350, 250}, dpi);
    request_close(licence);
    ASSERT_TRUE(wait_until([&] { return !IsWindow(licence); }, LIMIT));

    press_install(wizard, dir);
    HWND result = wait_installed(setup, ini, dir, LIMIT);
    ASSERT_NE(result, nullptr);
    for (const Place& p : RESULT_PLACES) expect_place(result, p, dpi);
    expect_texts_fit(result, dpi);
    // The log's lines are as tall as the font the texts were measured in.
    Fonts fonts(dpi);
    EXPECT_EQ(SendMessageA(find_control(result, LOG_LIST), LB_GETITEMHEIGHT, 0, 0), line_height(fonts.normal));
    ASSERT_TRUE(finish_setup(setup, result, ini, LIMIT));

    Program uninstaller = start_program(dir + "Uninstall.exe", dir, "");
    HWND window = wait_window(uninstaller, "D\xE9sinstallation", "", LIMIT);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(wait_control(window, CANCEL_BUTTON, LIMIT), nullptr);
    expect_client(window, 400, 47, dpi);
    for (const Place& p : UNINSTALL_PLACES) expect_place(window, p, dpi);
    expect_texts_fit(window, dpi);
    ASSERT_TRUE(click_control(window, UNINSTALL_BUTTON));
    ASSERT_NE(answer_message_box(uninstaller, LIMIT).box, nullptr);
    EXPECT_EQ(wait_program_end(uninstaller, LIMIT), EXIT_DONE);
    for (const OtherText& other : OTHER_LANGUAGE) {
        SIZE need = text_size(fonts.normal, other.text, 0);
        EXPECT_LE(need.cx + scaled(6, dpi), scaled(other.width, dpi)) << other.text;
        EXPECT_LE(need.cy, scaled(other.height, dpi)) << other.text;
    }

    // English: the wizard's texts.
    Program english = dist.start_setup();
    ASSERT_NE(open_wizard(english, true, dpi), nullptr) << describe_windows(english);
    ASSERT_TRUE(click_control(find_window(english.id(), ini.title(), ""), QUIT_PAGE_1));
    EXPECT_EQ(wait_program_end(english, LIMIT), EXIT_CANCELLED);

    // The splash: its logo fills the window.
    Program splash = start_program(program_folder() + "Tarvo.exe", program_folder(), "30");
    HWND logo = wait_window(splash, "Maelwick", "", LIMIT);
    ASSERT_NE(logo, nullptr);
    ASSERT_NE(wait_control(logo, 0, LIMIT), nullptr);
    ASSERT_TRUE(window_answers(logo));
    expect_client(logo, 300, 200, dpi);
    expect_place(logo, {0, 0, 0, 300, 200}, dpi);
    expect_picture_fills(find_control(logo, 0), SIZE{300, 200}, dpi);
    request_close(logo);
    EXPECT_EQ(wait_program_end(splash, LIMIT), 0);
}

INSTANTIATE_TEST_SUITE_P(Dpi, Scale, ::testing::Values(96, 120, 144, 192));

// A window moved to a screen of another scale takes the place Windows
// suggests and the size of that scale, and lays out its controls again.
TEST_F(KitRun, TheWizardMovedToAnotherScaleLaysItselfOutAgain) {
    ini.multilingual = "0";
    Distribution dist(ini);
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    SIZE before = client_size(wizard);
    RECT suggested{40, 30, 40 + 500, 30 + 700};
    ASSERT_TRUE(send_scale_change(wizard, 144, suggested));
    RECT outer = outer_rect(wizard);
    EXPECT_EQ(outer.left, 40);
    EXPECT_EQ(outer.top, 30);
    // The frame of the plain style at 144 dpi around the client size.
    using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    auto adjust = reinterpret_cast<AdjustForDpi>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
    ASSERT_NE(adjust, nullptr);
    RECT expected{0, 0, scaled(310, 144), scaled(405, 144)};
    adjust(&expected, window_style(wizard), FALSE, 0, 144);
    EXPECT_EQ(outer.right - outer.left, expected.right - expected.left);
    EXPECT_EQ(outer.bottom - outer.top, expected.bottom - expected.top);
    EXPECT_GT(client_size(wizard).cx, before.cx);
    for (const Place& p : WIZARD_PLACES) expect_place(wizard, p, 144);
    ASSERT_TRUE(click_control(wizard, QUIT_PAGE_1));
    EXPECT_EQ(wait_program_end(setup, LIMIT), EXIT_CANCELLED);
}

// The key, pressed again until the program answers with a message box,
// which is then answered: keys taken while a window is being built are
// dropped with the rest of its events.
MessageBoxSeen press_until_message_box(const Program& program, HWND window, UINT key, Where where = Where::current()) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        press_key(window, key, where);
        if (wait_until([&] { return find_message_box(program.id()) != nullptr; }, 300))
            return answer_message_box(program, LIMIT, where);
    }
    ADD_FAILURE_AT(where.file_name(), where.line()) << "no message box came";
    return {};
}

// The keyboard alone: the language window, the four pages, the result page
// and the uninstaller, with the focus where it should be at each step.
TEST_F(KitRun, EnterWalksThroughTheInstallationAndTheUninstallation) {
    ini.name = "KitKeys";
    ini.shortcut1_name = "KitKeys";
    Distribution dist(ini);
    dist.add_app_and_template();
    Program setup = dist.start_setup();
    HWND language = wait_built_window(setup, "Langue / Language", "ComboBox");
    ASSERT_NE(language, nullptr);
    HWND list = find_by_class(language, "ComboBox");
    ASSERT_TRUE(wait_until([&] { return focused_control(language) == list; }, LIMIT));
    press_key(language, VK_DOWN);  // the list's own key: "English"
    press_key(language, VK_RETURN);
    HWND wizard = wait_window(setup, ini.title(), "", LIMIT);
    ASSERT_NE(wizard, nullptr);
    ASSERT_NE(wait_control(wizard, INSTALL_BUTTON, LIMIT), nullptr);
    auto focus_on = [&](HWND window, int id) {
        return wait_until([&] { return focused_control(window) == find_control(window, id); }, LIMIT);
    };
    EXPECT_TRUE(focus_on(wizard, LICENCE_BUTTON));

    // Without the licence box ticked, Enter meets the refusal; the focus
    // comes back to where it was.
    MessageBoxSeen refusal = press_until_message_box(setup, wizard, VK_RETURN);
    EXPECT_EQ(refusal.text, "You must accept the licence agreement.");
    EXPECT_TRUE(focus_on(wizard, LICENCE_BUTTON));
    press_key(wizard, VK_TAB);
    ASSERT_TRUE(focus_on(wizard, CONSENT_BOX));
    press_key(wizard, VK_SPACE);
    ASSERT_TRUE(wait_until([&] { return check_state(wizard, CONSENT_BOX) == BST_CHECKED; }, LIMIT));

    // Each page shown gives the focus to its first tab stop; on the third
    // that is the ticked option, and the arrows go from one option to the
    // other as clicks would.
    press_key(wizard, VK_RETURN);
    EXPECT_TRUE(focus_on(wizard, QUIT_PAGE_2));
    EXPECT_EQ(selected_tab(wizard, PAGES), CHARTER_PAGE);
    press_key(wizard, VK_RETURN);
    EXPECT_TRUE(focus_on(wizard, ALL_USERS_OPTION));
    press_key(wizard, VK_DOWN);
    EXPECT_TRUE(focus_on(wizard, CURRENT_USER_OPTION));
    EXPECT_EQ(check_state(wizard, CURRENT_USER_OPTION), BST_CHECKED);
    EXPECT_EQ(control_text(wizard, DIRECTORY_FIELD), shell_folder(CSIDL_APPDATA) + ini.name);
    press_key(wizard, VK_UP);
    EXPECT_TRUE(focus_on(wizard, ALL_USERS_OPTION));
    EXPECT_EQ(check_state(wizard, CURRENT_USER_OPTION), BST_UNCHECKED);
    EXPECT_EQ(check_state(wizard, ALL_USERS_OPTION), BST_CHECKED);
    press_key(wizard, VK_RETURN);
    EXPECT_TRUE(focus_on(wizard, BROWSE_BUTTON));
    ASSERT_TRUE(type_text(wizard, DIRECTORY_FIELD, dir));
    press_key(wizard, VK_RETURN);
    HWND result = wait_installed(setup, ini, dir, LIMIT);
    ASSERT_NE(result, nullptr);

    // On the result page Escape does nothing: the banner's click, taken
    // after it, finds the page as it was.  Enter presses "Finish".
    press_key(result, VK_ESCAPE);
    ASSERT_TRUE(licence_window_answers(setup, result, RESULT_BANNER));
    ASSERT_TRUE(IsWindow(result) && control_enabled(result, FINISH_BUTTON));
    // The program takes keys for its active window: the result window again
    // once the licence window has handed the activation back.
    ASSERT_TRUE(wait_active(result, LIMIT));
    press_key(result, VK_RETURN);
    EXPECT_EQ(wait_program_end(setup, LIMIT), EXIT_DONE);
    EXPECT_TRUE(close_folder_window(ini.name, LIMIT));

    Program uninstaller = start_program(dir + "Uninstall.exe", dir, "");
    HWND window = wait_window(uninstaller, "Uninstall", "", LIMIT);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(focus_on(window, UNINSTALL_BUTTON));
    press_key(window, VK_RETURN);
    ASSERT_NE(answer_message_box(uninstaller, LIMIT).box, nullptr);
    EXPECT_EQ(wait_program_end(uninstaller, LIMIT), EXIT_DONE);
    EXPECT_FALSE(exists(dir + "App.exe"));
}

// Escape closes the licence window, which gives the focus back, and quits
// the wizard with nothing made.
TEST_F(KitRun, EscapeClosesTheLicenceAndQuitsWithNothingMade) {
    ini.name = "KitEscape";
    ini.shortcut1_name = "KitEscape";
    ini.multilingual = "0";
    Distribution dist(ini);
    dist.add_app_and_template();
    Program setup = dist.start_setup();
    HWND wizard = wait_window(setup, ini.title(), "", LIMIT);
    ASSERT_NE(wizard, nullptr);
    ASSERT_NE(wait_control(wizard, INSTALL_BUTTON, LIMIT), nullptr);
    ASSERT_TRUE(wait_until([&] { return focused_control(wizard) == find_control(wizard, LICENCE_BUTTON); }, LIMIT));
    ASSERT_NE(press_until_message_box(setup, wizard, VK_RETURN).box, nullptr);  // the refusal, answered
    press_key(wizard, VK_SPACE);  // the focused button's own key
    HWND licence = wait_built_window(setup, "Concepteur et licence", "SysTabControl32");
    ASSERT_NE(licence, nullptr);
    EXPECT_TRUE(wait_until([&] { return focused_control(licence) == find_by_class(licence, "SysTabControl32"); }, LIMIT));
    press_key(licence, VK_ESCAPE);
    ASSERT_TRUE(wait_until([&] { return !IsWindow(licence); }, LIMIT));
    EXPECT_TRUE(wait_until([&] { return focused_control(wizard) == find_control(wizard, LICENCE_BUTTON); }, LIMIT));
    press_key(wizard, VK_ESCAPE);
    EXPECT_EQ(wait_program_end(setup, LIMIT), EXIT_CANCELLED);
    EXPECT_FALSE(exists("C:\\Program files\\" + ini.name));
    EXPECT_FALSE(exists(start_menu_folder(ini.name)));
    EXPECT_FALSE(apps_entry_exists(HKEY_LOCAL_MACHINE, ini.name) || apps_entry_exists(HKEY_CURRENT_USER, ini.name));
}

// What a screen reader reads for a control: its accessible name, in
// Windows-1252.
std::string accessible_name(HWND control) {
    static const GUID accessible_interface = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, accessible_interface, reinterpret_cast<void**>(&object))))
        return "(no accessible object)";
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::string text;
    if (object->get_accName(self, &name) == S_OK && name) {
        text.resize(WideCharToMultiByte(1252, 0, name, -1, nullptr, 0, nullptr, nullptr));
        WideCharToMultiByte(1252, 0, name, -1, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
        text.resize(text.empty() ? 0 : text.size() - 1);
        SysFreeString(name);
    }
    object->Release();
    return text;
}

// Whether this system gives controls names through the accessibility
// property service (Wine's oleacc answers E_NOTIMPL).
bool names_can_be_given() {
    static const GUID service_class = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
    static const GUID service_interface = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
    static const GUID name_property = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
    CoInitialize(nullptr);
    IAccPropServices* service = nullptr;
    bool works = false;
    if (SUCCEEDED(CoCreateInstance(service_class, nullptr, CLSCTX_INPROC_SERVER, service_interface,
                                   reinterpret_cast<void**>(&service)))) {
        HWND probe = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        works = SUCCEEDED(service->SetHwndPropStr(probe, OBJID_CLIENT, CHILDID_SELF, name_property, L"x"));
        DestroyWindow(probe);
        service->Release();
    }
    return works;
}

TEST_F(KitRun, ScreenReadersNameTheControlsWhoseTextSaysNothing) {
    if (!names_can_be_given())
        GTEST_SKIP() << "this system's accessibility property service gives no names (Wine: SetHwndPropStr is not "
                        "implemented), so screen readers read the controls' texts";
    Distribution dist(ini);
    dist.add_app_and_template();
    Program setup = dist.start_setup();
    HWND language = wait_built_window(setup, "Langue / Language", "ComboBox");
    ASSERT_NE(language, nullptr);
    EXPECT_EQ(accessible_name(find_by_class(language, "ComboBox")), "Langue / Language");
    ASSERT_TRUE(choose_language(setup, false));
    HWND wizard = wait_wizard(setup, ini);
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(accessible_name(find_control(wizard, BANNER)), "Concepteur - Licence");
    EXPECT_EQ(accessible_name(find_control(wizard, BROWSE_BUTTON)), "Parcourir...");
    EXPECT_EQ(accessible_name(find_control(wizard, DIRECTORY_FIELD)), "Dossier d'installation");
    EXPECT_EQ(control_text(wizard, BROWSE_BUTTON), "...");
    press_install(wizard, dir);
    HWND result = wait_installed(setup, ini, dir, LIMIT);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(accessible_name(find_control(result, LOG_LIST)), "Journal de l'installation");
    EXPECT_TRUE(finish_setup(setup, result, ini, LIMIT));
}

}  // namespace
