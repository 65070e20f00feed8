// Setup's command line, and the entry it writes in Windows' list of
// installed programs.
#include <gtest/gtest.h>

#include "installer/apps_entry.h"
#include "installer/setup_options.h"
#include "runtime/switches.h"
#include "uninstaller/uninstall_options.h"

namespace {

TEST(CommandLine, ParametersFollowTheProgramsOwnName) {
    const std::pair<const char*, const char*> rows[] = {
        {"\"C:\\Program Files\\Carnet\\Setup.exe\" /S", "/S"},
        {"Setup.exe   /S /D=C:\\a b ", "/S /D=C:\\a b "},
        {"  Setup.exe", ""},
        {"\"unclosed /S", ""},
        {"", ""},
    };
    for (auto [line, parameters] : rows) EXPECT_EQ(command_line_parameters(line), parameters) << line;
}

// One command line and what Setup makes of it.
struct OptionsRow {
    const char* parameters;
    RunDisplay display = DISPLAY_WIZARD;
    const char* folder = "";
    int mode = 0;
    const char* language = "";
    bool no_desktop = false;
    bool log = false;
    const char* log_file = "";
    bool help = false;
    const char* invalid = nullptr;  // the argument named in the refusal; none when understood
};

TEST(CommandLine, SetupSwitches) {
    const OptionsRow rows[] = {
        {.parameters = ""},
        {.parameters = "/VERYSILENT", .display = DISPLAY_VERY_SILENT},
        {.parameters = "/s", .display = DISPLAY_VERY_SILENT},
        {.parameters = "-Silent", .display = DISPLAY_SILENT},
        {.parameters = "/VERYSILENT /SILENT", .display = DISPLAY_VERY_SILENT},
        {.parameters = "/SILENT -verysilent", .display = DISPLAY_VERY_SILENT},
        {.parameters = "/DIR=\"C:\\Program Files\\Carnet\"", .folder = "C:\\Program Files\\Carnet"},
        // A quoted folder keeps its last "\": backslashes escape nothing.
        {.parameters = "\"/dir=C:\\Program Files\\Carnet\\\" /S", .display = DISPLAY_VERY_SILENT,
         .folder = "C:\\Program Files\\Carnet\\"},
        {.parameters = "/S /D=C:\\Program Files\\Carnet de notes  ", .display = DISPLAY_VERY_SILENT,
         .folder = "C:\\Program Files\\Carnet de notes"},
        // /D= runs to the end of the line, whatever follows it.
        {.parameters = "-d=C:\\a b /S", .folder = "C:\\a b /S"},
        {.parameters = "/ALLUSERS", .mode = MODE_ALL_USERS},
        {.parameters = "/currentuser /CurrentUser", .mode = MODE_CURRENT_USER},
        {.parameters = "/LANG=en /NODESKTOP", .language = "EN", .no_desktop = true},
        {.parameters = "/LANG=Fr", .language = "FR"},
        {.parameters = "/LOG", .log = true},
        {.parameters = "/LOG=\"C:\\Journaux\\pose 1.log\"", .log = true, .log_file = "C:\\Journaux\\pose 1.log"},
        {.parameters = "/VERYSILENT /SUPPRESSMSGBOXES /NORESTART /SP- /NOCANCEL", .display = DISPLAY_VERY_SILENT},
        {.parameters = "/?", .help = true},
        {.parameters = "-HELP", .help = true},
        // Refused: the first argument not understood is named, the rest still read.
        {.parameters = "/VERYSILENT /X /Y", .display = DISPLAY_VERY_SILENT, .invalid = "/X"},
        {.parameters = "/ALLUSERS /CURRENTUSER", .mode = MODE_ALL_USERS, .invalid = "/CURRENTUSER"},
        {.parameters = "/LANG=DE", .invalid = "/LANG=DE"},
        {.parameters = "/LANG", .invalid = "/LANG"},
        {.parameters = "/LOG=", .log = false, .invalid = "/LOG="},
        {.parameters = "/DIR=", .invalid = "/DIR="},
        {.parameters = "/DIR=Carnet", .folder = "Carnet", .invalid = "/DIR=Carnet"},
        {.parameters = "/LOG=journal.log", .log = true, .log_file = "journal.log", .invalid = "/LOG=journal.log"},
        {.parameters = "/D=   ", .invalid = "/D="},
        {.parameters = "/SILENT=1", .invalid = "/SILENT=1"},
        {.parameters = "Update /S", .display = DISPLAY_VERY_SILENT, .invalid = "Update"},
        {.parameters = "/", .invalid = "/"},
        {.parameters = "\"\"", .invalid = ""},
    };
    for (const OptionsRow& row : rows) {
        SCOPED_TRACE(row.parameters);
        SetupOptions o = parse_setup_options(row.parameters);
        EXPECT_EQ(o.display, row.display);
        EXPECT_EQ(o.folder, row.folder);
        EXPECT_EQ(o.mode, row.mode);
        EXPECT_EQ(o.language, row.language);
        EXPECT_EQ(o.no_desktop, row.no_desktop);
        EXPECT_EQ(o.log, row.log);
        EXPECT_EQ(o.log_file, row.log_file);
        EXPECT_EQ(o.help, row.help);
        EXPECT_EQ(o.understood, row.invalid == nullptr);
        EXPECT_EQ(o.invalid, row.invalid ? row.invalid : "");
        EXPECT_EQ(is_silent(o), row.display != DISPLAY_WIZARD);
    }
}

// "Update" only in first place; other plain arguments passed over, as they
// always were; switches as Setup takes them.
TEST(CommandLine, UninstallSwitches) {
    struct Row {
        const char* parameters;
        bool update_mode;
        RunDisplay display;
        bool understood;
    };
    const Row rows[] = {
        {"", false, DISPLAY_WIZARD, true},
        {"Update", true, DISPLAY_WIZARD, true},
        {"Update /VERYSILENT", true, DISPLAY_VERY_SILENT, true},
        {"update", false, DISPLAY_WIZARD, true},
        {"x Update", false, DISPLAY_WIZARD, true},
        {"-s", false, DISPLAY_VERY_SILENT, true},
        {"/SILENT /NORESTART /SUPPRESSMSGBOXES", false, DISPLAY_SILENT, true},
        {"/Update", false, DISPLAY_WIZARD, false},
        {"/VERYSILENT /DIR=C:\\x", false, DISPLAY_VERY_SILENT, false},
        {"/REMOVEAFTER=12x", false, DISPLAY_WIZARD, false},
        {"/S /LOG=journal.log", false, DISPLAY_VERY_SILENT, false},
        {"/S /SP- /NOCANCEL", false, DISPLAY_VERY_SILENT, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.parameters);
        UninstallOptions o = parse_uninstall_options(row.parameters);
        EXPECT_EQ(o.update_mode, row.update_mode);
        EXPECT_EQ(o.display, row.display);
        EXPECT_EQ(o.understood, row.understood);
        EXPECT_FALSE(is_clean_up(o));
    }
    UninstallOptions log = parse_uninstall_options("/S /LOG=\"C:\\j 1.log\"");
    EXPECT_TRUE(log.log);
    EXPECT_EQ(log.log_file, "C:\\j 1.log");
    UninstallOptions clean = parse_uninstall_options("/REMOVEAFTER=580 \"/REMOVE=C:\\A B\\Uninstall.exe\" /FOLDER=C:\\A");
    EXPECT_TRUE(is_clean_up(clean));
    EXPECT_EQ(clean.remove_after, 580u);
    EXPECT_EQ(clean.remove_file, "C:\\A B\\Uninstall.exe");
    EXPECT_EQ(clean.remove_folder, "C:\\A");
}

// The refusals name the argument in both languages.
TEST(CommandLine, RefusalTexts) {
    EXPECT_EQ(invalid_switch_text("/X"),
              "Option inconnue ou mal écrite : /X\nRien n'a été installé. Setup.exe /? donne la liste des "
              "options.\n\nUnknown or malformed switch: /X\nNothing was installed. Setup.exe /? lists the switches.");
    EXPECT_EQ(uninstall_invalid_switch_text("/Y"),
              "Option inconnue ou mal écrite : /Y\nRien n'a été désinstallé. Uninstall.exe /? donne la "
              "liste des options.\n\nUnknown or malformed switch: /Y\nNothing was uninstalled. Uninstall.exe /? lists the "
              "switches.");
}

TEST(AppsEntry, ValuesOfAnInstallationForAllUsers) {
    SetupState state;
    state.program_name = "Carnet de notes";
    state.program_version = "1.0";
    state.publisher = "Tarvo";
    state.install_dir = "C:\\Program files\\Carnet de notes\\";
    state.run_after_program = "Carnet.exe";
    state.shortcut2_name = "Aide";
    state.shortcut2_target = "Aide\\Aide.txt";
    AppsEntry entry = plan_apps_entry(state, 366182, "20261208");
    EXPECT_EQ(entry.key, "Tarvo_Carnet de notes");
    std::string dir = state.install_dir;
    const AppsEntryValue expected[] = {
        {"DisplayName", false, "Carnet de notes"},
        {"DisplayVersion", false, "1.0"},
        {"Publisher", false, "Tarvo"},
        {"DisplayIcon", false, dir + "Aide\\Aide.txt,0"},
        {"InstallLocation", false, dir},
        {"InstallDate", false, "20261208"},
        {"EstimatedSize", true, "", 358},
        {"UninstallString", false, "\"" + dir + "Uninstall.exe\""},
        {"QuietUninstallString", false, "\"" + dir + "Uninstall.exe\" /VERYSILENT"},
        {"NoModify", true, "", 1},
        {"NoRepair", true, "", 1},
        {"URLInfoAbout", false, AUTHOR_WEB_PAGE},
    };
    ASSERT_EQ(entry.values.size(), std::size(expected));
    for (size_t i = 0; i < entry.values.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_STREQ(entry.values[i].name, expected[i].name);
        EXPECT_EQ(entry.values[i].number, expected[i].number);
        EXPECT_EQ(entry.values[i].text, expected[i].text);
        EXPECT_EQ(entry.values[i].dword, expected[i].dword);
    }
}

// The icon is the first shortcut's program, else the program run after
// installation, else the uninstaller; the key holds no "\".
TEST(AppsEntry, IconKeyAndSize) {
    SetupState state;
    state.program_name = "Outils\\Carnet";
    state.install_dir = "D:\\Carnet\\";
    auto icon = [&] { return plan_apps_entry(state, 0, "20261208").values[3].text; };
    EXPECT_EQ(icon(), "D:\\Carnet\\Uninstall.exe,0");
    state.run_after_program = "Carnet.exe";
    EXPECT_EQ(icon(), "D:\\Carnet\\Carnet.exe,0");
    state.shortcut1_name = "Carnet";
    state.shortcut1_target = "bin\\Carnet64.exe";
    EXPECT_EQ(icon(), "D:\\Carnet\\bin\\Carnet64.exe,0");
    EXPECT_EQ(apps_entry_key(state.program_name), "Tarvo_Outils_Carnet");
    auto size = [&](int64_t bytes) { return plan_apps_entry(state, bytes, "").values[6].dword; };
    EXPECT_EQ(size(0), 0u);
    EXPECT_EQ(size(511), 0u);
    EXPECT_EQ(size(512), 1u);
    EXPECT_EQ(size(int64_t{1} << 52), UINT32_MAX);  // Windows reads 32 bits
}

}  // namespace
