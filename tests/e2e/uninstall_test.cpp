// The real Uninstall.exe: on installations made by Setup.exe, and on
// records written by hand for each kind of section.
#include <gtest/gtest.h>

#include "driver/kit.h"
#include "uninstaller/uninstall.h"

#include <commctrl.h>
#include <shlobj.h>

namespace {

constexpr DWORD LIMIT = 30000;
const char* const NOTE_FR = "vous pouvez suppimer ce Dossier si vous ne souhaitez pas sauver vos param\xE8tres "
                            "d'utilisation pour ce logiciel.";
const char* const NOTE_EN = "You can delete this folder If You won't keep parameters of this software.";

Program start_uninstaller(const std::string& dir, const std::string& parameters = "") {
    return start_program(dir + "Uninstall.exe", dir, parameters);
}

// A full uninstall: "Désinstaller" pressed, the closing message read and
// answered.  Returns the message and the bar's last position.
struct FullRun {
    MessageBoxSeen message;
    int progress = -1;
    std::string title;
};

FullRun uninstall_fully(const std::string& dir, Where where = Where::current()) {
    SCOPED_TRACE(::testing::Message() << "called from line " << where.line());
    FullRun run;
    Program uninstaller = start_uninstaller(dir);
    HWND window = wait_window(uninstaller, "", "", LIMIT);
    if (!window || !wait_control(window, CANCEL_BUTTON, LIMIT)) return run;
    run.title = window_title(window);
    EXPECT_TRUE(click_control(window, UNINSTALL_BUTTON));
    run.message = wait_message_box(uninstaller, LIMIT);
    if (HWND bar = find_control(window, PROGRESS_BAR, PROGRESS_CLASSA))
        run.progress = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
    answer_message_box(uninstaller, LIMIT);
    EXPECT_GE(wait_program_end(uninstaller, LIMIT), 0);
    close_folder_windows();
    return run;
}

// An installation made through Setup.exe's wizard.
class InstalledProgram : public ::testing::Test {
protected:
    void SetUp() override {
        set_marker_log(markers);
        ini.name = "KitRemove";
        ini.shortcut1_name = "KitRemove";
        ini.run_after = "";
    }
    void TearDown() override {
        set_marker_log("");
        close_folder_windows();
        remove_shell_traces(ini.name, {ini.shortcut1_name});
    }

    void install(Distribution& dist, Where where = Where::current()) {
        SCOPED_TRACE(::testing::Message() << "called from line " << where.line());
        auto [setup, wizard] = dist.start_wizard();
        ASSERT_NE(wizard, nullptr);
        click_tab(wizard, PAGES, OPTIONS_PAGE);
        if (check_state(wizard, DESKTOP_BOX) != BST_CHECKED) click_control(wizard, DESKTOP_BOX);
        press_install(wizard, dir);
        HWND result = wait_installed(setup, ini, dir, LIMIT);
        ASSERT_NE(result, nullptr);
        click_control(result, FINISH_BUTTON);
        EXPECT_GE(wait_program_end(setup, LIMIT), 0);
        // Explorer shows the Start-menu folder on its own time; under Wine
        // the uninstaller could not remove the folder while it does.
        EXPECT_TRUE(close_folder_window(ini.name, LIMIT));
    }

    void make_distribution(Distribution& dist, const std::string& version_file) {
        dist.copy_program("marker.exe", "App.exe");
        dist.write(version_file, "v");
        dist.write("Uninstall.dat", "[Langue]\r\n--\r\n[Registre]\r\nHKEY_CURRENT_USER\\" + key +
                                        "\r\n[Fichiers]\r\n");
        dist.write("Tarvo Developpement.url", "[InternetShortcut]\r\nURL=x\r\n");
        make_folder(dist.path("lib"));
        make_folder(dist.path("lib\\deep"));
        dist.write("lib\\deep\\code.bin", "code");
        make_folder(dist.path("empty"));
    }

    ScratchFolder scratch;
    std::string dir = scratch / "Installed\\";
    std::string markers = scratch / "markers.txt";
    std::string key = "Software\\TarvoKitE2E" + std::to_string(GetCurrentProcessId());
    SetupIni ini;
};

TEST_F(InstalledProgram, FullUninstallTakesBackWhatWasInstalledAndKeepsData) {
    Distribution dist(ini);
    make_distribution(dist, "one.txt");
    install(dist);
    make_user_key(key);
    std::string menu = start_menu_folder(ini.name);
    std::string desktop_link = shell_folder(CSIDL_DESKTOPDIRECTORY) + "KitRemove.lnk";
    ASSERT_TRUE(exists(dir + "App.exe"));
    ASSERT_TRUE(exists(desktop_link));
    ASSERT_TRUE(exists(menu + "Mise \xE0 jour.Txt"));
    // The user's own data, written after the installation.
    write_bytes(dir + "notes.dat", "my notes");
    make_folder(dir + "saves");
    write_bytes(dir + "saves\\game1.sav", "progress");

    FullRun run = uninstall_fully(dir);
    EXPECT_EQ(run.title, "D\xE9sinstallation");
    EXPECT_EQ(run.message.title, "D\xE9sinstallation");
    EXPECT_EQ(run.message.text, NOTE_FR);
    EXPECT_EQ(run.progress, 100);

    for (const char* gone : {"App.exe", "one.txt", "setup.ini", "Tarvo Developpement.url", "lib", "empty", "Uninstall.dat"})
        EXPECT_FALSE(exists(dir + gone)) << gone;
    EXPECT_FALSE(exists(desktop_link));
    EXPECT_FALSE(exists(menu));
    EXPECT_FALSE(user_key_exists(key));
    EXPECT_EQ(read_bytes(dir + "notes.dat"), "my notes");
    EXPECT_EQ(read_bytes(dir + "saves\\game1.sav"), "progress");
    EXPECT_EQ(read_bytes(dir + "Terminer la d\xE9sinstallation.txt"), NOTE_FR);
    EXPECT_TRUE(exists(dir + "Uninstall.exe"));  // it was running
}

TEST_F(InstalledProgram, UpdateHandsTheOldInstallationOverAndKeepsData) {
    Distribution first(ini);
    make_distribution(first, "one.txt");
    install(first);
    make_user_key(key);
    write_bytes(dir + "notes.dat", "my notes");

    // Version 2: another file set, the same program name.
    ini.version = "2.0";
    Distribution second(ini);
    make_distribution(second, "two.txt");
    auto [setup, wizard] = second.start_wizard();
    ASSERT_NE(wizard, nullptr);
    // The earlier installation is recognised and its directory locked.
    EXPECT_EQ(control_text(wizard, DIRECTORY_FIELD), dir);
    EXPECT_FALSE(control_enabled(wizard, DIRECTORY_FIELD));
    press_install(wizard);

    // The old uninstaller runs unattended in update mode.
    HWND update = nullptr;
    // Once built, its two buttons are disabled.
    ASSERT_TRUE(wait_until([&] {
        update = FindWindowA(nullptr, "Mise \xE0 jour");
        HWND cancel = update ? find_control(update, CANCEL_BUTTON) : nullptr;
        return cancel && !IsWindowEnabled(cancel);
    }, LIMIT));
    EXPECT_TRUE(is_topmost(update));
    EXPECT_TRUE(window_ex_style(update) & WS_EX_TOOLWINDOW);
    SIZE size = client_size(update);
    EXPECT_EQ(size.cx, 400);
    EXPECT_EQ(size.cy, 47);
    EXPECT_FALSE(control_enabled(update, UNINSTALL_BUTTON));
    EXPECT_FALSE(control_enabled(update, CANCEL_BUTTON));
    DWORD seen_at = GetTickCount();
    EXPECT_TRUE(wait_until([&] { return !IsWindow(update); }, LIMIT));
    EXPECT_GE(GetTickCount() - seen_at, 2500u);

    HWND result = wait_installed(setup, ini, dir, LIMIT);
    ASSERT_NE(result, nullptr);
    std::vector<std::string> log = list_lines(result, LOG_LIST);
    ASSERT_GE(log.size(), 5u);
    EXPECT_EQ(log[3], "Mise \xE0 jour du programme");
    click_control(result, FINISH_BUTTON);
    EXPECT_GE(wait_program_end(setup, LIMIT), 0);
    EXPECT_TRUE(close_folder_window(ini.name, LIMIT));

    EXPECT_TRUE(user_key_exists(key));  // an update keeps registry keys
    EXPECT_EQ(read_bytes(dir + "notes.dat"), "my notes");
    EXPECT_FALSE(exists(dir + "one.txt"));
    EXPECT_TRUE(exists(dir + "two.txt"));
    std::string record = read_bytes(dir + "Uninstall.dat");
    EXPECT_EQ(record.find("one.txt"), std::string::npos);
    EXPECT_NE(record.find(dir + "two.txt\r\n"), std::string::npos);
    EXPECT_EQ(read_bytes(start_menu_folder(ini.name) + "Mise \xE0 jour.Txt").find("KitRemove - v2.0"), dir.size() + 4);
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

TEST_F(InstalledProgram, AnOldRecordThatCannotBeDeletedStopsTheUpdate) {
    Distribution first(ini);
    make_distribution(first, "one.txt");
    install(first);
    set_read_only(dir + "Uninstall.dat", true);
    ini.version = "2.0";
    Distribution second(ini);
    make_distribution(second, "two.txt");
    auto [setup, wizard] = second.start_wizard();
    ASSERT_NE(wizard, nullptr);
    press_install(wizard);
    MessageBoxSeen seen = answer_message_box(setup, LIMIT);
    EXPECT_EQ(seen.title, "Erreur");
    EXPECT_EQ(seen.text.substr(0, 41), "Impossible de mettre \xE0 jour le programme\n");
    EXPECT_GE(wait_program_end(setup, LIMIT), 0);
    EXPECT_FALSE(exists(dir + "two.txt"));
    set_read_only(dir + "Uninstall.dat", false);
}

// Records written by hand, in a scratch install directory holding a copy of
// Uninstall.exe.
class HandRecord : public ::testing::Test {
protected:
    void SetUp() override {
        set_marker_log(markers);
        make_folder(dir);
        EXPECT_TRUE(CopyFileA((program_folder() + "Uninstall.exe").c_str(), (dir + "Uninstall.exe").c_str(), FALSE));
        EXPECT_TRUE(CopyFileA((program_folder() + "marker.exe").c_str(), (dir + "marker.exe").c_str(), FALSE));
        for (const char* name : {"data.cfg", "other.txt", "installed.txt", "later.txt"}) write_bytes(dir + name, "x");
        make_folder(scratch / "Tarvo");
        make_folder(menu1);
        make_folder(menu2);
        write_bytes(menu1 + "A.lnk", "l");
        write_bytes(menu2 + "A.lnk", "l");
        make_user_key(key + "\\Gone");
        make_user_key(key + "\\Kept");
        startup_link = shell_folder(CSIDL_STARTUP) + "KitHandRecord.lnk";
        write_bytes(startup_link, "link");
    }
    void TearDown() override {
        set_marker_log("");
        RegDeleteKeyA(HKEY_CURRENT_USER, (key + "\\Gone").c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, (key + "\\Kept").c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
        DeleteFileA(startup_link.c_str());
        close_folder_windows();
    }

    std::string record_text(const std::string& language) {
        return "[Langue]\r\n" + language + "\r\n"
               "[Lancer]\r\n" + dir + "marker.exe&--sleep 300 first second&dropped\r\n"
               "[Programme]\r\nKitHandRecord window\r\n"
               "[Registre]\r\nHKEY_CURRENT_USER\\" + key + "\\Gone\r\nhkey_current_user\\" + key + "\\Kept\r\n"
               "[D\xE9marrage]\r\nKitHandRecord\r\n"
               "[Dossier du programme]\r\ndata.cfg\r\n"
               "[Autre]\r\n" + dir + "other.txt\r\n"
               "[Fichiers]\r\n" + dir + "installed.txt\r\n" + dir + "Uninstall.dat\r\n"
               "[Menu]\r\n" + menu1 + "\r\n[Menu]\r\n" + menu2;
    }

    ScratchFolder scratch;
    std::string dir = scratch / "App\\";
    std::string menu1 = scratch / "Tarvo\\menu1\\";
    std::string menu2 = scratch / "Tarvo\\menu2\\";
    std::string markers = scratch / "markers.txt";
    std::string key = "Software\\TarvoKitHand" + std::to_string(GetCurrentProcessId());
    std::string startup_link;
};

TEST_F(HandRecord, FullRunActsOnEverySectionInOrder) {
    write_bytes(dir + "Uninstall.dat", record_text("FR"));
    Program window_program = start_program(dir + "marker.exe", dir, "--window \"KitHandRecord window\" closed");
    ASSERT_NE(wait_any_window(window_program, "KitHandRecord window", "", LIMIT), nullptr);

    FullRun run = uninstall_fully(dir);
    EXPECT_EQ(run.message.text, NOTE_FR);
    EXPECT_GE(wait_program_end(window_program, LIMIT), 0);  // asked to close
    std::vector<std::string> ran = read_lines(markers);
    ASSERT_EQ(ran.size(), 2u);
    // Run hidden with the text between the two "&", and waited for: the
    // files of the next sections were still there.
    EXPECT_EQ(ran[0].substr(0, 31), "marker.exe|first second|hidden|");
    EXPECT_NE(ran[0].find("installed.txt"), std::string::npos);
    EXPECT_NE(ran[0].find("data.cfg"), std::string::npos);
    EXPECT_EQ(ran[1].substr(0, 17), "marker.exe|closed");

    EXPECT_FALSE(user_key_exists(key + "\\Gone"));
    EXPECT_TRUE(user_key_exists(key + "\\Kept"));  // a root in lower case names nothing
    EXPECT_FALSE(exists(startup_link));
    for (const char* gone : {"data.cfg", "other.txt", "installed.txt", "Uninstall.dat"})
        EXPECT_FALSE(exists(dir + gone)) << gone;
    EXPECT_TRUE(exists(dir + "later.txt"));
    EXPECT_TRUE(exists(menu1 + "A.lnk"));
    EXPECT_FALSE(exists(menu2));
}

TEST_F(HandRecord, UpdateModeKeepsWhatAnUpdateMustKeep) {
    write_bytes(dir + "Uninstall.dat", record_text("EN"));
    Program uninstaller = start_uninstaller(dir, "Update");
    HWND window = wait_window(uninstaller, "Upgrade", "", LIMIT);
    ASSERT_NE(window, nullptr);
    EXPECT_GE(wait_program_end(uninstaller, LIMIT), 0);
    EXPECT_TRUE(user_key_exists(key + "\\Gone"));
    EXPECT_TRUE(exists(startup_link));
    EXPECT_TRUE(exists(dir + "data.cfg"));
    EXPECT_TRUE(exists(dir + "other.txt"));
    EXPECT_FALSE(exists(dir + "installed.txt"));
    EXPECT_FALSE(exists(dir + "Uninstall.dat"));
    EXPECT_FALSE(exists(menu2));
    EXPECT_FALSE(exists(dir + "Finish uninstall.txt"));  // no closing note in an update
    ASSERT_GE(read_lines(markers).size(), 1u);
    EXPECT_EQ(read_lines(markers)[0].substr(0, 31), "marker.exe|first second|hidden|");
}

TEST_F(HandRecord, CancelAndCloseRemoveNothing) {
    write_bytes(dir + "Uninstall.dat", record_text("FR"));
    for (bool cancel : {true, false}) {
        Program uninstaller = start_uninstaller(dir);
        HWND window = wait_window(uninstaller, "D\xE9sinstallation", "", LIMIT);
        ASSERT_NE(window, nullptr);
        ASSERT_NE(wait_control(window, CANCEL_BUTTON, LIMIT), nullptr);
        SIZE size = client_size(window);
        EXPECT_EQ(size.cx, 400);
        EXPECT_EQ(size.cy, 47);
        EXPECT_EQ(control_text(window, UNINSTALL_BUTTON), "D\xE9sinstaller");
        EXPECT_EQ(control_text(window, CANCEL_BUTTON), "Annuler");
        EXPECT_FALSE(window_style(window) & WS_SYSMENU);
        if (cancel)
            EXPECT_TRUE(click_control(window, CANCEL_BUTTON));
        else
            EXPECT_TRUE(request_close(window));
        EXPECT_GE(wait_program_end(uninstaller, LIMIT), 0);
    }
    EXPECT_TRUE(exists(dir + "Uninstall.dat"));
    EXPECT_TRUE(exists(dir + "installed.txt"));
    EXPECT_TRUE(user_key_exists(key + "\\Gone"));
    EXPECT_TRUE(read_lines(markers).empty());
}

TEST_F(HandRecord, LanguageLineMustBeExactlyFr) {
    write_bytes(dir + "Uninstall.dat", "[Langue]\r\nFR \r\n[Fichiers]\r\n" + dir + "installed.txt");
    FullRun run = uninstall_fully(dir);
    EXPECT_EQ(run.title, "Uninstall");
    EXPECT_EQ(run.message.title, "Uninstall");
    EXPECT_EQ(run.message.text, NOTE_EN);
    EXPECT_EQ(read_bytes(dir + "Finish uninstall.txt"), NOTE_EN);
    EXPECT_FALSE(exists(dir + "installed.txt"));
}

TEST(Uninstaller, WithoutARecordItEndsSilently) {
    ScratchFolder dir;
    EXPECT_TRUE(CopyFileA((program_folder() + "Uninstall.exe").c_str(), (dir / "Uninstall.exe").c_str(), FALSE));
    Program uninstaller = start_program(dir / "Uninstall.exe", dir.path(), "");
    EXPECT_EQ(wait_program_end(uninstaller, LIMIT), EXIT_NOT_INSTALLED);
    EXPECT_TRUE(top_windows(uninstaller.id()).empty());
}

// The author's "Tarvo" folder in the Start menu goes with its web link when
// nothing else is left in it, and stays while another program's folder is.
TEST(Uninstaller, AuthorFolderRule) {
    std::string author = shell_folder(CSIDL_PROGRAMS) + "Tarvo\\";
    std::string other = author + "KitOtherProgram\\";
    ScratchFolder scratch;
    std::string dir = scratch / "App\\";
    make_folder(dir);
    EXPECT_TRUE(CopyFileA((program_folder() + "Uninstall.exe").c_str(), (dir + "Uninstall.exe").c_str(), FALSE));
    for (bool other_program : {true, false}) {
        make_folder(author);
        write_bytes(author + "Tarvo Developpement.url", "[InternetShortcut]\r\nURL=x\r\n");
        if (other_program) {
            make_folder(other);
            write_bytes(other + "Other.lnk", std::string(200, 'l'));
        }
        write_bytes(dir + "Uninstall.dat", "[Langue]\r\nEN\r\n[Fichiers]\r\n");
        uninstall_fully(dir);
        EXPECT_EQ(exists(author + "Tarvo Developpement.url"), other_program);
        EXPECT_EQ(exists(author), other_program);
        remove_tree(other);
    }
}

}  // namespace
