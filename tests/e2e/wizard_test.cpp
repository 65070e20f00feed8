// The real Setup.exe up to its wizard: start-up, language, pages, the
// proposed directory and its rules, the consent check, the licence window.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "driver/kit.h"

namespace {

constexpr DWORD LIMIT = 15000;

// Both languages' texts of the wizard, in the order the tests read them.
struct WizardTexts {
    const char* tabs[4];
    const char* licence;
    const char* consent;
    const char* quit;
    const char* next;
    const char* install;
    const char* all_users;
    const char* current_user;
    const char* all_users_text_start;
    const char* directory;
    const char* run_after;
    const char* shortcut;
    const char* desktop;
    const char* charter_start;
};

const WizardTexts FRENCH = {
    {"Installation", "Charte", "Utilisation", "Options"},
    "Concepteur - Licence",
    "J'ai lu et j'accepte la licence.",
    "Quitter",
    "Suivant",
    "Installer",
    "Utilisation sur un ordinateur personnel.",
    "Utilisation sur un ordinateur familial ou d'entreprise.",
    "Cette installation donne \xE0 tous les utilisateurs",
    "Dossier d'installation",
    "Lancer apr\xE8s l'installation",
    "Raccourci",
    "Cr\xE9" "er un raccourci sur le bureau",
    "Ce logiciel n'installe aucun fichier",
};

const WizardTexts ENGLISH = {
    {"Install", "Charter", "Use", "Options"},
    "Designer - Licence agreement",
    "I read and I accept the licence agreement",
    "Quit",
    "Next",
    "Install",
    "On personnal computer",
    "On family or enterprise computer",
    "This install give access of this software for all user.",
    "Install directory",
    "Run after installation",
    "Shortcut",
    "Create shorcut on the desktop",
    "This software install file only in the install directory",
};

bool starts_with(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

void expect_wizard_texts(HWND wizard, const WizardTexts& t, const SetupIni& ini, Where where = Where::current()) {
    SCOPED_TRACE(::testing::Message() << "called from line " << where.line());
    EXPECT_EQ(tab_captions(wizard, PAGES), (std::vector<std::string>{t.tabs[0], t.tabs[1], t.tabs[2], t.tabs[3]}));
    EXPECT_EQ(control_text(wizard, LICENCE_BUTTON), t.licence);
    EXPECT_EQ(control_text(wizard, CONSENT_BOX), t.consent);
    EXPECT_EQ(control_text(wizard, PROGRAM_FRAME), ini.title());
    for (int quit : {QUIT_PAGE_1, QUIT_PAGE_2, QUIT_PAGE_3, QUIT_PAGE_4})
        EXPECT_EQ(control_text(wizard, quit), t.quit) << quit;
    for (int next : {NEXT_PAGE_1, NEXT_PAGE_2, NEXT_PAGE_3}) EXPECT_EQ(control_text(wizard, next), t.next) << next;
    EXPECT_EQ(control_text(wizard, INSTALL_BUTTON), t.install);
    EXPECT_EQ(control_text(wizard, ALL_USERS_OPTION), t.all_users);
    EXPECT_EQ(control_text(wizard, CURRENT_USER_OPTION), t.current_user);
    EXPECT_TRUE(starts_with(control_text(wizard, ALL_USERS_TEXT), t.all_users_text_start));
    EXPECT_EQ(control_text(wizard, DIRECTORY_FRAME), t.directory);
    EXPECT_EQ(control_text(wizard, BROWSE_BUTTON), "...");
    EXPECT_EQ(control_text(wizard, RUN_AFTER_FRAME), t.run_after);
    EXPECT_EQ(control_text(wizard, RUN_AFTER_BOX), ini.run_after);
    EXPECT_EQ(control_text(wizard, SHORTCUT_FRAME), t.shortcut);
    EXPECT_EQ(control_text(wizard, DESKTOP_BOX), t.desktop);
    EXPECT_NE(find_by_class(wizard, "Button", "Charte de qualit\xE9 :"), nullptr);
    bool charter_found = false;
    for (HWND child : descendants(wizard))
        if (window_class(child) == "Static" && starts_with(window_title(child), t.charter_start)) charter_found = true;
    EXPECT_TRUE(charter_found);
}

// A close request ends the wizard like its quit buttons.
void quit_wizard(Program& setup, HWND wizard) {
    EXPECT_TRUE(request_close(wizard));
    EXPECT_GE(wait_program_end(setup, LIMIT), 0);
}

SetupIni ini_named(const std::string& name, const std::string& multilingual = "0") {
    SetupIni ini;
    ini.name = name;
    ini.shortcut1_name = name;
    ini.multilingual = multilingual;
    return ini;
}

TEST(Wizard, FreshInstallationProposal) {
    SetupIni ini = ini_named("KitFresh");
    Distribution dist(ini);
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    EXPECT_TRUE(IsWindowVisible(wizard));
    EXPECT_TRUE(is_topmost(wizard));
    EXPECT_TRUE(window_ex_style(wizard) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(window_style(wizard) & WS_SYSMENU);  // no close box
    EXPECT_EQ(selected_tab(wizard, PAGES), PRESENTATION_PAGE);
    EXPECT_TRUE(control_visible(wizard, CONSENT_BOX));
    EXPECT_FALSE(control_visible(wizard, DIRECTORY_FIELD));
    EXPECT_EQ(control_text(wizard, DIRECTORY_FIELD), "C:\\Program files\\KitFresh");
    EXPECT_EQ(check_state(wizard, ALL_USERS_OPTION), BST_CHECKED);
    EXPECT_EQ(check_state(wizard, CURRENT_USER_OPTION), BST_UNCHECKED);
    EXPECT_TRUE(control_enabled(wizard, DIRECTORY_FIELD));
    EXPECT_TRUE(control_enabled(wizard, BROWSE_BUTTON));
    EXPECT_TRUE(control_enabled(wizard, CURRENT_USER_OPTION));
    EXPECT_EQ(check_state(wizard, DESKTOP_BOX), BST_CHECKED);
    EXPECT_EQ(check_state(wizard, RUN_AFTER_BOX), BST_CHECKED);
    EXPECT_EQ(check_state(wizard, CONSENT_BOX), BST_UNCHECKED);
    EXPECT_EQ(control_text(wizard, CUSTOM_TEXT), "Bienvenue\n\n\n\n\n\n\n\nFin\n");
    EXPECT_TRUE(click_control(wizard, QUIT_PAGE_1));
    EXPECT_GE(wait_program_end(setup, LIMIT), 0);
}

TEST(Wizard, NothingToRunAfterwardsUnticksBothBoxes) {
    SetupIni ini = ini_named("KitNoRun");
    ini.run_after = "";
    Distribution dist(ini);
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(check_state(wizard, RUN_AFTER_BOX), BST_UNCHECKED);
    EXPECT_FALSE(control_enabled(wizard, RUN_AFTER_BOX));
    EXPECT_EQ(check_state(wizard, DESKTOP_BOX), BST_UNCHECKED);
    quit_wizard(setup, wizard);
}

TEST(Wizard, ConsentIsCheckedByNextAndByInstall) {
    SetupIni ini = ini_named("KitConsent");
    Distribution dist(ini);
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    ASSERT_TRUE(click_tab(wizard, PAGES, OPTIONS_PAGE));
    EXPECT_TRUE(control_visible(wizard, INSTALL_BUTTON));
    EXPECT_TRUE(click_control(wizard, INSTALL_BUTTON));
    MessageBoxSeen seen = answer_message_box(setup, LIMIT);
    EXPECT_EQ(seen.title, "Erreur");
    EXPECT_EQ(seen.text, "Vous n'avez pas accept\xE9 la licence d'utilisation du logiciel");
    EXPECT_FALSE(exists("C:\\Program files\\KitConsent"));
    EXPECT_TRUE(IsWindow(wizard));

    ASSERT_TRUE(click_tab(wizard, PAGES, PRESENTATION_PAGE));
    EXPECT_TRUE(click_control(wizard, NEXT_PAGE_1));
    seen = answer_message_box(setup, LIMIT);
    EXPECT_EQ(seen.title, "Erreur");
    EXPECT_EQ(selected_tab(wizard, PAGES), PRESENTATION_PAGE);

    // With the box ticked, "Suivant" walks the pages.
    EXPECT_TRUE(click_control(wizard, CONSENT_BOX));
    EXPECT_TRUE(click_control(wizard, NEXT_PAGE_1));
    EXPECT_TRUE(wait_until([&] { return selected_tab(wizard, PAGES) == CHARTER_PAGE; }, LIMIT));
    EXPECT_TRUE(click_control(wizard, NEXT_PAGE_2));
    EXPECT_TRUE(wait_until([&] { return selected_tab(wizard, PAGES) == USE_PAGE; }, LIMIT));
    EXPECT_TRUE(click_control(wizard, NEXT_PAGE_3));
    EXPECT_TRUE(wait_until([&] { return selected_tab(wizard, PAGES) == OPTIONS_PAGE; }, LIMIT));
    EXPECT_TRUE(control_visible(wizard, DIRECTORY_FIELD));
    EXPECT_FALSE(control_visible(wizard, CONSENT_BOX));
    EXPECT_TRUE(click_control(wizard, QUIT_PAGE_4));
    EXPECT_GE(wait_program_end(setup, LIMIT), 0);
}

HWND wait_language_window(const Program& setup) {
    return wait_built_window(setup, "Langue / Language", "ComboBox");
}

TEST(Wizard, EnglishChosenGivesEnglishOnEveryPage) {
    SetupIni ini = ini_named("KitEnglish", "1");
    Distribution dist(ini);
    Program setup = dist.start_setup();
    HWND language = wait_language_window(setup);
    ASSERT_NE(language, nullptr);
    SIZE size = client_size(language);
    EXPECT_EQ(size.cx, 200);
    EXPECT_EQ(size.cy, 63);
    HWND list = find_by_class(language, "ComboBox");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(combo_selection(language, GetDlgCtrlID(list)), FRENCH_ENTRY);
    ASSERT_TRUE(select_combo_item(language, GetDlgCtrlID(list), ENGLISH_ENTRY));
    HWND ok = find_by_class(language, "Button", "OK");
    ASSERT_NE(ok, nullptr);
    ASSERT_TRUE(click_control(language, GetDlgCtrlID(ok)));
    HWND wizard = wait_wizard(setup, ini);
    ASSERT_NE(wizard, nullptr);
    EXPECT_FALSE(IsWindow(language));
    expect_wizard_texts(wizard, ENGLISH, ini);
    EXPECT_EQ(control_text(wizard, CUSTOM_TEXT), "Welcome\n\n\n\n\n\n\n\nEnd\n");
    quit_wizard(setup, wizard);
}

TEST(Wizard, LanguageWindowClosedOrNotAskedGivesFrench) {
    SetupIni ini = ini_named("KitFrench", "-1");
    {
        Distribution dist(ini);
        Program setup = dist.start_setup();
        HWND language = wait_language_window(setup);
        ASSERT_NE(language, nullptr);
        ASSERT_TRUE(select_combo_item(language, GetDlgCtrlID(find_by_class(language, "ComboBox")), ENGLISH_ENTRY));
        EXPECT_TRUE(request_close(language));  // English picked, but never confirmed
        HWND wizard = wait_wizard(setup, ini);
        ASSERT_NE(wizard, nullptr);
        expect_wizard_texts(wizard, FRENCH, ini);
        quit_wizard(setup, wizard);
    }
    ini.multilingual = "256";  // only the low byte counts
    Distribution dist(ini);
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(find_window(setup.id(), "Langue / Language", ""), nullptr);
    EXPECT_EQ(tab_captions(wizard, PAGES)[PRESENTATION_PAGE], "Installation");
    quit_wizard(setup, wizard);
}

// An earlier installation for the current user, in French, as its record
// and its update-information file show it.
class EarlierInstallation : public ::testing::Test {
protected:
    void SetUp() override {
        previous = shell_folder(CSIDL_APPDATA) + "KitEarlier\\";
        remove_tree(previous);
        make_folder(previous);
        write_bytes(previous + "Uninstall.dat", "[Langue]\r\nFR\r\n");
        write_bytes(previous + "Uninstall.exe", "old");
        CreateDirectoryA((shell_folder(CSIDL_PROGRAMS) + "Tarvo").c_str(), nullptr);
        CreateDirectoryA(start_menu_folder(ini.name).c_str(), nullptr);
        write_bytes(start_menu_folder(ini.name) + "Mise \xE0 jour.Txt", previous + "\r\n\r\nKitEarlier - v1.0\r\n");
    }
    void TearDown() override {
        remove_tree(previous);
        remove_shell_traces(ini.name, {ini.shortcut1_name});
    }
    SetupIni ini = ini_named("KitEarlier");
    std::string previous;
};

TEST_F(EarlierInstallation, IsProposedAndLockedInItsKindOfUse) {
    Distribution dist(ini);
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(check_state(wizard, CURRENT_USER_OPTION), BST_CHECKED);
    EXPECT_EQ(check_state(wizard, ALL_USERS_OPTION), BST_UNCHECKED);
    EXPECT_EQ(control_text(wizard, DIRECTORY_FIELD), previous);
    EXPECT_FALSE(control_enabled(wizard, DIRECTORY_FIELD));
    EXPECT_FALSE(control_enabled(wizard, BROWSE_BUTTON));
    // Its desktop shortcut is gone, so none is proposed again.
    EXPECT_EQ(check_state(wizard, DESKTOP_BOX), BST_UNCHECKED);

    ASSERT_TRUE(click_tab(wizard, PAGES, USE_PAGE));
    EXPECT_TRUE(click_control(wizard, ALL_USERS_OPTION));
    EXPECT_TRUE(wait_until([&] { return control_enabled(wizard, DIRECTORY_FIELD); }, LIMIT));
    EXPECT_TRUE(control_enabled(wizard, BROWSE_BUTTON));
    EXPECT_EQ(control_text(wizard, DIRECTORY_FIELD), "C:\\Program files\\KitEarlier");
    EXPECT_TRUE(click_control(wizard, CURRENT_USER_OPTION));
    EXPECT_TRUE(wait_until([&] { return !control_enabled(wizard, DIRECTORY_FIELD); }, LIMIT));
    EXPECT_FALSE(control_enabled(wizard, BROWSE_BUTTON));
    EXPECT_EQ(control_text(wizard, DIRECTORY_FIELD), previous);
    quit_wizard(setup, wizard);
}

TEST_F(EarlierInstallation, KeptDesktopShortcutIsProposedAgain) {
    write_bytes(shell_folder(CSIDL_DESKTOPDIRECTORY) + ini.shortcut1_name + ".lnk", "link");
    Distribution dist(ini);
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(check_state(wizard, DESKTOP_BOX), BST_CHECKED);
    quit_wizard(setup, wizard);
}

TEST_F(EarlierInstallation, FrenchFileIsNotFoundByAnEnglishRun) {
    Distribution dist(ini_named(ini.name, "1"));
    Program setup = dist.start_setup();
    ASSERT_TRUE(choose_language(setup, true));
    HWND wizard = wait_wizard(setup, dist.ini());
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(check_state(wizard, ALL_USERS_OPTION), BST_CHECKED);
    EXPECT_EQ(control_text(wizard, DIRECTORY_FIELD), "C:\\Program files\\KitEarlier");
    EXPECT_TRUE(control_enabled(wizard, DIRECTORY_FIELD));
    quit_wizard(setup, wizard);
}

TEST_F(EarlierInstallation, WithoutItsTwoFilesItIsNotRecognised) {
    DeleteFileA((previous + "Uninstall.exe").c_str());
    Distribution dist(ini);
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(check_state(wizard, ALL_USERS_OPTION), BST_CHECKED);
    EXPECT_EQ(control_text(wizard, DIRECTORY_FIELD), "C:\\Program files\\KitEarlier");
    EXPECT_EQ(check_state(wizard, DESKTOP_BOX), BST_CHECKED);
    quit_wizard(setup, wizard);
}

TEST(Wizard, CurrentUserDirectoryStaysInsideApplicationData) {
    SetupIni ini = ini_named("KitTyped");
    Distribution dist(ini);
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    std::string appdata = shell_folder(CSIDL_APPDATA);
    ASSERT_TRUE(click_tab(wizard, PAGES, USE_PAGE));
    EXPECT_TRUE(click_control(wizard, CURRENT_USER_OPTION));
    EXPECT_TRUE(wait_until([&] { return control_text(wizard, DIRECTORY_FIELD) == appdata + "KitTyped"; }, LIMIT));
    ASSERT_TRUE(click_tab(wizard, PAGES, OPTIONS_PAGE));
    EXPECT_TRUE(type_text(wizard, DIRECTORY_FIELD, "D:\\Elsewhere\\KitTyped"));
    EXPECT_TRUE(wait_until([&] { return control_text(wizard, DIRECTORY_FIELD) == appdata + "KitTyped"; }, LIMIT))
        << control_text(wizard, DIRECTORY_FIELD);
    // A directory inside it stays as typed: once the wizard has answered a
    // click that came after the typing, the field still holds it.
    EXPECT_TRUE(type_text(wizard, DIRECTORY_FIELD, appdata + "Tools\\KitTyped"));
    EXPECT_TRUE(licence_window_answers(setup, wizard, BANNER));
    EXPECT_EQ(control_text(wizard, DIRECTORY_FIELD), appdata + "Tools\\KitTyped");
    // Each kind of use keeps its own directory.
    ASSERT_TRUE(click_tab(wizard, PAGES, USE_PAGE));
    EXPECT_TRUE(click_control(wizard, ALL_USERS_OPTION));
    EXPECT_TRUE(wait_until([&] { return control_text(wizard, DIRECTORY_FIELD) == "C:\\Program files\\KitTyped"; },
                           LIMIT));
    EXPECT_TRUE(click_control(wizard, CURRENT_USER_OPTION));
    EXPECT_TRUE(wait_until([&] { return control_text(wizard, DIRECTORY_FIELD) == appdata + "Tools\\KitTyped"; },
                           LIMIT));
    quit_wizard(setup, wizard);
}

void expect_licence_round_trip(const Program& setup, HWND wizard, int opener, Where where = Where::current()) {
    SCOPED_TRACE(::testing::Message() << "called from line " << where.line());
    ASSERT_TRUE(click_control(wizard, opener));
    HWND licence = wait_built_window(setup, "Concepteur et licence", "SysTabControl32");
    ASSERT_NE(licence, nullptr);
    EXPECT_TRUE(wait_until([&] { return !IsWindowEnabled(wizard); }, LIMIT));
    SIZE size = client_size(licence);
    EXPECT_EQ(size.cx, 350);
    EXPECT_EQ(size.cy, 250);
    EXPECT_TRUE(is_topmost(licence));
    EXPECT_TRUE(window_ex_style(licence) & WS_EX_TOOLWINDOW);
    HWND tabs = find_by_class(licence, "SysTabControl32");
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tab_captions(licence, GetDlgCtrlID(tabs)),
              (std::vector<std::string>{"Concepteur / Designer", "Licence"}));
    EXPECT_EQ(selected_tab(licence, GetDlgCtrlID(tabs)), 0);
    EXPECT_TRUE(request_close(licence));
    EXPECT_TRUE(wait_until([&] { return !IsWindow(licence); }, LIMIT));
    EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(wizard) != FALSE; }, LIMIT));
    // In front again: no window of the program is above it, and the
    // activation came back to it, not to another program.
    EXPECT_TRUE(is_topmost(wizard));
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    EXPECT_TRUE(wait_until([&] {
        return GetGUIThreadInfo(GetWindowThreadProcessId(wizard, nullptr), &thread) && thread.hwndActive == wizard;
    }, LIMIT));
}

TEST(Wizard, LicenceWindowFromTheBannerAndTheButton) {
    SetupIni ini = ini_named("KitLicence");
    Distribution dist(ini);
    make_folder(dist.path("Licence"));
    dist.write("Licence\\Concepteur.htm", "<html><body>Designer</body></html>");
    dist.write("Licence\\Licence.htm", "<html><body>Licence</body></html>");
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    expect_licence_round_trip(setup, wizard, BANNER);
    expect_licence_round_trip(setup, wizard, LICENCE_BUTTON);
    EXPECT_EQ(selected_tab(wizard, PAGES), PRESENTATION_PAGE);  // the wizard stays on its page
    quit_wizard(setup, wizard);
}

TEST(Splash, EndsByItselfAfterItsTime) {
    ScratchFolder folder;
    DWORD start = GetTickCount();
    Program splash = start_program(program_folder() + "Tarvo.exe", folder.path(), "0.5");
    EXPECT_NE(wait_any_window(splash, "Maelwick", "", LIMIT), nullptr);
    EXPECT_GE(wait_program_end(splash, LIMIT), 0);
    EXPECT_GE(GetTickCount() - start, 500u);
}

TEST(Splash, WithoutATimeItStaysUntilAskedToClose) {
    ScratchFolder folder;
    Program splash = start_program(program_folder() + "Tarvo.exe", folder.path(), "");
    HWND window = wait_built_window(splash, "Maelwick", "Static", false);
    ASSERT_NE(window, nullptr);
    SIZE size = client_size(window);
    EXPECT_EQ(size.cx, 300);
    EXPECT_EQ(size.cy, 200);
    RECT outer = outer_rect(window);
    EXPECT_EQ(outer.right - outer.left, 300);  // no frame
    EXPECT_EQ(outer.bottom - outer.top, 200);
    EXPECT_TRUE(window_style(window) & WS_POPUP);
    EXPECT_FALSE(window_style(window) & WS_CAPTION);
    EXPECT_TRUE(is_topmost(window));
    // The view takes the logo's size right after it is made.
    HWND logo = find_by_class(window, "Static");
    RECT logo_rect{};
    EXPECT_TRUE(wait_until([&] {
        GetClientRect(logo, &logo_rect);
        return logo_rect.right == 300 && logo_rect.bottom == 200;
    }, LIMIT)) << logo_rect.right << " x " << logo_rect.bottom;
    // Twice the time a "0.5" run stays, and still there, taking messages in
    // its loop with its window shown.
    EXPECT_FALSE(wait_until([&] { return !program_running(splash); }, 1000));
    EXPECT_TRUE(window_answers(window));
    EXPECT_TRUE(IsWindowVisible(window));
    DWORD asked = GetTickCount();
    EXPECT_TRUE(request_close(window));
    EXPECT_GE(wait_program_end(splash, LIMIT), 0);
    EXPECT_LT(GetTickCount() - asked, 1000u);
}

TEST(Splash, SetupWaitsForIt) {
    SetupIni ini = ini_named("KitSplash");
    Distribution dist(ini, true);
    Program setup = dist.start_setup();
    HWND splash = nullptr;
    ASSERT_TRUE(wait_until([&] { return (splash = FindWindowA(nullptr, "Maelwick")) != nullptr; }, LIMIT));
    // No wizard while the splash stays (it is started for 4 seconds), and
    // the splash was there all that time, answering.
    EXPECT_FALSE(wait_until([&] { return find_window(setup.id(), ini.title(), "") != nullptr; }, 300));
    EXPECT_TRUE(window_answers(splash));
    EXPECT_TRUE(program_running(setup));
    PostMessageA(splash, WM_CLOSE, 0, 0);
    HWND wizard = wait_wizard(setup, ini);
    ASSERT_NE(wizard, nullptr);
    quit_wizard(setup, wizard);
}

}  // namespace
