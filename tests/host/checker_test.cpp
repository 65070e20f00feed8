// The author's checker over distributions made on this disk: a clean one,
// one of each mistake with the diagnostic it must give, and the previews
// of an installation and an uninstallation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "checker/checks.h"
#include "checker/previews.h"
#include "installer/setup.h"
#include "runtime/code_page.h"
#include "tests/host/bytes.h"

namespace {

namespace fs = std::filesystem;

const std::string CLEAN_SETTINGS = cp1252(
    "[ Informations sur le logiciel]\r\nNom=Carnet\r\nVersion=1.0\r\n"
    "[ Options de l'intallation]\r\nLancer après installation=App.exe\r\n"
    "Raccourci 1 - Cible=App.exe\r\nRaccourci 1 - Nom=Carnet\r\n"
    "Raccourci 2 - Cible=Aide\\aide.txt\r\nRaccourci 2 - Nom=Aide\r\n"
    "Copier le fichier Tarvo.exe=0\r\nMise à jour=\r\nLancer à l'installation=\r\nProgramme multilangue=1\r\n"
    "[ Texte de l'intallation FR]\r\nligne1=Bienvenue\r\n[ Texte de l'intallation EN]\r\nligne1=Welcome\r\n");

const std::string CLEAN_TEMPLATE = "[Langue]\r\n--\r\n[Programme]\r\nCarnet\r\n[Fichiers]\r\n";

class Checker : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/tarvo-check-XXXXXX";
        root = mkdtemp(name);
        write("setup.ini", CLEAN_SETTINGS);
        write("Uninstall.dat", CLEAN_TEMPLATE);
        for (const char* kit : {"Setup.exe", "Uninstall.exe", "Tarvo.exe", "App.exe"}) write(kit, "MZ program");
        write("Aide/aide.txt", "help");
        write("Licence/Concepteur.htm", "<p>");
        write("Licence/Licence.htm", "<p>");
    }
    void TearDown() override { fs::remove_all(root); }

    void write(const std::string& relative, const std::string& bytes) {
        fs::path path = fs::path(root) / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    void remove(const std::string& relative) { fs::remove_all(fs::path(root) / relative); }

    // Every diagnostic, one a line, as the checker prints them.
    std::string check(bool english = false) {
        DistributionTree tree;
        EXPECT_TRUE(read_distribution(root, 100000, tree));
        report = CheckReport{};
        check_distribution(tree, english, report, &template_bytes);
        std::string text;
        for (const Diagnostic& d : report.diagnostics) text += diagnostic_text(d) + "\n";
        return text;
    }

    std::string settings_with(const std::string& from, const std::string& to) {
        std::string text = CLEAN_SETTINGS;
        size_t at = text.find(cp1252(from));
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, cp1252(from).size(), cp1252(to));
    }

    DistributionTree read_tree() {
        DistributionTree tree;
        read_distribution(root, 100000, tree);
        return tree;
    }

    std::string root;
    CheckReport report;
    std::string template_bytes;
};

TEST_F(Checker, ACleanDistributionGivesNothing) {
    EXPECT_EQ(check(), "");
    EXPECT_EQ(check_exit_code(report), 0);
}

TEST_F(Checker, GroupHeadersAndKeysAsSetupReadsThem) {
    write("setup.ini", settings_with("[ Options de l'intallation]", "[Options de l'intallation]"));
    EXPECT_NE(check().find("setup.ini:4: error: \"[Options de l'intallation]\" lacks the blank after \"[\""),
              std::string::npos);
    write("setup.ini", settings_with("[ Options de l'intallation]", "[ Options de l'installation]"));
    EXPECT_NE(check().find("setup.ini:4: error: Setup reads no group \"[ Options de l'installation]\", so every key "
                           "of it takes its default; did you mean \"[ Options de l'intallation]\"?"),
              std::string::npos);
    write("setup.ini", settings_with("Raccourci 1 - Cible=", "Raccourci 1 - Cibel="));
    std::string found = check();
    EXPECT_NE(found.find("setup.ini:6: error: Setup reads no key \"Raccourci 1 - Cibel\""), std::string::npos);
    EXPECT_NE(found.find("did you mean \"Raccourci 1 - Cible\"?"), std::string::npos);
    write("setup.ini", settings_with("Version=1.0\r\n", "Version=1.0\r\nCouleur=bleu\r\nNom=Second\r\nvaleur\r\n"));
    found = check();
    EXPECT_NE(found.find("setup.ini:4: warning: Setup reads no key \"Couleur\""), std::string::npos);
    EXPECT_NE(found.find("setup.ini:5: warning: a second \"Nom\" in its group (first on line 2)"), std::string::npos);
    EXPECT_NE(found.find("setup.ini:6: warning: neither a key"), std::string::npos);
    EXPECT_EQ(check_exit_code(report), 1);
}

TEST_F(Checker, BytesTheReaderDoesNotReadAsTheAuthorMeans) {
    write("setup.ini", "\xEF\xBB\xBF" + CLEAN_SETTINGS);
    EXPECT_NE(check().find("setup.ini:1: error: the file starts with a UTF-8 byte-order mark"), std::string::npos);
    std::string utf8 = CLEAN_SETTINGS;
    utf8.replace(utf8.find("ligne1=Bienvenue"), 16, "ligne1=Bienvenue \xC3\xA9t\xC3\xA9");
    write("setup.ini", utf8);
    EXPECT_NE(check().find("setup.ini:15: error: UTF-8 text: Setup reads setup.ini as Windows-1252, so the user sees "
                           "\"ligne1=Bienvenue Ã©tÃ©\""),
              std::string::npos);
    std::string cr_only = CLEAN_SETTINGS;
    for (size_t at; (at = cr_only.find("\r\n")) != std::string::npos;) cr_only.replace(at, 2, "\r");
    write("setup.ini", cr_only);
    EXPECT_NE(check().find("setup.ini:1: error: a line end made of CR alone"), std::string::npos);
    write("setup.ini", settings_with("Version=1.0", std::string("Version=1.0\0", 12)));
    EXPECT_NE(check().find("setup.ini:3: error: a NUL byte"), std::string::npos);
    EXPECT_EQ(check_exit_code(report), 2);
}

TEST_F(Checker, ValuesTheInstallationCannotUse) {
    write("setup.ini", settings_with("Nom=Carnet", "Nom="));
    EXPECT_NE(check().find("setup.ini:2: error: no program name"), std::string::npos);
    write("setup.ini", settings_with("Raccourci 1 - Nom=Carnet", "Raccourci 1 - Nom=Carnet: notes"));
    EXPECT_NE(check().find("setup.ini:7: error: the shortcut name \"Carnet: notes\" cannot be a file name"),
              std::string::npos);
    write("setup.ini", settings_with("Programme multilangue=1", "Programme multilangue=256"));
    EXPECT_NE(check().find("counts by its lowest byte only"), std::string::npos);
}

TEST_F(Checker, ProgramsAndTargetsTheSettingsName) {
    write("setup.ini", settings_with("Raccourci 2 - Cible=Aide\\aide.txt", "Raccourci 2 - Cible=Aide\\absent.txt"));
    EXPECT_NE(check().find("setup.ini:8: error: \"Aide\\absent.txt\" is not a file of the distribution: the "
                           "shortcut \"Aide\" would be dead"),
              std::string::npos);
    write("setup.ini", settings_with("Lancer après installation=App.exe", "Lancer après installation=Tarvo.exe"));
    EXPECT_NE(check().find("setup.ini:5: error: \"Tarvo.exe\" is a file Setup does not install: after \"Terminer\" "
                           "nothing starts"),
              std::string::npos);
    write("setup.ini", settings_with("Mise à jour=", "Mise à jour=maj.exe"));
    EXPECT_NE(check().find("setup.ini:11: error: \"maj.exe\" is not a file of the distribution folder itself"),
              std::string::npos);
    // On Windows a name is found whatever its case.
    write("setup.ini", settings_with("Raccourci 1 - Cible=App.exe", "Raccourci 1 - Cible=app.EXE"));
    EXPECT_EQ(check(), "");
}

TEST_F(Checker, TheRecordTemplateAsTheUninstallerReadsIt) {
    remove("Uninstall.dat");
    EXPECT_NE(check().find("Uninstall.dat: error: missing"), std::string::npos);
    write("Uninstall.dat", "[Langue]\r\n--\r\nC:\\early.txt\r\n[Demarrage]\r\nCarnet\r\n[Lancer]\r\nclean.exe&-q\r\n"
                           "[Registre]\r\nHKCU\\Software\\Carnet\r\n");
    std::string found = check();
    EXPECT_NE(found.find("Uninstall.dat:3: warning: an entry under \"[Langue]\": the uninstaller ignores it"),
              std::string::npos);
    EXPECT_NE(found.find("Uninstall.dat:4: error: the uninstaller knows no header \"[Demarrage]\""), std::string::npos);
    EXPECT_NE(found.find("did you mean \"[Démarrage]\"?"), std::string::npos);
    EXPECT_NE(found.find("Uninstall.dat:7: warning: the program \"clean.exe\" is not a file the installation "
                         "installs"),
              std::string::npos);
    EXPECT_NE(found.find("Uninstall.dat:9: error: the uninstaller deletes keys only under"), std::string::npos);
    write("Uninstall.dat", "[Langue]\r\n[Fichiers]\r\n");
    EXPECT_NE(check().find("Uninstall.dat:2: error: Setup writes the language code over the first two characters of "
                           "this line, turning \"[Fichiers]\" into \"FRichiers]\""),
              std::string::npos);
}

// Setup appends the installed files under the template's last header, as
// the uninstaller reads headers: blanks around them ignored.
TEST_F(Checker, TheHeaderTheInstalledFilesFallUnder) {
    struct Case {
        std::string text;
        size_t diagnostics;
        std::string said;
    } cases[] = {
        {CLEAN_TEMPLATE + "[Autre]\r\n", 1,
         "Uninstall.dat:6: error: the last header is \"[Autre]\", so Setup appends the installed files and shortcuts "
         "under it: a full uninstallation deletes them, but an update keeps them"},
        {CLEAN_TEMPLATE + "[Menu]\r\n", 1,
         "Uninstall.dat:6: error: the last header is \"[Menu]\", so Setup appends the installed files and shortcuts "
         "under it: the uninstaller takes each for the Start-menu folder and deletes none; remove it"},
        {CLEAN_TEMPLATE + " [Lancer]  \r\n", 1,
         "Uninstall.dat:6: error: the last header is \"[Lancer]\", so Setup appends the installed files and "
         "shortcuts under it: the uninstaller opens each of them"},
        {"[Langue]\r\n--\r\n", 1, "Uninstall.dat:1: error: the last header is \"[Langue]\""},
        {"\r\n--\r\n", 2, "Uninstall.dat: error: no section header: Setup appends the installed files"},
        // One fault, one diagnostic: the header Setup breaks on line 2, the
        // misspelt one that stands last.
        {"[Langue]\r\n[Fichiers]\r\n", 1, "Uninstall.dat:2: error: Setup writes the language code"},
        {"[Langue]\r\n--\r\n[Autre]\r\n[Fichier]\r\n", 1,
         "Uninstall.dat:4: error: the uninstaller knows no header \"[Fichier]\": it reads this line and the entries "
         "below it, the files Setup appends included, as entries of \"[Autre]\""},
        {"[Langue]\r\n--\r\n[Autre]\r\nC:\\x.txt\r\n  [Fichiers] \r\n", 0, ""},
        {"[Langue]\r\n--\r\n[Fichiers]\r\n[Fichierz]\r\n", 1, "as entries of \"[Fichiers]\"; did you mean"},
    };
    for (const Case& c : cases) {
        write("Uninstall.dat", c.text);
        std::string found = check();
        EXPECT_EQ(report.diagnostics.size(), c.diagnostics) << c.text << found;
        EXPECT_NE(found.find(c.said), std::string::npos) << c.text << found;
    }
}

// Setup reads a template as UTF-8 after a byte-order mark, else as
// Windows-1252; UTF-8 text read the other way is what the author did not
// write.
TEST_F(Checker, TheTemplateInEitherForm) {
    const std::string body = "[Langue]\r\n--\r\n[Démarrage]\r\nCarnet\r\n[Fichiers]\r\n";
    const std::string mark = UTF8_MARK;
    struct Case {
        std::string bytes;
        size_t diagnostics;
        std::string said;
    } cases[] = {
        {cp1252(body), 0, ""},
        {mark + body, 0, ""},
        {mark + "[Langue]\r\nÉé\r\n[Fichiers]\r\n", 0, ""},  // two characters, four bytes
        {mark + cp1252(body), 0, ""},                          // Windows-1252 throughout
        {body, 3, "Uninstall.dat:3: error: UTF-8 text without a byte-order mark: Setup and the uninstaller read "
                  "such a file as Windows-1252, and read \"[DÃ©marrage]\"; save Uninstall.dat as Windows-1252 "
                  "(ANSI) or as UTF-8 with a byte-order mark"},
        {mark + body + cp1252("C:\\café\r\n"), 3, "Uninstall.dat:3: error: UTF-8 text in a file that is not UTF-8"},
    };
    for (const Case& c : cases) {
        write("Uninstall.dat", c.bytes);
        std::string found = check();
        EXPECT_EQ(report.diagnostics.size(), c.diagnostics) << c.bytes << found;
        EXPECT_NE(found.find(c.said), std::string::npos) << c.bytes << found;
    }
}

// Setup copies and records names in any language; Windows counts a path's
// length in UTF-16 units, not in bytes.
TEST_F(Checker, NamesInAnyLanguage) {
    std::string greek;
    for (int i = 0; i < 60; ++i) greek += "Ελ";  // 120 characters, 240 bytes
    write("Aide/" + greek + ".txt", "x");
    EXPECT_EQ(check(), "");
    InstallPreview preview = preview_installation(read_tree(), template_bytes, false, sample_user_folders());
    EXPECT_EQ(preview.record.substr(0, 3), UTF8_MARK);
    EXPECT_NE(preview.record.find("\r\nC:\\Program files\\Carnet\\Aide\\" + greek + ".txt\r\n"), std::string::npos);
}

TEST_F(Checker, TheFilesOfTheDistribution) {
    remove("Setup.exe");
    remove("Uninstall.exe");
    remove("Licence");
    write("Tarvo Developpement.url", "[InternetShortcut]\r\nURL=https://example.com/" + std::string(75, 'x') + "\r\n");
    write("Aide/\xFF.txt", "x");  // no UTF-8
    write("Aide/" + std::string(240, 'd') + "/file.txt", "x");
    std::string found = check();
    EXPECT_NE(found.find("Setup.exe: error: missing"), std::string::npos);
    EXPECT_NE(found.find("Uninstall.exe: error: missing"), std::string::npos);
    EXPECT_NE(found.find("Licence [Version Plus]/Concepteur.htm: warning: missing"), std::string::npos);
    EXPECT_NE(found.find("Tarvo Developpement.url: warning: the web link holds 121 bytes"), std::string::npos);
    EXPECT_NE(found.find("Aide/?.txt: error: a name that is no Unicode text"), std::string::npos);
    EXPECT_NE(found.find("/file.txt: warning: installed as \"C:\\Program files\\Carnet\\Aide\\ddd"), std::string::npos);
}

TEST_F(Checker, ThePreviewOfAnInstallation) {
    write("Licence/Tarvo.exe", "a second copy, also left out");
    check(true);
    ASSERT_EQ(setup.language, "EN");
    UserFolders folders = sample_user_folders();
    InstallPreview preview = preview_installation(read_tree(), template_bytes, false, folders);
    EXPECT_EQ(preview.install_dir, "C:\\Program files\\Carnet\\");
    EXPECT_EQ(preview.copied, (std::vector<std::string>{"Aide\\aide.txt", "App.exe", "Licence\\Concepteur.htm",
                                                         "Licence\\Licence.htm", "setup.ini", "Uninstall.dat",
                                                         "Uninstall.exe"}));
    ASSERT_EQ(preview.left_out.size(), 3u);
    EXPECT_EQ(preview.left_out[0].path, "Licence\\Tarvo.exe");
    EXPECT_EQ(preview.left_out[0].rule, COPY_LEFT_SPLASH);
    EXPECT_EQ(preview.left_out[1].rule, COPY_LEFT_INSTALLER);
    EXPECT_EQ(preview.size_line, "Size use on the hard disk : " + std::to_string(preview.total_size) + " octects");
    std::string menu = folders.shell.programs + "Tarvo\\Carnet\\";
    EXPECT_EQ(preview.record,
              "[Langue]\r\nEN\r\n[Programme]\r\nCarnet\r\n[Fichiers]\r\nC:\\Program files\\Carnet\\Aide\\aide.txt\r\n"
              "C:\\Program files\\Carnet\\App.exe\r\nC:\\Program files\\Carnet\\Licence\\Concepteur.htm\r\n"
              "C:\\Program files\\Carnet\\Licence\\Licence.htm\r\nC:\\Program files\\Carnet\\setup.ini\r\n"
              "C:\\Program files\\Carnet\\Uninstall.dat\r\nC:\\Program files\\Carnet\\Uninstall.exe\r\n"
              "C:\\Users\\User\\Desktop\\Carnet.lnk\r\nC:\\Users\\User\\Desktop\\Aide.lnk\r\n" +
                  menu + "Update.Txt\r\n" + menu + "Carnet.lnk\r\n" + menu + "Aide.lnk\r\n" + menu +
                  "Uninstall.lnk\r\n[Menu]\r\n" + menu);
    preview = preview_installation(read_tree(), template_bytes, true, folders);
    EXPECT_EQ(preview.install_dir, "C:\\Users\\User\\AppData\\Roaming\\Carnet\\");
}

TEST_F(Checker, TheEntryInWindowsListOfPrograms) {
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvo_Carnet";
    const std::string dir = "C:\\Program files\\Carnet\\";
    check();
    InstallPreview preview = preview_installation(read_tree(), template_bytes, false, sample_user_folders());
    EXPECT_EQ(apps_entry_lines(preview),
              (std::vector<std::string>{"HKEY_LOCAL_MACHINE\\" + key, "  DisplayName: Carnet", "  DisplayVersion: 1.0",
                                        "  Publisher: Tarvo", "  DisplayIcon: " + dir + "App.exe,0",
                                        "  InstallLocation: " + dir,
                                        "  InstallDate: <the day of the installation, YYYYMMDD>",
                                        "  EstimatedSize: " + std::to_string((preview.total_size + 512) / 1024) +
                                            " (REG_DWORD)",
                                        "  UninstallString: \"" + dir + "Uninstall.exe\"",
                                        "  QuietUninstallString: \"" + dir + "Uninstall.exe\" /VERYSILENT",
                                        "  NoModify: 1 (REG_DWORD)", "  NoRepair: 1 (REG_DWORD)",
                                        "  URLInfoAbout: https://tarvo-developpement.example/"}));
    const std::string none = "none: \"Applications et fonctionnalités\" is 0 in setup.ini, so Setup leaves the "
                             "program out of the list";
    const std::string options = "Programme multilangue=1";
    struct Case {
        bool current_user;
        std::string from, to;
        size_t lines;
        std::vector<std::string> said;
    } cases[] = {
        {true, options, options, 13,
         {"HKEY_CURRENT_USER\\" + key, "  InstallLocation: C:\\Users\\User\\AppData\\Roaming\\Carnet\\"}},
        {false, options, options + "\r\nApplications et fonctionnalités=0", 1, {none}},
        {true, options, options + "\r\nApplications et fonctionnalités=0", 1, {none}},
        {false, options, options + "\r\nApplications et fonctionnalités=2", 13, {"HKEY_LOCAL_MACHINE\\" + key}},
        {false, "Version=1.0", "Version=1.0\r\nEditeur=Atelier Dupré", 13, {"  Publisher: Atelier Dupré"}},
    };
    for (const Case& c : cases) {
        write("setup.ini", settings_with(c.from, c.to));
        EXPECT_EQ(check(), "") << c.to;
        preview = preview_installation(read_tree(), template_bytes, c.current_user, sample_user_folders());
        std::vector<std::string> lines = apps_entry_lines(preview);
        EXPECT_EQ(lines.size(), c.lines) << c.to;
        for (const std::string& line : c.said)
            EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << c.to << "\n" << line;
    }
}

TEST_F(Checker, ThePreviewOfAnUninstallation) {
    const std::string dir = "C:\\P\\Carnet\\";
    write("Carnet.txt", "the user's notes");
    write("empty/none.txt", "");
    write("data/kept.cfg", "settings");
    write("Uninstall.dat", "[Langue]\r\nFR\r\n[Dossier du programme]\r\nmissing.cfg\r\n[Registre]\r\nHKCU\\X\r\n"
                           "[Fichiers]\r\n" + dir + "App.exe\r\n" + dir + "Aide\\aide.txt\r\n" + dir +
                           "Uninstall.exe\r\n" + dir + "Uninstall.dat\r\n[Menu]\r\nC:\\M\\Tarvo\\Carnet\\");
    std::vector<std::string> lines;
    ASSERT_TRUE(preview_uninstall(root, &lines));
    auto said = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_TRUE(said("Delete C:\\P\\Carnet\\missing.cfg: it is not there now"));
    EXPECT_TRUE(said("Leave \"HKCU\\X\" alone: not under a registry root the uninstaller knows"));
    EXPECT_TRUE(said("Delete C:\\P\\Carnet\\App.exe"));
    EXPECT_TRUE(said("Keep C:\\P\\Carnet\\Uninstall.exe: it is the uninstaller, running"));
    EXPECT_TRUE(said("Delete the empty file C:\\P\\Carnet\\empty\\none.txt"));
    EXPECT_TRUE(said("Remove the folder C:\\P\\Carnet\\empty\\"));
    EXPECT_TRUE(said("Remove the folder C:\\P\\Carnet\\Aide\\"));
    EXPECT_TRUE(said("Keep the folder C:\\P\\Carnet\\data\\: it holds kept.cfg (8 bytes)"));
    EXPECT_TRUE(said("Clear the Start-menu folder C:\\M\\Tarvo\\Carnet\\: its files, then the folder when nothing "
                     "else is left in it"));
    EXPECT_FALSE(said("Remove the folder C:\\P\\Carnet\\data\\"));
    remove("Uninstall.dat");
    lines.clear();
    EXPECT_FALSE(preview_uninstall(root, &lines));
}

}  // namespace
