// Gadgets on real controls under Wine: numbering, the kinds' state, text and
// items, the events users raise on them, panels, fonts and the views.
#include "tests/unit/ui_fixture.h"

#include <commctrl.h>

#include "tests/support/scratch.h"

namespace {

using Gadgets = Ui;
using Panels = Ui;
using Views = Ui;

LONG style_of(int gadget) { return GetWindowLongA(gadget_handle(gadget), GWL_STYLE); }

TEST_F(Gadgets, NumbersIdentifiersAndReplacement) {
    EXPECT_EQ(create_button(1, 0, 0, 10, 10, "no parent yet"), 0);
    HWND window = open_program_window();

    HWND two = reinterpret_cast<HWND>(create_button(2, 10, 10, 80, 24, "Two"));
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(gadget_handle(2), two);
    EXPECT_EQ(GetParent(two), window);
    EXPECT_EQ(GetDlgCtrlID(two), 2);
    HWND replaced = reinterpret_cast<HWND>(create_check_box(2, 10, 10, 80, 24, "Again"));
    EXPECT_FALSE(IsWindow(two));
    EXPECT_EQ(gadget_handle(2), replaced);

    // Identifiers are control ids (16 bits) and differ from numbers in use.
    intptr_t a = create_button(-1, 10, 40, 80, 24, "A");
    intptr_t b = create_text(-1, 10, 70, 80, 24, "B");
    EXPECT_NE(a, b);
    for (intptr_t id : {a, b}) {
        EXPECT_TRUE(id > 2 && id < 0xFFFF) << id;
        EXPECT_EQ(GetDlgCtrlID(gadget_handle(static_cast<int>(id))), id);
    }

    // Past the initial 30 entries the table grows.
    HWND distant = reinterpret_cast<HWND>(create_button(100, 100, 10, 80, 24, "Far"));
    EXPECT_EQ(gadget_handle(100), distant);
}

TEST_F(Gadgets, ButtonsCheckBoxesAndProgressBars) {
    open_program_window();
    create_button(0, 0, 0, 310, 135, "", BUTTON_IMAGE | BUTTON_FLAT);
    EXPECT_EQ(style_of(0) & (BS_BITMAP | BS_FLAT | WS_TABSTOP), BS_BITMAP | BS_FLAT | WS_TABSTOP);
    create_check_box(19, 3, 140, 300, 15, "J'accepte");
    EXPECT_EQ(get_text(19), "J'accepte");
    EXPECT_EQ(get_state(19), 0);
    PostMessageA(gadget_handle(19), BM_CLICK, 0, 0);
    EXPECT_EQ(gadgets_of(drain_events()), std::vector<int>{19});
    EXPECT_EQ(get_state(19), 1);
    set_text(19, "\xC3\x9C" "ber");
    EXPECT_EQ(get_text(19), "\xC3\x9C" "ber");

    create_progress_bar(3, 3, 200, 394, 14, 0, 100, 1);
    PBRANGE range{};
    SendMessageA(gadget_handle(3), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 100);
    set_state(3, 40);
    EXPECT_EQ(get_state(3), 40);
}

TEST_F(Gadgets, OptionGroupsStartAfterAnyOtherGadget) {
    open_program_window();
    create_option(1, 10, 10, 100, 15, "A");
    create_option(2, 10, 30, 100, 15, "B");
    create_text(3, 10, 50, 100, 15, "between");
    create_option(4, 10, 70, 100, 15, "C");
    create_option(5, 10, 90, 100, 15, "D");
    EXPECT_EQ(style_of(1), 0x50030009);
    EXPECT_EQ(style_of(2), 0x50010009);
    EXPECT_EQ(style_of(4), 0x50030009);
    EXPECT_EQ(style_of(5), 0x50010009);

    set_state(2, 1);
    set_state(5, 1);
    set_state(1, 1);
    EXPECT_EQ(get_state(1), 1);
    EXPECT_EQ(get_state(2), 0);
    EXPECT_EQ(get_state(5), 1);  // another group

    // A user's click works on the same groups.
    PostMessageA(gadget_handle(4), BM_CLICK, 0, 0);
    EXPECT_EQ(gadgets_of(drain_events()), std::vector<int>{4});
    EXPECT_EQ(get_state(4), 1);
    EXPECT_EQ(get_state(5), 0);
    EXPECT_EQ(get_state(1), 1);
}

TEST_F(Gadgets, ListBoxSelectsScrollsAndRaisesOnlySelectionAndDoubleClick) {
    open_program_window();
    HWND list = reinterpret_cast<HWND>(create_list_box(8, 10, 10, 150, 80));
    HWND other = reinterpret_cast<HWND>(create_button(9, 200, 10, 80, 24, "Other"));
    for (int i = 0; i < 50; ++i) add_item(8, -1, "Line " + std::to_string(i));
    add_item(8, 0, "First");
    EXPECT_EQ(count_items(8), 51);
    EXPECT_EQ(get_state(8), -1);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 0);  // adding does not scroll

    set_state(8, 40);
    EXPECT_EQ(get_state(8), 40);
    EXPECT_EQ(get_text(8), "Line 39");
    LRESULT top = SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    EXPECT_GT(top, 0);
    EXPECT_LE(top, 40);

    set_text(8, "Line 7");
    EXPECT_EQ(get_state(8), 8);
    set_text(8, "line 7");  // bytes, case included
    EXPECT_EQ(get_state(8), -1);
    drain_events();

    SetFocus(list);  // focus notifications raise nothing
    SetFocus(other);
    EXPECT_EQ(drain_events(), std::vector<Delivered>{});

    RECT item;
    SendMessageA(list, LB_GETITEMRECT, SendMessageA(list, LB_GETTOPINDEX, 0, 0), reinterpret_cast<LPARAM>(&item));
    click_at(list, item.left + 5, item.top + 2, true);
    std::vector<Delivered> events = drain_events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), (Delivered{EVENT_GADGET, 8, 0}));
    EXPECT_EQ(events.back(), (Delivered{EVENT_GADGET, 8, 2}));
    for (const Delivered& e : events) EXPECT_TRUE(e.gadget == 8 && (e.type == 0 || e.type == 2)) << e;
}

TEST_F(Gadgets, ComboBoxSetTextSelectsTheExactEntry) {
    open_program_window();
    create_combo_box(9, 10, 10, 150, 200);
    add_item(9, -1, "Alpha");
    add_item(9, -1, "beta");
    add_item(9, -1, "Beta");
    add_item(9, 0, "Zero");
    EXPECT_EQ(count_items(9), 4);
    EXPECT_EQ(get_state(9), -1);
    EXPECT_EQ(get_text(9), "");

    set_text(9, "Beta");  // CB_FINDSTRINGEXACT would take "beta"
    EXPECT_EQ(get_state(9), 3);
    EXPECT_EQ(get_text(9), "Beta");
    set_state(9, 0);
    EXPECT_EQ(get_text(9), "Zero");
    set_text(9, "");
    EXPECT_EQ(get_state(9), -1);
    set_text(9, "Gamma");
    EXPECT_EQ(get_state(9), -1);
}

TEST_F(Gadgets, FontsAreLoadedInPointsAndGivenToNewGadgets) {
    open_program_window();
    HFONT default_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    create_text(1, 0, 0, 100, 20, "default");
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(gadget_handle(1), WM_GETFONT, 0, 0)), default_font);

    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    HFONT bold = reinterpret_cast<HFONT>(load_font(0, "Tahoma", 10, FONT_BOLD));
    LOGFONTA lf{};
    ASSERT_TRUE(GetObjectA(bold, sizeof lf, &lf));
    EXPECT_EQ(lf.lfHeight, -MulDiv(10, dpi, 72));
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_STREQ(lf.lfFaceName, "Tahoma");
    set_gadget_font(1, reinterpret_cast<intptr_t>(bold));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(gadget_handle(1), WM_GETFONT, 0, 0)), bold);
    set_gadget_font(-1, reinterpret_cast<intptr_t>(bold));
    create_text(2, 0, 30, 100, 20, "bold");
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(gadget_handle(2), WM_GETFONT, 0, 0)), bold);
    set_gadget_font(2, -1);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(gadget_handle(2), WM_GETFONT, 0, 0)), default_font);

    // Replacing font 0 frees the old one, and new gadgets fall back to the default.
    load_font(0, "Tahoma", 8, 0);
    EXPECT_EQ(GetObjectType(bold), 0u);
    create_text(3, 0, 60, 100, 20, "after");
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(gadget_handle(3), WM_GETFONT, 0, 0)), default_font);
}

struct Panel {
    HWND tab, page1, page2;
};

Panel build_panel(HWND window) {
    HWND tab = reinterpret_cast<HWND>(create_panel(20, 0, 10, 310, 270));
    add_item(20, -1, "One");
    create_button(1, 2, 3, 100, 22, "On one");
    add_item(20, -1, "Two");
    create_button(2, 2, 3, 100, 22, "On two");
    close_gadget_list();
    create_button(3, 320, 10, 60, 22, "In window");
    EXPECT_EQ(GetParent(gadget_handle(3)), window);
    return Panel{tab, GetParent(gadget_handle(1)), GetParent(gadget_handle(2))};
}

TEST_F(Panels, PagesHoldTheirGadgetsAndOnlyTheSelectedOneShows) {
    HWND window = open_program_window();
    Panel p = build_panel(window);
    HWND container = GetParent(p.tab);
    EXPECT_EQ(class_of(container), "Static");
    EXPECT_EQ(class_of(p.tab), WC_TABCONTROLA);
    EXPECT_EQ(GetDlgCtrlID(container), 20);
    EXPECT_EQ(GetDlgCtrlID(p.tab), 20);
    EXPECT_EQ(GetParent(p.page1), p.tab);
    EXPECT_EQ(GetParent(p.page2), p.tab);
    EXPECT_NE(p.page1, p.page2);
    EXPECT_EQ(count_items(20), 2);
    EXPECT_EQ(get_state(20), 0);
    EXPECT_TRUE(IsWindowVisible(p.page1));
    EXPECT_FALSE(IsWindowVisible(p.page2));

    RECT client, item;
    GetClientRect(p.tab, &client);
    SendMessageA(p.tab, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    int strip = (item.bottom - item.top) * static_cast<int>(SendMessageA(p.tab, TCM_GETROWCOUNT, 0, 0));
    RECT page = rect_in_parent(p.page1);
    EXPECT_EQ(page.left, 2);
    EXPECT_EQ(page.top, strip + 4);
    EXPECT_EQ(page.right - page.left, client.right - 4);
    EXPECT_EQ(page.bottom - page.top, client.bottom - strip - 6);

    drain_events();
    set_state(20, 1);
    EXPECT_EQ(get_state(20), 1);
    EXPECT_EQ(get_text(20), "Two");
    EXPECT_TRUE(IsWindowVisible(p.page2));
    EXPECT_TRUE(IsWindowEnabled(p.page2));
    EXPECT_FALSE(IsWindowVisible(p.page1));
    EXPECT_FALSE(IsWindowEnabled(p.page1));
    EXPECT_EQ(gadgets_of(drain_events()), std::vector<int>{});  // no event for set_state
}

TEST_F(Panels, GadgetsOnPagesAndTheTabStripRaiseEvents) {
    HWND window = open_program_window();
    Panel p = build_panel(window);
    set_state(20, 1);
    set_gadget_parent(p.page2);
    intptr_t id = create_check_box(-1, 2, 30, 100, 20, "allocated");
    drain_events();

    PostMessageA(gadget_handle(2), BM_CLICK, 0, 0);
    PostMessageA(gadget_handle(static_cast<int>(id)), BM_CLICK, 0, 0);
    EXPECT_EQ(gadgets_of(drain_events()), (std::vector<int>{2, static_cast<int>(id)}));

    click_at(p.page2, 150, 150);  // the page's own background: no event
    EXPECT_EQ(gadgets_of(drain_events()), std::vector<int>{});

    RECT item;
    SendMessageA(p.tab, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    std::vector<int> gadgets;
    HWND focus = nullptr;
    while_active(window, [&] {
        click_at(p.tab, (item.left + item.right) / 2, (item.top + item.bottom) / 2);
        gadgets = gadgets_of(drain_events());
        focus = GetFocus();
    });
    EXPECT_EQ(gadgets, std::vector<int>{20});
    EXPECT_EQ(focus, p.tab);
    EXPECT_EQ(get_state(20), 0);
    EXPECT_TRUE(IsWindowVisible(p.page1));
    EXPECT_FALSE(IsWindowVisible(p.page2));
}

HBITMAP solid_bitmap(int width, int height, COLORREF colour) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

TEST_F(Views, ImageViewTakesTheBitmapSizeAndPaintsIt) {
    HWND window = open_program_window();
    HBITMAP red = solid_bitmap(37, 21, RGB(255, 0, 0));
    HWND view = reinterpret_cast<HWND>(create_image_view(0, 5, 6, 0, 0, red));
    HWND edged = reinterpret_cast<HWND>(create_image_view(1, 60, 6, 0, 0, red, WS_EX_CLIENTEDGE));
    HWND empty = reinterpret_cast<HWND>(create_image_view(2, 120, 6, 10, 10, nullptr));
    RECT r = rect_in_parent(view);
    RECT bitmap_place{5, 6, 42, 27};
    EXPECT_TRUE(EqualRect(&r, &bitmap_place));
    r = rect_in_parent(edged);
    EXPECT_EQ(r.right - r.left, 41);
    EXPECT_EQ(r.bottom - r.top, 25);
    r = rect_in_parent(empty);
    EXPECT_EQ(r.right - r.left, 10);

    UpdateWindow(window);
    HDC dc = GetDC(view);
    EXPECT_EQ(GetPixel(dc, 20, 10), RGB(255, 0, 0));
    ReleaseDC(view, dc);

    drain_events();
    click_at(view, 3, 3);
    EXPECT_EQ(drain_events(), (std::vector<Delivered>{{EVENT_GADGET, 0, STN_CLICKED}}));
    release_runtime();
    DeleteObject(red);
    init_runtime();
}

// Under Wine the browser control exists without its HTML engine (disabled
// for the tests): the view is created and navigates, and shows nothing.
TEST_F(Views, WebViewHostsTheBrowserAndNavigates) {
    open_program_window();
    ScratchFolder dir;
    write_bytes(dir / "Concepteur.htm", "<html><body>Concepteur</body></html>");
    write_bytes(dir / "Licence.htm", "<html><body>Licence</body></html>");
    HWND view = reinterpret_cast<HWND>(create_web_view(4, 4, 4, 338, 215, dir / "Concepteur.htm"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(class_of(view), "AtlAxWin");
    EXPECT_NE(get_text(4).find("Concepteur.htm"), std::string::npos) << get_text(4);
    set_text(4, dir / "Licence.htm");  // navigation goes on while messages are pumped
    for (int i = 0; i < 200 && get_text(4).find("Licence.htm") == std::string::npos; ++i) {
        drain_events();
        Sleep(10);
    }
    EXPECT_NE(get_text(4).find("Licence.htm"), std::string::npos) << get_text(4);

    // Replacing the view releases the first one's browser with its window.
    intptr_t id = create_web_view(-1, 4, 4, 338, 215, "");
    ASSERT_NE(id, 0);
    ASSERT_NE(create_web_view(4, 4, 4, 338, 215, ""), 0);
    EXPECT_FALSE(IsWindow(view));
    EXPECT_EQ(get_text(static_cast<int>(id)), "");
}

}  // namespace
