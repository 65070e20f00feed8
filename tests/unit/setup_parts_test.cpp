// The installer's own routines, in process: settings, texts, size text,
// folder copy and the completion of the uninstall record.
#include <gtest/gtest.h>

#include <algorithm>

#include "installer/setup.h"
#include "runtime/runtime.h"
#include "tests/support/scratch.h"

namespace {

class SetupParts : public ::testing::Test {
protected:
    void SetUp() override {
        GetCurrentDirectoryA(MAX_PATH, saved_folder);
        SetCurrentDirectoryA(source.path().c_str());
        setup = SetupState{};
        catalogue = TextCatalogue{};
        install_run = InstallRun{};
        init_runtime();
    }
    void TearDown() override {
        release_runtime();
        SetCurrentDirectoryA(saved_folder);
    }

    // Window 1 with the log list, as the installation run makes it.
    void open_log_window() {
        ASSERT_NE(open_window(RESULT_WINDOW, 0, 0, 310, 405, WINDOW_INVISIBLE, "log"), 0);
        ASSERT_NE(set_gadget_parent(window_handle()), 0);
        ASSERT_NE(create_list_box(LOG_LIST, 0, 140, 310, 240), 0);
    }

    std::vector<std::string> log_lines() {
        std::vector<std::string> lines;
        HWND list = gadget_handle(LOG_LIST);
        int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            std::string line(SendMessageA(list, LB_GETTEXTLEN, i, 0), '\0');
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
            lines.push_back(line);
        }
        return lines;
    }

    char saved_folder[MAX_PATH];
    ScratchFolder source;
    ScratchFolder target;
};

// The settings rules are tested on the host; here setup.ini is read from
// the current folder, the program folder, and a missing one gives defaults.
TEST_F(SetupParts, ReadSettingsReadsTheFileOfTheCurrentFolder) {
    write_bytes(source / "setup.ini",
                "[ Informations sur le logiciel]\r\nNom=Carnet\r\n"
                "[ Options de l'intallation]\r\nMise \xE0 jour=maj.exe\r\nProgramme multilangue=1\r\n");
    read_settings();
    EXPECT_EQ(setup.program_name, "Carnet");
    EXPECT_EQ(setup.update_program, "maj.exe");
    EXPECT_EQ(setup.multilingual, 1);
    DeleteFileA((source / "setup.ini").c_str());
    read_settings();
    EXPECT_EQ(setup.program_name, "");
    EXPECT_EQ(setup.multilingual, 0);
}

TEST_F(SetupParts, CustomTextIsReadFromTheFileOfTheCurrentFolder) {
    write_bytes(source / "setup.ini", "[ Texte de l'intallation FR]\r\nligne5=Cinq\r\n");
    setup.language = "FR";
    read_custom_text();
    EXPECT_EQ(setup.custom_text, "\n\n\n\nCinq\n\n\n\n\n");
    DeleteFileA((source / "setup.ini").c_str());
    read_custom_text();
    EXPECT_EQ(setup.custom_text, std::string(9, '\n'));
}

class FolderCopy : public SetupParts {
protected:
    void SetUp() override {
        SetupParts::SetUp();
        load_catalogue("FR");
        setup.update_program = "maj.exe";
        setup.install_program = "prep.exe";
        setup.install_dir = target.path();
        write_bytes(source / "App.exe", "app");
        write_bytes(source / "setup.ini", "[x]");
        // Names differing in case alone are one file here, so the upper-case
        // "Setup.ini" stands in a subfolder.
        for (const char* name : {"Setup.exe", "Tarvo.exe", "maj.exe", "prep.exe"})
            write_bytes(source / name, "kit");
        make_folder(source / "sub");
        write_bytes(source / "sub\\data.txt", "12345");
        write_bytes(source / "sub\\Setup.exe", "kit");
        write_bytes(source / "sub\\maj.exe", "kit");
        write_bytes(source / "sub\\Setup.ini", "kit");
        make_folder(source / "sub\\deeper");
        write_bytes(source / "sub\\deeper\\x.bin", "");
        make_folder(source / "empty");
        open_log_window();
    }
};

TEST_F(FolderCopy, CopiesTheTreeLessTheKitsOwnFiles) {
    copy_folder("", 0);
    EXPECT_EQ(read_bytes(target / "App.exe"), "app");
    EXPECT_EQ(read_bytes(target / "setup.ini"), "[x]");
    EXPECT_EQ(read_bytes(target / "sub\\data.txt"), "12345");
    EXPECT_TRUE(exists(target / "sub\\deeper\\x.bin"));
    EXPECT_TRUE(exists(target / "empty"));
    for (const char* left_out : {"Setup.exe", "Tarvo.exe", "maj.exe", "prep.exe", "sub\\Setup.exe", "sub\\maj.exe", "sub\\Setup.ini"})
        EXPECT_FALSE(exists(target / left_out)) << left_out;

    std::vector<std::string> expected{target / "App.exe", target / "setup.ini", target / "sub\\data.txt",
                                      target / "sub\\deeper\\x.bin"};
    std::vector<std::string> records = install_run.uninstall_records;
    std::sort(records.begin(), records.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(records, expected);
    std::vector<std::string> lines = log_lines();
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"   >   App.exe", "   >   setup.ini", "   >   sub\\data.txt",
                                                "   >   sub\\deeper\\x.bin"}));
    EXPECT_EQ(install_run.total_size, 3 + 3 + 5 + 0);
    EXPECT_EQ(install_run.copy_failed, 0);
}

// A folder's files are recorded where the folder comes among its parent's
// entries: depth first, each record made before its log line.
TEST_F(FolderCopy, RecordsFollowTheOrderOfTheCopy) {
    copy_folder("", 0);
    std::vector<std::string> lines = log_lines();
    ASSERT_EQ(lines.size(), install_run.uninstall_records.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(target.path() + lines[i].substr(7), install_run.uninstall_records[i]);
    auto data = std::find(lines.begin(), lines.end(), "   >   sub\\data.txt");
    auto deeper = std::find(lines.begin(), lines.end(), "   >   sub\\deeper\\x.bin");
    ASSERT_NE(data, lines.end());
    ASSERT_NE(deeper, lines.end());
    EXPECT_EQ(std::abs(deeper - data), 1);  // sub's subtree is copied in one piece
}

TEST_F(FolderCopy, SplashProgramOnlyWhenAskedWithExactlyOne) {
    setup.copy_splash_file = 2;
    copy_folder("", 0);
    EXPECT_FALSE(exists(target / "Tarvo.exe"));
    setup.copy_splash_file = 1;
    copy_folder("", 0);
    EXPECT_TRUE(exists(target / "Tarvo.exe"));
}

TEST_F(FolderCopy, AnInstallDirectoryInsideTheProgramFolderIsNotCopiedIntoItself) {
    setup.install_dir = source / "sub\\installed\\";
    make_folder(source / "sub\\installed");
    copy_folder("", 0);
    EXPECT_TRUE(exists(source / "sub\\installed\\App.exe"));
    EXPECT_TRUE(exists(source / "sub\\installed\\sub\\data.txt"));
    EXPECT_FALSE(exists(source / "sub\\installed\\sub\\installed"));
}

TEST_F(SetupParts, UninstallRecordIsPatchedAndCompleted) {
    setup.install_dir = target.path();
    setup.language = "FR";
    install_run.uninstall_records = {target / "App.exe", "C:\\Desk\\A.lnk", "[Menu]", "C:\\Menu\\Tarvo\\A\\"};
    write_bytes(target / "Uninstall.dat", "[Langue]\r\n??\r\n[Programme]\r\nCarnet\r\n[Fichiers]\r\n");
    write_uninstall_record();
    EXPECT_EQ(read_bytes(target / "Uninstall.dat"),
              "[Langue]\r\nFR\r\n[Programme]\r\nCarnet\r\n[Fichiers]\r\n" + target / "App.exe" +
                  "\r\nC:\\Desk\\A.lnk\r\n[Menu]\r\nC:\\Menu\\Tarvo\\A\\");

    // A longer placeholder keeps its extra characters.
    setup.language = "EN";
    install_run.uninstall_records = {"[Menu]", "M\\"};
    write_bytes(target / "Uninstall.dat", "[Langue]\nXYZ\n[Fichiers]\n");
    write_uninstall_record();
    EXPECT_EQ(read_bytes(target / "Uninstall.dat"), "[Langue]\nENZ\n[Fichiers]\n[Menu]\r\nM\\");

    // A template whose last header lacks its line end gets one, so that
    // the first record is not read as part of that header.
    write_bytes(target / "Uninstall.dat", "[Langue]\r\n--\r\n[Lancer]\r\nA.exe\r\n[Fichiers]");
    write_uninstall_record();
    EXPECT_EQ(read_bytes(target / "Uninstall.dat"), "[Langue]\r\nEN\r\n[Lancer]\r\nA.exe\r\n[Fichiers]\r\n[Menu]\r\nM\\");

    // Without a template the file is created: the language and the first
    // record share the first line.
    DeleteFileA((target / "Uninstall.dat").c_str());
    write_uninstall_record();
    EXPECT_EQ(read_bytes(target / "Uninstall.dat"), "EN[Menu]\r\nM\\");
}

}  // namespace
