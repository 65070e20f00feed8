// Setup and Uninstall with nobody at the screen: the command line a
// deployment tool gives, what shows meanwhile, the exit code and the log it
// reads, and the entry in Windows' list of programs it finds the
// installation by.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "driver/kit.h"
#include "uninstaller/uninstall.h"

namespace {

constexpr DWORD LIMIT = 30000;
const std::vector<std::string> NOTHING;

// What an installation leaves, for comparing two of them: its tree, its
// record, its update-information file and where its shortcuts lead.
struct Installed {
    std::vector<std::string> tree;
    std::string record;
    std::string information;
    std::vector<std::string> shortcuts;
    bool operator==(const Installed&) const = default;
};

Installed installed(const SetupIni& ini, const std::string& dir) {
    Installed i;
    for (const TreeEntry& e : list_tree(dir)) i.tree.push_back(e.path + " " + std::to_string(e.size));
    i.record = read_bytes(dir + "Uninstall.dat");
    std::string menu = start_menu_folder(ini.name), desktop = shell_folder(CSIDL_DESKTOPDIRECTORY);
    i.information = read_bytes(menu + "Mise \xE0 jour.Txt");
    for (const std::string& link : {desktop + ini.shortcut1_name, desktop + ini.shortcut2_name, menu + ini.shortcut1_name,
                                    menu + ini.shortcut2_name, menu + "D\xE9sinstallation"})
        i.shortcuts.push_back(link + " -> " + (exists(link + ".lnk") ? read_shortcut(link + ".lnk").target : "none"));
    return i;
}

// A text of Windows-1252 letters (accented ones, not the signs of 0x80 to
// 0x9F) as the log writes it, in UTF-8.
std::string utf8(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x80) out += static_cast<char>(c);
        else out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    }
    return out;
}

// The files a silent uninstallation's clean-up keeps in the temporary
// folder for a moment.
std::vector<std::string> clean_up_files() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((std::string(temp) + "TarvoUninstall-*").c_str(), &found);
    std::vector<std::string> files;
    if (search != INVALID_HANDLE_VALUE) {
        do files.push_back(found.cFileName);
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return files;
}

class Unattended : public ::testing::Test {
protected:
    void SetUp() override {
        ini.name = "KitSilent";
        ini.shortcut1_name = "KitSilent";
        ini.shortcut2_name = "KitSilent Aide";
        ini.shortcut2_target = "docs\\aide.txt";
        ini.multilingual = "1";
    }
    void TearDown() override {
        close_folder_windows();
        remove_shell_traces(ini.name, {ini.shortcut1_name, ini.shortcut2_name});
    }

    // A program, a help file and the record's template.
    void fill(const Distribution& dist) {
        dist.add_app_and_template();
        make_folder(dist.path("docs"));
        dist.write("docs\\aide.txt", "aide");
    }

    bool nothing_installed() {
        return !exists(dir) && !exists(start_menu_folder(ini.name)) && !apps_entry_exists(HKEY_LOCAL_MACHINE, ini.name);
    }

    ScratchFolder scratch;
    std::string dir = scratch / "Silencieux\\";
    std::string desktop = shell_folder(CSIDL_DESKTOPDIRECTORY);
    SetupIni ini;
};

TEST_F(Unattended, AVerySilentRunInstallsWhatTheWizardDoesShowingNothing) {
    Distribution dist(ini);
    fill(dist);
    Program wizard_run = dist.start_setup();
    ASSERT_TRUE(choose_language(wizard_run, false));
    HWND wizard = wait_wizard(wizard_run, ini);
    ASSERT_NE(wizard, nullptr);
    click_tab(wizard, PAGES, OPTIONS_PAGE);
    click_control(wizard, RUN_AFTER_BOX);  // a silent run starts nothing afterwards
    press_install(wizard, dir);
    HWND result = wait_installed(wizard_run, ini, dir, LIMIT);
    ASSERT_NE(result, nullptr);
    ASSERT_TRUE(finish_setup(wizard_run, result, ini, LIMIT));
    EXPECT_EQ(wait_program_end(wizard_run, LIMIT), EXIT_DONE);
    Installed by_wizard = installed(ini, dir);
    EXPECT_TRUE(apps_entry_exists(HKEY_LOCAL_MACHINE, ini.name));
    // The uninstaller's window takes the entry away with the installation.
    ASSERT_TRUE(uninstall_installation(dir, "D\xE9sinstallation", LIMIT));
    EXPECT_FALSE(apps_entry_exists(HKEY_LOCAL_MACHINE, ini.name));
    close_folder_windows();
    remove_tree(dir);

    Program setup = dist.start_setup("/VERYSILENT /DIR=" + in_quotes(dir));
    WindowWatch watch(setup);
    EXPECT_EQ(wait_program_end(setup, LIMIT), EXIT_DONE);
    EXPECT_EQ(watch.stop(), NOTHING);
    EXPECT_EQ(installed(ini, dir), by_wizard);

    // The entry, as a deployment tool reads it.
    long long copied = 0;
    for (const char* file : {"App.exe", "Uninstall.exe", "Uninstall.dat", "setup.ini", "docs\\aide.txt"})
        copied += file_size_of(dist.path(file));
    SYSTEMTIME today;
    GetLocalTime(&today);
    char date[16];
    snprintf(date, sizeof date, "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
    const std::pair<const char*, std::string> values[] = {
        {"DisplayName", "KitSilent"},
        {"DisplayVersion", "1.0"},
        {"Publisher", "Tarvo"},
        {"DisplayIcon", dir + "App.exe,0"},
        {"InstallLocation", dir},
        {"InstallDate", date},
        {"EstimatedSize", std::to_string((copied + 512) / 1024)},
        {"UninstallString", "\"" + dir + "Uninstall.exe\""},
        {"QuietUninstallString", "\"" + dir + "Uninstall.exe\" /VERYSILENT"},
        {"NoModify", "1"},
        {"NoRepair", "1"},
        {"URLInfoAbout", "https://tarvo-developpement.example/"},
    };
    for (const auto& [name, value] : values) EXPECT_EQ(apps_entry_value(HKEY_LOCAL_MACHINE, ini.name, name), value) << name;
    EXPECT_FALSE(apps_entry_exists(HKEY_CURRENT_USER, ini.name));

    // Its silent uninstall command, run as a deployment tool runs it: from
    // the system folder, the program in quotes and then its switch.
    std::string quiet = apps_entry_value(HKEY_LOCAL_MACHINE, ini.name, "QuietUninstallString");
    size_t quote = quiet.find('"', 1);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    std::vector<std::string> before = clean_up_files();
    Program uninstaller = start_program(quiet.substr(1, quote - 1), system, quiet.substr(quote + 2));
    WindowWatch uninstalling(uninstaller);
    EXPECT_EQ(wait_program_end(uninstaller, LIMIT), EXIT_DONE);
    EXPECT_EQ(uninstalling.stop(), NOTHING);
    EXPECT_FALSE(exists(dir));
    EXPECT_FALSE(exists(start_menu_folder(ini.name)));
    EXPECT_FALSE(exists(desktop + "KitSilent.lnk"));
    EXPECT_FALSE(apps_entry_exists(HKEY_LOCAL_MACHINE, ini.name));
    EXPECT_TRUE(wait_until([&] { return clean_up_files() == before; }, LIMIT));
}

TEST_F(Unattended, ASilentRunShowsItsResultWindowAloneKeepsALogAndUpdatesKeepingTheUsersData) {
    Distribution dist(ini);
    fill(dist);
    std::string folder = scratch / "Carnet \xE9t\xE9";
    std::string log = scratch / "journal.log";
    Program setup = dist.start_setup("/SILENT /LANG=EN /NODESKTOP /LOG=" + in_quotes(log) + " /D=" + folder);
    WindowWatch watch(setup);
    EXPECT_EQ(wait_program_end(setup, LIMIT), EXIT_DONE);
    EXPECT_EQ(watch.stop(), std::vector<std::string>{ini.title() + " (WindowClass_1)"});
    std::string dir = folder + "\\";
    EXPECT_EQ(read_bytes(dir + "Uninstall.dat").substr(0, 14), "[Langue]\r\nEN\r\n");
    EXPECT_TRUE(exists(start_menu_folder(ini.name) + "Update.Txt"));
    EXPECT_FALSE(exists(desktop + "KitSilent.lnk"));
    std::string text = read_bytes(log);
    for (const std::string& line :
         {std::string("Display: silent (/SILENT)"), std::string("Language: EN"), std::string("Desktop shortcuts: no"),
          "Install folder: " + utf8(dir), std::string("Install directory :"), utf8(dir), std::string("Installed files :"),
          std::string("   >   App.exe"), std::string("   >   docs\\aide.txt"), std::string("Successful install"),
          std::string("Exit code: 0")})
        EXPECT_NE(text.find("\r\n" + line + "\r\n"), std::string::npos) << line << "\n" << text;

    // A newer version over it, unattended: the earlier one is found and
    // updated in its folder, the user's data kept, the entry rewritten.
    write_bytes(dir + "notes.txt", "mes notes");
    SetupIni newer = ini;
    newer.version = "2.0";
    Distribution dist2(newer);
    fill(dist2);
    Program update = dist2.start_setup("/VERYSILENT /LANG=EN");
    WindowWatch updating(update);
    EXPECT_EQ(wait_program_end(update, LIMIT), EXIT_DONE);
    EXPECT_EQ(updating.stop(), NOTHING);
    EXPECT_EQ(read_bytes(dir + "notes.txt"), "mes notes");
    EXPECT_TRUE(exists(dir + "App.exe"));
    EXPECT_EQ(apps_entry_value(HKEY_LOCAL_MACHINE, ini.name, "DisplayVersion"), "2.0");
    EXPECT_EQ(apps_entry_value(HKEY_LOCAL_MACHINE, ini.name, "InstallLocation"), dir);

    // An update-mode run alone keeps the entry for the installer that
    // started it.
    Program update_mode = start_program(dir + "Uninstall.exe", dir, "Update /VERYSILENT");
    EXPECT_EQ(wait_program_end(update_mode, LIMIT), EXIT_DONE);
    EXPECT_FALSE(exists(dir + "App.exe"));
    EXPECT_TRUE(apps_entry_exists(HKEY_LOCAL_MACHINE, ini.name));
}

TEST_F(Unattended, ExitCodesSayWhatHappened) {
    Distribution dist(ini);
    fill(dist);
    std::string log = scratch / "refus.log";
    // A switch not understood: nothing done, the switch named in the log or,
    // with the wizard, in a message box.
    for (const char* bad : {"/X", "/LANG=DE", "/DIR="}) {
        EXPECT_EQ(dist.run_setup(std::string("/VERYSILENT ") + bad + " /LOG=" + in_quotes(log) + " /DIR=" + in_quotes(dir),
                                 LIMIT),
                  EXIT_BAD_COMMAND_LINE) << bad;
        EXPECT_NE(read_bytes(log).find(std::string("\r\n    Unknown or malformed switch: ") + bad + "\r\n"), std::string::npos)
            << bad;
        EXPECT_TRUE(nothing_installed()) << bad;
    }
    Program refused = dist.start_setup("/CURRENTUSER /QUIET");
    MessageBoxSeen box = answer_message_box(refused, LIMIT);
    EXPECT_EQ(box.title, "Erreur / Error");
    EXPECT_NE(box.text.find("/QUIET"), std::string::npos);
    EXPECT_EQ(wait_program_end(refused, LIMIT), EXIT_BAD_COMMAND_LINE);

    // A folder the wizard would refuse: nothing done.
    write_bytes(scratch / "fichier", "x");
    EXPECT_EQ(dist.run_setup("/VERYSILENT /DIR=" + in_quotes(scratch / "fichier\\dossier"), LIMIT), EXIT_FAILED);
    EXPECT_TRUE(nothing_installed());

    // While a wizard is open a silent run changes nothing; "Quitter".
    Program wizard_run = dist.start_setup("/LANG=FR");
    HWND wizard = wait_wizard(wizard_run, ini);
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(dist.run_setup("/VERYSILENT /DIR=" + in_quotes(dir), LIMIT), EXIT_ANOTHER_RUN);
    EXPECT_TRUE(nothing_installed());
    click_control(wizard, QUIT_PAGE_1);
    EXPECT_EQ(wait_program_end(wizard_run, LIMIT), EXIT_CANCELLED);
    EXPECT_TRUE(nothing_installed());

    // A file that cannot be copied: the rest is installed, the file named.
    make_folder(dir);
    HANDLE held = CreateFileA((dir + "App.exe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(dist.run_setup("/VERYSILENT /DIR=" + in_quotes(dir) + " /LOG=" + in_quotes(log), LIMIT), EXIT_FAILED);
    CloseHandle(held);
    std::string text = read_bytes(log);
    EXPECT_NE(text.find("\r\n    Le fichier 'App.exe' n'a pas pu " + utf8("\xEAtre copi\xE9")), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n   >   App.exe  >>  Erreur\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nExit code: 1603\r\n"), std::string::npos) << text;
    EXPECT_TRUE(exists(dir + "docs\\aide.txt"));

    // The uninstaller: "Annuler" changes nothing; without a record there is
    // nothing to uninstall.
    Program cancelled = start_program(dir + "Uninstall.exe", dir, "");
    HWND window = wait_window(cancelled, "D\xE9sinstallation", "", LIMIT);
    ASSERT_NE(window, nullptr);
    wait_control(window, CANCEL_BUTTON, LIMIT);
    click_control(window, CANCEL_BUTTON);
    EXPECT_EQ(wait_program_end(cancelled, LIMIT), EXIT_CANCELLED);
    EXPECT_TRUE(exists(dir + "Uninstall.dat"));
    DeleteFileA((dir + "Uninstall.dat").c_str());
    Program nothing = start_program(dir + "Uninstall.exe", dir, "/VERYSILENT");
    EXPECT_EQ(wait_program_end(nothing, LIMIT), EXIT_NOT_INSTALLED);
}

}  // namespace
