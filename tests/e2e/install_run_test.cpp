// The real Setup.exe driven through its wizard to a finished installation:
// the installed tree, the log, the uninstall record, the shortcuts, the
// update-information file, failures and the auxiliary programs.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "driver/kit.h"
#include "runtime/path_text.h"

namespace {

constexpr DWORD LIMIT = 30000;
const char* const WEB_PAGE = "https://tarvo-developpement.example/";

// One installation: a distribution, its install directory, the marker log
// of the helper programs, and the traces to remove afterwards.
class Installation : public ::testing::Test {
protected:
    void SetUp() override {
        set_marker_log(markers);
    }
    void TearDown() override {
        set_marker_log("");
        set_marker_hold("");
        close_folder_windows();
        remove_shell_traces(ini.name, {ini.shortcut1_name, ini.shortcut2_name});
    }

    // Ticks the consent, sets the options page, presses "Installer" and
    // returns the result window once "Terminer" is enabled.
    HWND install(Program& setup, const std::string& directory, bool desktop = true, bool run_after = true,
                 Where where = Where::current()) {
        SCOPED_TRACE(::testing::Message() << "called from line " << where.line());
        HWND wizard = wait_wizard(setup, ini);
        if (!wizard) return nullptr;
        click_tab(wizard, PAGES, OPTIONS_PAGE);
        if ((check_state(wizard, DESKTOP_BOX) == BST_CHECKED) != desktop) click_control(wizard, DESKTOP_BOX);
        if ((check_state(wizard, RUN_AFTER_BOX) == BST_CHECKED) != run_after) click_control(wizard, RUN_AFTER_BOX);
        press_install(wizard, directory);
        return wait_installed(setup, ini, directory, LIMIT);
    }

    // "Terminer", Setup's end and its Start-menu folder window closed.
    void finish(Program& setup, HWND result) { EXPECT_TRUE(finish_setup(setup, result, ini, LIMIT)); }

    // Types `folder` (unless it is "": the field was emptied before) and
    // presses "Installer": the refusal of an unusable folder comes, and the
    // wizard stays, with the field as it was typed.
    void expect_refused(const Program& setup, HWND wizard, const std::string& folder, Where where = Where::current()) {
        SCOPED_TRACE(::testing::Message() << "\"" << folder << "\", called from line " << where.line());
        if (!folder.empty()) {
            type_text(wizard, DIRECTORY_FIELD, folder);
            click_control(wizard, INSTALL_BUTTON);
        }
        MessageBoxSeen seen = answer_message_box(setup, LIMIT);
        EXPECT_EQ(seen.title, "Erreur");
        EXPECT_EQ(seen.text, "Le dossier d'installation est invalide");
        EXPECT_TRUE(IsWindow(wizard));
        EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(wizard) != FALSE; }, LIMIT));
        EXPECT_EQ(control_text(wizard, DIRECTORY_FIELD), folder);
    }

    std::vector<std::string> marker_lines() { return read_lines(markers); }
    std::string read_installed_record() { return read_bytes(with_backslash(target) + "Uninstall.dat"); }

    ScratchFolder scratch;
    std::string target = scratch / "Installed";
    std::string markers = scratch / "markers.txt";
    SetupIni ini;
};

class FullInstallation : public Installation {
protected:
    void SetUp() override {
        Installation::SetUp();
        ini.name = "KitInstall";
        ini.shortcut1_name = "KitInstall";
        ini.shortcut1_target = "App.exe";
        ini.shortcut2_name = "KitInstall Aide";
        ini.shortcut2_target = "docs\\aide.txt";
        ini.update_program = "maj.exe";
        ini.install_program = "prep.exe";
    }

    void make_distribution(Distribution& dist) {
        dist.copy_program("marker.exe", "App.exe");
        dist.copy_program("marker.exe", "prep.exe");
        dist.copy_program("marker.exe", "maj.exe");
        dist.write("Uninstall.dat", "[Langue]\r\n--\r\n[Programme]\r\nKitInstall window\r\n[Fichiers]\r\n");
        dist.write("Tarvo Developpement.url", "[InternetShortcut]\r\nURL=https://tarvo-developpement.example/\r\n");
        make_folder(dist.path("docs"));
        dist.write("docs\\aide.txt", "aide");
        dist.write("docs\\Setup.exe", "kit");
        dist.write("docs\\Setup.ini", "kit");
        make_folder(dist.path("docs\\images"));
        dist.write("docs\\images\\a.png", std::string(1500, 'p'));
        dist.write("docs\\images\\Tarvo.exe", "kit");
        dist.write("docs\\images\\maj.exe", "kit");
        make_folder(dist.path("empty"));
    }
};

TEST_F(FullInstallation, TreeLogRecordShortcutsAndUpdateInformation) {
    Distribution dist(ini);
    make_distribution(dist);
    Program setup = dist.start_setup();
    HWND result = install(setup, target);
    ASSERT_NE(result, nullptr);
    std::string dir = target + "\\";

    // The installed tree: the kit's own files and the helpers stay behind.
    for (const char* installed : {"App.exe", "Uninstall.exe", "Uninstall.dat", "setup.ini", "Tarvo Developpement.url",
                                  "docs\\aide.txt", "docs\\images\\a.png"})
        EXPECT_TRUE(exists(dir + installed)) << installed;
    EXPECT_EQ(file_size_of(dir + "empty"), -2);
    for (const char* left : {"Setup.exe", "prep.exe", "maj.exe", "docs\\Setup.exe", "docs\\Setup.ini",
                             "docs\\images\\Tarvo.exe", "docs\\images\\maj.exe"})
        EXPECT_FALSE(exists(dir + left)) << left;

    // The log: heading, one line per file, size, result.
    std::vector<std::string> log = list_lines(result, LOG_LIST);
    ASSERT_GE(log.size(), 16u);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 8),
              (std::vector<std::string>{"R\xE9pertoire d'installation :", dir, "", "Cr\xE9" "ation ou mise \xE0 jour de fichiers",
                                        "", "Fichiers install\xE9s sur l'ordinateur :", log[6], log[7]}));
    std::vector<std::string> files(log.begin() + 6, log.end() - 5);
    std::vector<std::string> sorted = files;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"   >   App.exe", "   >   Tarvo Developpement.url", "   >   Uninstall.dat",
                                                 "   >   Uninstall.exe", "   >   docs\\aide.txt",
                                                 "   >   docs\\images\\a.png", "   >   setup.ini"}));
    int64_t total = 0;
    // Sizes as copied: the installed record has grown since.
    for (const std::string& line : files) total += file_size_of(dist.path(line.substr(7)));
    EXPECT_GT(total, 10000);  // the two programs are tens of kilobytes
    char size_text[64];
    // The quotient is a single-precision number, as the result page has it.
    float quotient = static_cast<float>(total >= 1000000 ? total / 1048576.0 : total / 1024.0);
    snprintf(size_text, sizeof size_text, total >= 1000000 ? "%.2f Mo" : "%.1f Ko", static_cast<double>(quotient));
    EXPECT_EQ(std::vector<std::string>(log.end() - 5, log.end()),
              (std::vector<std::string>{"", std::string("Espace occup\xE9 sur le disque dur : ") + size_text, "",
                                        "Installation r\xE9ussie.",
                                        "Param\xE8trage et/ou Mise \xE0 jour des anciens fichiers"}));
    EXPECT_EQ(list_selection(result, LOG_LIST), static_cast<int>(log.size()) - 1);

    // Shortcuts, read back through the shell.
    std::string desktop = shell_folder(CSIDL_DESKTOPDIRECTORY);
    std::string menu = start_menu_folder(ini.name);
    ShortcutValues app = read_shortcut(desktop + "KitInstall.lnk");
    EXPECT_EQ(app.target, dir + "App.exe");
    EXPECT_EQ(app.working_folder, dir);
    EXPECT_EQ(app.arguments, "");
    EXPECT_EQ(app.show_command, SW_SHOWNORMAL);
    EXPECT_EQ(app.icon_file, dir + "App.exe");
    EXPECT_EQ(app.icon_index, 0);
    EXPECT_EQ(read_shortcut(desktop + "KitInstall Aide.lnk").target, dir + "docs\\aide.txt");
    EXPECT_EQ(read_shortcut(menu + "KitInstall.lnk").target, dir + "App.exe");
    EXPECT_EQ(read_shortcut(menu + "KitInstall Aide.lnk").target, dir + "docs\\aide.txt");
    ShortcutValues uninstall = read_shortcut(menu + "D\xE9sinstallation.lnk");
    EXPECT_EQ(uninstall.target, dir + "Uninstall.exe");
    EXPECT_EQ(uninstall.working_folder, dir);
    EXPECT_TRUE(exists(shell_folder(CSIDL_PROGRAMS) + "Tarvo\\Tarvo Developpement.url"));

    std::string information = menu + "Mise \xE0 jour.Txt";
    EXPECT_EQ(read_bytes(information), dir + "\r\n\r\nKitInstall - v1.0\r\n\r\n"
                                             "Pour t\xE9l\xE9" "charger une nouvelle version de mon logiciel, allez sur le site :\r\n" +
                                             WEB_PAGE + "\r\n");

    // The record: the template, "FR" over its placeholder, then every file
    // in copy order, the shortcuts, "[Menu]" and the menu folder.
    std::string expected = "[Langue]\r\nFR\r\n[Programme]\r\nKitInstall window\r\n[Fichiers]\r\n";
    for (const std::string& line : files) expected += dir + line.substr(7) + "\r\n";
    expected += desktop + "KitInstall.lnk\r\n" + desktop + "KitInstall Aide.lnk\r\n" + information + "\r\n";
    expected += menu + "KitInstall.lnk\r\n" + menu + "KitInstall Aide.lnk\r\n" + menu + "D\xE9sinstallation.lnk\r\n";
    expected += "[Menu]\r\n" + menu;
    EXPECT_EQ(read_bytes(dir + "Uninstall.dat"), expected);

    // The auxiliary programs ran in the install directory, the install-time
    // one before the copy and the update one after it, and are gone.
    std::vector<std::string> ran = marker_lines();
    ASSERT_EQ(ran.size(), 2u);
    EXPECT_EQ(ran[0], "prep.exe||shown|prep.exe");
    EXPECT_EQ(ran[1].substr(0, 11), "maj.exe||sh");
    EXPECT_NE(ran[1].find("App.exe"), std::string::npos);
    EXPECT_NE(ran[1].find("maj.exe"), std::string::npos);

    // The program chosen to run afterwards starts only after "Terminer":
    // with the run over and a click on the result page answered, it neither
    // runs nor has left its line.
    EXPECT_TRUE(licence_window_answers(setup, result, RESULT_BANNER));
    EXPECT_FALSE(process_named_running("App.exe"));
    EXPECT_EQ(marker_lines().size(), 2u);
    finish(setup, result);
    EXPECT_TRUE(wait_until([&] { return marker_lines().size() == 3; }, LIMIT));
    if (marker_lines().size() == 3) {
        EXPECT_EQ(marker_lines()[2].substr(0, 13), "App.exe||show");
    }
}

TEST_F(Installation, EnglishNamesAndNoOptionalShortcuts) {
    ini.name = "KitEnglishRun";
    ini.multilingual = "1";
    ini.run_after = "";
    Distribution dist(ini);
    dist.write("App.exe", "app");
    Program setup = dist.start_setup();
    ASSERT_TRUE(choose_language(setup, true));
    HWND result = install(setup, target + "\\", true, false);
    ASSERT_NE(result, nullptr);
    std::vector<std::string> log = list_lines(result, LOG_LIST);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], "Install directory :");
    EXPECT_EQ(log[1], target + "\\");
    EXPECT_EQ(log.back(), "Successful install");
    EXPECT_EQ(control_text(result, FINISH_BUTTON), "Finish");
    EXPECT_EQ(control_text(result, OPEN_FOLDER_BUTTON), "Open folder");
    // The result page: a close request is ignored, the banner opens the
    // licence window over it, "Open folder" shows the install folder.  The
    // banner's click is posted after the close request, so by the time the
    // licence window shows, the request has been taken and ignored.
    EXPECT_TRUE(request_close(result));
    EXPECT_TRUE(post_click(result, RESULT_BANNER));
    HWND licence = wait_built_window(setup, "Concepteur et licence", "SysTabControl32", false);
    ASSERT_NE(licence, nullptr);
    EXPECT_TRUE(IsWindow(result));
    EXPECT_TRUE(program_running(setup));
    EXPECT_TRUE(wait_until([&] { return !IsWindowEnabled(result); }, LIMIT));
    EXPECT_TRUE(request_close(licence));
    EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(result) != FALSE; }, LIMIT));
    EXPECT_TRUE(click_control(result, OPEN_FOLDER_BUTTON));
    EXPECT_TRUE(close_folder_window("Installed", LIMIT));
    std::string menu = start_menu_folder(ini.name);
    EXPECT_TRUE(exists(menu + "Update.Txt"));
    EXPECT_TRUE(exists(menu + "Uninstall.lnk"));
    EXPECT_EQ(read_shortcut(menu + "Uninstall.lnk").target, target + "\\Uninstall.exe");
    // Without names there are no program shortcuts, on the desktop or in
    // the menu, even with the desktop box ticked.
    std::vector<std::string> in_menu;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((menu + "*").c_str(), &data);
    while (h != INVALID_HANDLE_VALUE) {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) in_menu.push_back(data.cFileName);
        if (!FindNextFileA(h, &data)) break;
    }
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    std::sort(in_menu.begin(), in_menu.end());
    EXPECT_EQ(in_menu, (std::vector<std::string>{"Uninstall.lnk", "Update.Txt"}));
    // No template was installed: the record starts with the language.
    std::string record = read_bytes(target + "\\Uninstall.dat");
    EXPECT_EQ(record.substr(0, 2), "EN");
    EXPECT_EQ(record.substr(record.size() - menu.size()), menu);
    finish(setup, result);
}

TEST_F(Installation, UntickedDesktopBoxMakesNoDesktopShortcut) {
    ini.name = "KitNoDesktop";
    ini.shortcut1_name = "KitNoDesktop";
    Distribution dist(ini);
    dist.write("App.exe", "app");
    dist.write("Uninstall.dat", "[Langue]\r\n--\r\n[Fichiers]\r\n");
    Program setup = dist.start_setup();
    HWND result = install(setup, target, false, false);
    ASSERT_NE(result, nullptr);
    EXPECT_FALSE(exists(shell_folder(CSIDL_DESKTOPDIRECTORY) + "KitNoDesktop.lnk"));
    EXPECT_TRUE(exists(start_menu_folder(ini.name) + "KitNoDesktop.lnk"));
    EXPECT_EQ(read_bytes(target + "\\Uninstall.dat").find(shell_folder(CSIDL_DESKTOPDIRECTORY)), std::string::npos);
    finish(setup, result);
}

TEST_F(Installation, ReadOnlyDestinationIsReportedAndTheRestInstalled) {
    ini.name = "KitReadOnly";
    Distribution dist(ini);
    dist.copy_program("marker.exe", "App.exe");
    dist.write("data.txt", "new data");
    dist.write("Uninstall.dat", "[Langue]\r\n--\r\n[Fichiers]\r\n");
    make_folder(target);
    write_bytes(target + "\\data.txt", "old data");
    set_read_only(target + "\\data.txt", true);
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    press_install(wizard, target);
    MessageBoxSeen seen = answer_message_box(setup, LIMIT);
    EXPECT_EQ(seen.title, "Erreur");
    EXPECT_EQ(seen.text, "Le fichier 'data.txt' n'a pas pu \xEAtre copi\xE9 sur le disque dur.\n"
                         "V\xE9rifier que le fichier n'est pas en lecture ou actuellement ouvert.");
    HWND result = wait_installed(setup, ini, target, LIMIT);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(find_message_box(setup.id()), nullptr);  // one message only
    std::vector<std::string> log = list_lines(result, LOG_LIST);
    EXPECT_NE(std::find(log.begin(), log.end(), "   >   data.txt  >>  Erreur"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "   >   App.exe"), log.end());
    ASSERT_GE(log.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(log.end() - 6, log.end()),
              (std::vector<std::string>{"Echec de l'installation !!", "", "Echec de l'installation !!", "",
                                        "Echec de l'installation !!",
                                        "Un ou plusieurs fichiers n'ont pas pu \xEAtre install\xE9"}));
    EXPECT_EQ(read_bytes(target + "\\data.txt"), "old data");
    EXPECT_TRUE(exists(target + "\\App.exe"));
    EXPECT_NE(read_bytes(target + "\\Uninstall.dat").find(target + "\\data.txt\r\n"), std::string::npos);
    // The program to run afterwards still starts after "Terminer".
    finish(setup, result);
    EXPECT_TRUE(wait_until([&] { return marker_lines().size() == 1; }, LIMIT));
    set_read_only(target + "\\data.txt", false);
}

TEST_F(Installation, UnusableDirectoriesAreRefusedAndTheWizardStays) {
    ini.name = "KitEmptyField";
    Distribution dist(ini);
    const std::string template_bytes = "[Langue]\r\n--\r\n[Fichiers]\r\n";
    dist.write("Uninstall.dat", template_bytes);
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    press_install(wizard, "");
    // Empty; the program folder itself, whose template would be taken for
    // an earlier installation; a drive root; folders other programs share.
    std::string folder = dist.path();
    for (const std::string& refused : {std::string(""), folder, folder.substr(0, folder.size() - 1), std::string("C:\\"),
                                       std::string("C:\\Program files\\"), shell_folder(CSIDL_APPDATA)}) {
        expect_refused(setup, wizard, refused);
    }
    EXPECT_EQ(read_bytes(folder + "Uninstall.dat"), template_bytes);
    EXPECT_TRUE(marker_lines().empty());
    // The wizard still works.  A relative directory lies under the program
    // folder (and is left out of the copy); what names it is written in full.
    target = folder + "Sub";
    type_text(wizard, DIRECTORY_FIELD, "Sub");
    click_control(wizard, INSTALL_BUTTON);
    HWND result = wait_installed(setup, ini, target, LIMIT);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(list_lines(result, LOG_LIST).at(1), target + "\\");
    EXPECT_TRUE(exists(target + "\\Uninstall.exe"));
    EXPECT_FALSE(exists(target + "\\Sub"));
    std::string record = read_installed_record();
    EXPECT_EQ(record.substr(0, template_bytes.size()), "[Langue]\r\nFR\r\n[Fichiers]\r\n");
    EXPECT_NE(record.find("\r\n" + target + "\\Uninstall.exe\r\n"), std::string::npos) << record;
    EXPECT_EQ(read_lines(start_menu_folder(ini.name) + "Mise \xE0 jour.Txt").at(0), target + "\\");
    EXPECT_EQ(read_bytes(folder + "Uninstall.dat"), template_bytes);
    finish(setup, result);
}

// A drive letter that names no drive, with its colon.
std::string missing_drive() {
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Y'; letter > 'D'; --letter)
        if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
    return "";
}

// A folder that cannot take files is refused when "Installer" is pressed,
// like the unusable ones: the wizard stays and nothing has begun, no
// install-time program, no copy, no Start-menu folder.  Wine refuses no
// folder to its superuser; stand-ins for a standard user's all-users folder
// or a read-only medium are a drive that does not exist, paths through a
// file, and (where Wine maps the host's root to Z:) the host's sysfs, where
// nobody creates files.
TEST_F(Installation, FoldersThatCannotTakeFilesAreRefusedBeforeAnythingBegins) {
    ini.name = "KitNoFiles";
    ini.install_program = "prep.exe";
    Distribution dist(ini);
    dist.copy_program("marker.exe", "prep.exe");
    dist.write("App.exe", "app");
    const std::string template_bytes = "[Langue]\r\n--\r\n[Fichiers]\r\n";
    dist.write("Uninstall.dat", template_bytes);
    std::string file = scratch / "plain.txt";
    write_bytes(file, "plain");
    std::string drive = missing_drive();
    ASSERT_FALSE(drive.empty());
    std::vector<std::string> refused = {drive + "\\KitNoFiles", drive + "\\KitNoFiles\\", file + "\\KitNoFiles",
                                        file};
    if (file_size_of("Z:\\sys\\kernel") == -2) {
        refused.push_back("Z:\\sys\\kernel\\KitNoFiles");
        refused.push_back("Z:\\sys\\kernel");
    }
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    click_control(wizard, CONSENT_BOX);
    click_tab(wizard, PAGES, OPTIONS_PAGE);
    for (const std::string& folder : refused) expect_refused(setup, wizard, folder);
    EXPECT_TRUE(marker_lines().empty());
    EXPECT_FALSE(exists(start_menu_folder(ini.name)));
    EXPECT_FALSE(exists(drive + "\\KitNoFiles"));
    EXPECT_FALSE(exists("Z:\\sys\\kernel\\KitNoFiles"));
    EXPECT_EQ(read_bytes(file), "plain");
    std::vector<std::string> left;
    for (const TreeEntry& entry : list_tree(scratch.path())) left.push_back(entry.path);
    EXPECT_EQ(left, std::vector<std::string>{"plain.txt"});
    EXPECT_EQ(read_bytes(dist.path("Uninstall.dat")), template_bytes);

    // A folder that takes files is then installed into, and the probe left
    // nothing there: the folder holds what it held and what was installed.
    make_folder(target);
    write_bytes(target + "\\keep.txt", "keep");
    type_text(wizard, DIRECTORY_FIELD, target);
    click_control(wizard, INSTALL_BUTTON);
    HWND result = wait_installed(setup, ini, target, LIMIT);
    ASSERT_NE(result, nullptr);
    std::vector<std::string> installed;
    for (const TreeEntry& entry : list_tree(target + "\\")) installed.push_back(entry.path);
    EXPECT_EQ(installed,
              (std::vector<std::string>{"App.exe", "Uninstall.dat", "Uninstall.exe", "keep.txt", "setup.ini"}));
    EXPECT_EQ(marker_lines().size(), 1u);
    finish(setup, result);
}

// While the installer waits for the update program it draws nothing; the
// lines it logged before, the last files, the disk space and the result,
// are on the screen all the same.
TEST_F(Installation, TheLogIsDrawnBeforeTheUpdateProgramIsWaitedFor) {
    ini.name = "KitDrawnLog";
    ini.run_after = "";
    ini.update_program = "maj.exe";
    Distribution dist(ini);
    dist.copy_program("marker.exe", "maj.exe");
    dist.write("App.exe", "app");
    dist.write("Uninstall.dat", "[Langue]\r\n--\r\n[Fichiers]\r\n");
    // The update program waits until the test lets it go.
    std::string release = scratch / "release";
    set_marker_hold(release);
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    press_install(wizard, target);
    ASSERT_TRUE(wait_until([] { return process_named_running("maj.exe"); }, LIMIT));
    HWND result = find_window(setup.id(), ini.title(), "");
    ASSERT_NE(result, nullptr);
    HWND log = find_control(result, LOG_LIST);
    ASSERT_NE(log, nullptr);
    ScreenPixels while_waiting = client_pixels(log);
    write_bytes(release, "");
    result = wait_installed(setup, ini, target, LIMIT);
    ASSERT_NE(result, nullptr);

    // Now every line is drawn, the last one, logged after the update
    // program, selected.  The lines above it looked the same while it ran.
    std::vector<std::string> lines = list_lines(result, LOG_LIST);
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[lines.size() - 2], "Installation r\xE9ussie.");
    EXPECT_EQ(SendMessageA(log, LB_GETTOPINDEX, 0, 0), 0);
    LRESULT item_height = SendMessageA(log, LB_GETITEMHEIGHT, 0, 0);
    ASSERT_GT(item_height, 0);
    ScreenPixels after = client_pixels(log);
    size_t drawn_before = static_cast<size_t>(after.width) * 3 * item_height * (lines.size() - 1);
    ASSERT_LE(drawn_before, after.rgb.size());
    ASSERT_EQ(while_waiting.rgb.size(), after.rgb.size());
    EXPECT_TRUE(std::equal(after.rgb.begin(), after.rgb.begin() + drawn_before, while_waiting.rgb.begin()));
    // The screen showed the lines, not an empty list.
    EXPECT_NE(std::count(after.rgb.begin(), after.rgb.begin() + drawn_before, after.rgb[0]),
              static_cast<std::ptrdiff_t>(drawn_before));
    finish(setup, result);
}

TEST_F(Installation, AReadOnlyTemplateStillReceivesTheRecord) {
    // Files copied from read-only media keep that attribute.
    ini.name = "KitReadOnlyTemplate";
    Distribution dist(ini);
    dist.write("Uninstall.dat", "[Langue]\r\n--\r\n[Fichiers]\r\n");
    set_read_only(dist.path("Uninstall.dat"), true);
    Program setup = dist.start_setup();
    HWND result = install(setup, target);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(find_message_box(setup.id()), nullptr);
    std::string record = read_installed_record();
    EXPECT_EQ(record.substr(0, 26), "[Langue]\r\nFR\r\n[Fichiers]\r\n");
    EXPECT_NE(record.find(target + "\\Uninstall.exe\r\n"), std::string::npos) << record;
    finish(setup, result);
    set_read_only(dist.path("Uninstall.dat"), false);
}

// The user's Start-menu programs folder moved away for the test and put
// back afterwards.
class WithoutStartMenu : public Installation {
protected:
    void SetUp() override {
        Installation::SetUp();
        ASSERT_FALSE(programs.empty());
        if (exists(moved)) restore();  // left by a run that was cut short
        ASSERT_TRUE(MoveFileA(programs.c_str(), moved.c_str()));
    }
    void TearDown() override {
        Installation::TearDown();
        restore();
    }
    void restore() {
        remove_tree(programs);
        MoveFileA(moved.c_str(), programs.c_str());
    }

    std::string programs = without_backslash(shell_folder(CSIDL_PROGRAMS));
    std::string moved = programs + ".kit-test";

    static std::string without_backslash(std::string folder) {
        if (!folder.empty()) folder.pop_back();
        return folder;
    }
};

TEST_F(WithoutStartMenu, TheStartMenuFolderIsMadeAgainAndNothingLandsInTheDistribution) {
    ini.name = "KitNoMenu";
    Distribution dist(ini);
    Program setup = dist.start_setup();
    HWND result = install(setup, target, false, false);
    ASSERT_NE(result, nullptr);
    std::string menu = start_menu_folder(ini.name);
    EXPECT_TRUE(exists(menu + "Mise \xE0 jour.Txt"));
    EXPECT_TRUE(exists(menu + "D\xE9sinstallation.lnk"));
    EXPECT_FALSE(exists(dist.path("Tarvo")));
    std::string record = read_installed_record();
    EXPECT_EQ(record.substr(record.size() - menu.size()), menu);
    finish(setup, result);
}

TEST_F(Installation, AnOldRecordThatStaysStopsTheInstallation) {
    ini.name = "KitStuck";
    Distribution dist(ini);
    dist.write("App.exe", "app");
    make_folder(target);
    write_bytes(target + "\\Uninstall.dat", "[Langue]\r\nFR\r\n[Fichiers]\r\n");
    // An "uninstaller" that leaves its record behind.
    EXPECT_TRUE(CopyFileA((program_folder() + "marker.exe").c_str(), (target + "\\Uninstall.exe").c_str(), FALSE));
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    press_install(wizard, target);
    MessageBoxSeen seen = wait_message_box(setup, LIMIT);
    EXPECT_EQ(seen.title, "Erreur");
    EXPECT_EQ(seen.text, "Impossible de mettre \xE0 jour le programme\n"
                         "V\xE9rifier que les fichiers du programme ne sont pas en ''lecture seule'' et qu'aucun "
                         "programme ne s'ex\xE9" "cute pendant la mise \xE0 jour");
    bool exclamation_icon = false;
    for (HWND child : descendants(seen.box))
        if (window_class(child) == "Static" && (window_style(child) & SS_TYPEMASK) == SS_ICON) exclamation_icon = true;
    EXPECT_TRUE(exclamation_icon);
    answer_message_box(setup, LIMIT);
    EXPECT_GE(wait_program_end(setup, LIMIT), 0);
    std::vector<std::string> ran = marker_lines();
    ASSERT_EQ(ran.size(), 1u);
    EXPECT_EQ(ran[0].substr(0, 21), "Uninstall.exe|Update|");
    EXPECT_FALSE(exists(target + "\\App.exe"));
    EXPECT_FALSE(exists(start_menu_folder(ini.name)));
}

}  // namespace
