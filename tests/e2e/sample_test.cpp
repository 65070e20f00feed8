// The sample distribution of examples/, as the build assembles it in
// <build>/distribution: the bytes of its author's files, and a whole life
// through the real programs: installed through the wizard, Carnet used,
// uninstalled.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>

#include "driver/sample.h"
#include "uninstaller/uninstall.h"

namespace {

constexpr DWORD LIMIT = 30000;
const char* const NOTE = "Courses :\r\n- caf\xE9, cr\xE8me\r\n";
const char* const LATER_NOTE = "Courses :\r\n- caf\xE9, cr\xE8me\r\n- pain\r\n";
const std::string TEMPLATE =
    "[Langue]\r\n--\r\n[Programme]\r\nCarnet de notes\r\n[Lancer]\r\nCarnet.exe&/attendre\r\n[Registre]\r\n"
    "HKEY_CURRENT_USER\\Software\\Tarvo Exemple\\Carnet\r\nHKEY_CURRENT_USER\\Software\\Tarvo Exemple\r\n"
    "[Fichiers]\r\n";

// The files under folder, relative paths, sorted.
std::vector<std::string> files_under(const std::string& folder) {
    std::vector<std::string> files;
    for (const TreeEntry& entry : list_tree(folder))
        if (!entry.is_folder()) files.push_back(entry.path);
    return files;
}

// Every line ends with CR LF, the last one too; no byte-order mark and no
// UTF-8 sequence for an accented letter (lead byte 0xC3).
void expect_windows_1252_crlf(const std::string& bytes, const char* file) {
    SCOPED_TRACE(file);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(bytes.find('\xC3'), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "lone LF at byte " << i;
        }
        if (bytes[i] == '\r') {
            EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "lone CR at byte " << i;
        }
    }
}

bool has_line(const std::string& bytes, const std::string& line) {
    return bytes.find("\r\n" + line + "\r\n") != std::string::npos;
}

TEST(SampleDistribution, AuthorFilesAreWindows1252WithEveryGroupAndKey) {
    std::string sample = sample_folder();
    for (const char* program : {"Setup.exe", "Uninstall.exe", "Tarvo.exe", "Carnet.exe"})
        EXPECT_GT(file_size_of(sample + program), 10000) << program;

    std::string ini = read_bytes(sample + "setup.ini");
    expect_windows_1252_crlf(ini, "setup.ini");
    for (const char* line :
         {"[ Informations sur le logiciel]", "Nom=Carnet de notes", "Version=1.0", "[ Options de l'intallation]",
          "Lancer apr\xE8s installation=Carnet.exe", "Raccourci 1 - Cible=Carnet.exe", "Raccourci 1 - Nom=Carnet de notes",
          "Raccourci 2 - Cible=Aide\\Aide de Carnet.txt", "Raccourci 2 - Nom=Aide de Carnet",
          "Copier le fichier Tarvo.exe=0", "Mise \xE0 jour=", "Lancer \xE0 l'installation=", "Programme multilangue=1"})
        EXPECT_TRUE(has_line(ini, line)) << line;
    // Each language group has its nine lines, right after its header.
    for (const char* group : {"[ Texte de l'intallation FR]", "[ Texte de l'intallation EN]"}) {
        size_t at = ini.find(std::string("\r\n") + group + "\r\n");
        ASSERT_NE(at, std::string::npos) << group;
        at += std::string(group).size() + 4;
        for (int n = 1; n <= 9; ++n) {
            std::string key = "ligne" + std::to_string(n) + "=";
            EXPECT_EQ(ini.compare(at, key.size(), key), 0) << group << " " << key;
            at = ini.find("\r\n", at) + 2;
        }
    }
    EXPECT_TRUE(exists(sample + "Aide\\Aide de Carnet.txt"));

    // The template: placeholder on line 2, "[Fichiers]" and its line end last.
    EXPECT_EQ(read_bytes(sample + "Uninstall.dat"), TEMPLATE);
    // The web link is copied into the author's Start-menu folder, which
    // goes at uninstallation only while it holds 100 bytes or less.
    EXPECT_LE(file_size_of(sample + "Tarvo Developpement.url"), 100);
    EXPECT_GT(file_size_of(sample + "Licence\\Concepteur.htm"), 0);
    EXPECT_GT(file_size_of(sample + "Licence\\Licence.htm"), 0);
}

class SampleLife : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteKeyA(HKEY_CURRENT_USER, CARNET_PLACE_KEY);
        RegDeleteKeyA(HKEY_CURRENT_USER, CARNET_PARENT_KEY);
    }
    void TearDown() override {
        remove_sample_traces();
        close_folder_windows();
    }

    // Through the wizard in French, with the proposed options, to the
    // result window once the record is complete.
    HWND install(Program& setup) {
        if (!choose_language(setup, false)) return nullptr;
        HWND wizard = wait_wizard(setup, sample_ini());
        if (!wizard) return nullptr;
        EXPECT_EQ(check_state(wizard, RUN_AFTER_BOX), BST_CHECKED);  // run Carnet.exe afterwards
        EXPECT_EQ(check_state(wizard, DESKTOP_BOX), BST_CHECKED);    // desktop shortcuts
        press_install(wizard, dir);
        return wait_installed(setup, sample_ini(), dir, LIMIT);
    }

    ScratchFolder scratch;
    std::string dist = scratch / "Distribution\\";
    std::string dir = scratch / "Carnet de notes\\";
};

TEST_F(SampleLife, InstallWriteANoteAndUninstallKeepingIt) {
    ASSERT_TRUE(copy_tree(sample_folder(), dist));
    Program setup = start_program(dist + "Setup.exe", dist, "");
    HWND result = install(setup);
    ASSERT_NE(result, nullptr);

    // Everything of the distribution but the kit's own Setup.exe and
    // Tarvo.exe, byte for byte ("setup.ini" in lower case is installed).
    std::vector<std::string> expected = files_under(dist);
    expected.erase(std::remove_if(expected.begin(), expected.end(),
                                  [](const std::string& f) { return f == "Setup.exe" || f == "Tarvo.exe"; }),
                   expected.end());
    std::vector<std::string> installed = files_under(dir);
    EXPECT_EQ(installed, expected);
    for (const std::string& file : installed) {
        if (file != "Uninstall.dat") {
            EXPECT_EQ(read_bytes(dir + file), read_bytes(dist + file)) << file;
        }
    }

    std::string desktop = shell_folder(CSIDL_DESKTOPDIRECTORY);
    std::string menu = start_menu_folder(SAMPLE_NAME);
    std::vector<std::string> links = {desktop + SAMPLE_NAME + ".lnk", desktop + SAMPLE_HELP_NAME + ".lnk",
                                      menu + SAMPLE_NAME + ".lnk", menu + SAMPLE_HELP_NAME + ".lnk",
                                      menu + "D\xE9sinstallation.lnk"};
    EXPECT_EQ(read_shortcut(links[0]).target, dir + "Carnet.exe");
    EXPECT_EQ(read_shortcut(links[1]).target, dir + "Aide\\Aide de Carnet.txt");
    EXPECT_EQ(read_shortcut(links[2]).target, dir + "Carnet.exe");
    EXPECT_EQ(read_shortcut(links[3]).target, dir + "Aide\\Aide de Carnet.txt");
    EXPECT_EQ(read_shortcut(links[4]).target, dir + "Uninstall.exe");

    // The record: the template with "FR", every file in copy order (the
    // log's order), the shortcuts and the update-information file, the menu.
    std::string record = TEMPLATE;
    record.replace(10, 2, "FR");
    for (const std::string& line : list_lines(result, LOG_LIST))
        if (line.compare(0, 7, "   >   ") == 0) record += dir + line.substr(7) + "\r\n";
    record += links[0] + "\r\n" + links[1] + "\r\n" + menu + "Mise \xE0 jour.Txt\r\n";
    record += links[2] + "\r\n" + links[3] + "\r\n" + links[4] + "\r\n[Menu]\r\n" + menu;
    EXPECT_EQ(read_bytes(dir + "Uninstall.dat"), record);

    // "Terminer" starts Carnet from the install directory; a note typed in
    // it is saved beside it when another program asks it to close.
    EXPECT_TRUE(click_control(result, FINISH_BUTTON));
    EXPECT_GE(wait_program_end(setup, LIMIT), 0);
    // The uninstaller closes the first window titled "Carnet de notes": the
    // folder window that Setup opened on the Start-menu folder of that name
    // must be gone first.  Explorer opens it on its own time.
    EXPECT_TRUE(close_folder_window(SAMPLE_NAME, LIMIT));
    auto [carnet, window] = wait_carnet(LIMIT);
    ASSERT_TRUE(carnet.started());
    EXPECT_FALSE(exists(dir + "Carnet.txt"));
    ASSERT_TRUE(type_text(window, CARNET_NOTES_EDIT, NOTE));
    SetWindowPos(window, nullptr, 37, 41, 460, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    request_close(window);
    EXPECT_EQ(wait_program_end(carnet, LIMIT), 0);
    EXPECT_EQ(read_bytes(dir + "Carnet.txt"), NOTE);
    EXPECT_TRUE(user_key_exists(CARNET_PLACE_KEY));

    // Started again, it shows the note where it was left.
    Program again = start_program(dir + "Carnet.exe", dir, "");
    HWND reopened = wait_window(again, SAMPLE_NAME, CARNET_CLASS, LIMIT);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(control_text(reopened, CARNET_NOTES_EDIT), NOTE);
    RECT place = outer_rect(reopened);
    EXPECT_EQ(place.left, 37);
    EXPECT_EQ(place.top, 41);
    EXPECT_EQ(place.right - place.left, 460);
    EXPECT_EQ(FindWindowA(nullptr, SAMPLE_NAME), reopened);

    // The uninstaller asks the open Carnet to close, which saves the note
    // typed last, waits for it to end ("[Lancer]"), and then takes back
    // everything installed, the running program's file and key included,
    // and keeps the note.
    ASSERT_TRUE(type_text(reopened, CARNET_NOTES_EDIT, LATER_NOTE));
    ASSERT_TRUE(uninstall_installation(dir, "D\xE9sinstallation", LIMIT));
    EXPECT_EQ(wait_program_end(again, LIMIT), 0);
    close_folder_windows();
    EXPECT_EQ(files_under(dir),
              (std::vector<std::string>{"Carnet.txt", "Terminer la d\xE9sinstallation.txt", "Uninstall.exe"}));
    EXPECT_FALSE(exists(dir + "Aide"));
    EXPECT_FALSE(exists(dir + "Licence"));
    EXPECT_EQ(read_bytes(dir + "Carnet.txt"), LATER_NOTE);
    for (const std::string& link : links) EXPECT_FALSE(exists(link)) << link;
    EXPECT_FALSE(exists(menu));
    EXPECT_FALSE(user_key_exists(CARNET_PLACE_KEY));
    EXPECT_FALSE(user_key_exists(CARNET_PARENT_KEY));
}

}  // namespace
