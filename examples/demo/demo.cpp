// The demo driver of scripts/demo: installs the sample distribution through
// Setup.exe's windows as a user would, writes a note in Carnet, shows what
// the installation made, uninstalls through Uninstall.exe's window and shows
// what stayed.  A PNG picture of every window on the way goes into the
// picture folder.  Exit code 0 when every step did what it should.
//
//   demo.exe <distribution folder> <picture folder> [FR|EN]
//
// The windows are driven by control id with the end-to-end tests' driver.
// Texts of the kit are Windows-1252; they are printed as UTF-8.
#include <windows.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "examples/demo/capture.h"
#include "tests/e2e/kit.h"

namespace {

constexpr DWORD LIMIT = 30000;
const char* const PROGRAM_NAME = "Carnet de notes";
const char* const PROGRAM_TITLE = "Carnet de notes - v1.0";
const char* const HELP_NAME = "Aide de Carnet";
const char* const CARNET_CLASS = "CarnetWindow";
const char* const PLACE_KEY = "Software\\Tarvo Exemple\\Carnet";
const char* const PARENT_KEY = "Software\\Tarvo Exemple";
const char* const LATER_LINE = "- et le journal\r\n";
const char* const NOTE = "Liste du march\xE9 :\r\n- pain, caf\xE9, cr\xE8me fra\xEE" "che\r\n- rappeler \xC9lodie \xE0 18 h\r\n";
constexpr int NOTES_EDIT = 1;

// The texts that depend on the language the installer ran in.
struct LanguageTexts {
    const char* uninstall_title;
    const char* uninstall_link;
    const char* update_file;
    const char* closing_note;
};
const LanguageTexts FRENCH = {"D\xE9sinstallation", "D\xE9sinstallation.lnk", "Mise \xE0 jour.Txt",
                              "Terminer la d\xE9sinstallation.txt"};
const LanguageTexts ENGLISH = {"Uninstall", "Uninstall.lnk", "Update.Txt", "Finish uninstall.txt"};

struct DemoState {
    std::string distribution;  // each folder with a trailing "\"
    std::string pictures;
    bool english = false;
    const LanguageTexts* texts = &FRENCH;
    std::string install_dir;
    int pictures_taken = 0;
    Program open_carnet;  // Carnet, left open for the uninstaller to close
};

DemoState demo;

// ---- Output ----

std::string utf8(const std::string& ansi) {
    int wide_length = MultiByteToWideChar(1252, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(wide_length, L'\0');
    MultiByteToWideChar(1252, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), wide_length);
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
    std::string out(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, out.data(), length, nullptr, nullptr);
    return out;
}

void say(const std::string& text) {
    std::string line = utf8(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

bool fail(const std::string& what) {
    say("demo: FAILED: " + what);
    return false;
}

// The driver reports what it could not do as test failures: print them
// as they come, in UTF-8.
class FailurePrinter : public ::testing::EmptyTestEventListener {
    void OnTestPartResult(const ::testing::TestPartResult& result) override {
        if (result.failed())
            say(std::string("demo: ") + (result.file_name() ? result.file_name() : "") + ":" +
                std::to_string(result.line_number()) + ": " + result.message());
    }
};

bool driver_failed() { return ::testing::Test::HasFailure(); }

// A file's text with its line ends taken off, one printed line per line.
void say_lines(const std::string& indent, const std::string& bytes) {
    std::string line;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (i < bytes.size() || !line.empty()) say(indent + line);
            line.clear();
        } else {
            line += bytes[i];
        }
    }
}

// ---- Pictures ----

// Waits until the program has taken every message sent so far and had the
// time to paint, then saves the window's screen area.
bool picture(HWND window, const std::string& name, const std::string& what) {
    DWORD_PTR ignored;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    Sleep(400);
    char number[8];
    std::snprintf(number, sizeof number, "%02d-", ++demo.pictures_taken);
    std::string file = number + name + ".png";
    if (!save_window_picture(window, demo.pictures + file)) return fail("cannot save the picture " + file);
    say("  picture " + file + ": " + what);
    return true;
}

// ---- Files and folders ----

struct TreeEntry {
    std::string path;  // relative, folders end with "\"
    long long size;
};

void list_tree(const std::string& folder, const std::string& relative, std::vector<TreeEntry>* entries) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + relative + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            entries->push_back({relative + name + "\\", -2});
            list_tree(folder, relative + name + "\\", entries);
        } else {
            entries->push_back({relative + name, (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

std::vector<TreeEntry> tree(const std::string& folder) {
    std::vector<TreeEntry> entries;
    list_tree(folder, "", &entries);
    std::sort(entries.begin(), entries.end(), [](const TreeEntry& a, const TreeEntry& b) { return a.path < b.path; });
    return entries;
}

void say_tree(const std::string& folder) {
    for (const TreeEntry& entry : tree(folder)) {
        char size[32] = "";
        if (entry.size >= 0) std::snprintf(size, sizeof size, "%10lld  ", entry.size);
        else std::snprintf(size, sizeof size, "%10s  ", "folder");
        say(std::string("    ") + size + entry.path);
    }
}

std::string start_menu() { return start_menu_folder(PROGRAM_NAME); }
std::string desktop() { return shell_folder(CSIDL_DESKTOPDIRECTORY); }
std::string author_folder() { return shell_folder(CSIDL_PROGRAMS) + "Tarvo\\"; }

// ---- Before: what an earlier run left ----

// The demo installs into the proposed folder of the project's Wine prefix;
// what an earlier run left there (the notes, the note of the uninstaller,
// or a whole installation when that run was stopped) goes first, so that
// this run is a fresh installation.
void clear_earlier_run() {
    std::string proposed = "C:\\Program files\\" + std::string(PROGRAM_NAME) + "\\";
    bool found = exists(proposed) || exists(start_menu()) || user_key_exists(PLACE_KEY);
    if (!found) return;
    say("Clearing what an earlier demo run left in the Wine prefix (" + proposed + ").");
    remove_tree(proposed);
    remove_shell_traces(PROGRAM_NAME, {PROGRAM_NAME, HELP_NAME});
    RegDeleteKeyA(HKEY_CURRENT_USER, PLACE_KEY);
    RegDeleteKeyA(HKEY_CURRENT_USER, PARENT_KEY);
}

// ---- The installation ----

bool splash_and_language(const Program& setup) {
    say("");
    say("1. Setup.exe starts and shows the author's logo through Tarvo.exe.");
    HWND splash = nullptr;
    if (!wait_until([&] { return (splash = FindWindowA(nullptr, "Maelwick")) && IsWindowVisible(splash); }, LIMIT))
        return fail("the splash window \"Maelwick\" did not show");
    if (!picture(splash, "splash", "the logo, shown for 4 seconds")) return false;
    say("2. The language window (\"Programme multilangue=1\"): choosing " +
        std::string(demo.english ? "English." : "French (Francais)."));
    HWND language = wait_built_window(setup, "Langue / Language", "ComboBox");
    if (!language) return false;
    int list = GetDlgCtrlID(find_by_class(language, "ComboBox"));
    if (demo.english && !select_combo_item(language, list, 1)) return false;
    if (!picture(language, "language", demo.english ? "English chosen" : "Francais chosen")) return false;
    return click_control(language, GetDlgCtrlID(find_by_class(language, "Button", "OK"))) && !driver_failed();
}

// "Suivant" ("Next") before the licence box is ticked is refused with a message;
// that answer also proves the wizard's event loop is running.
bool consent_refused(const Program& setup, HWND wizard) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        post_click(wizard, 13);
        if (!wait_until([&] { return find_message_box(setup.id()) != nullptr; }, 300)) continue;
        MessageBoxSeen seen = wait_message_box(setup, LIMIT);
        say("   \"" + control_text(wizard, 13) + "\" without the licence box ticked: \"" + seen.title + "\" - \"" +
            seen.text + "\"");
        if (!picture(seen.box, "consent-refused", "the message for an unticked licence box")) return false;
        answer_message_box(setup, LIMIT);
        return wait_until([&] { return IsWindowEnabled(wizard) != FALSE; }, LIMIT) && !driver_failed();
    }
    return fail("the wizard never answered \"Suivant\"");
}

bool licence_window(const Program& setup, HWND wizard) {
    say("   The licence button opens the designer and licence window (the two pages of Licence\\).");
    if (!click_control(wizard, 1)) return false;
    HWND licence = wait_built_window(setup, "Concepteur et licence", "SysTabControl32");
    if (!licence || !picture(licence, "licence", "\"Concepteur et licence\": Concepteur.htm and Licence.htm"))
        return false;
    request_close(licence);
    if (!wait_until([&] { return !IsWindow(licence) && IsWindowEnabled(wizard); }, LIMIT))
        return fail("the licence window did not close");
    return true;
}

bool show_page(HWND wizard, int next_button, int page, const std::string& name, const std::string& what) {
    if (!click_control(wizard, next_button)) return false;
    if (!wait_until([&] { return selected_tab(wizard, 20) == page; }, LIMIT))
        return fail("page " + std::to_string(page + 1) + " did not show");
    say("   Page " + std::to_string(page + 1) + ": " + what);
    return picture(wizard, name, what);
}

bool wizard_pages(const Program& setup, HWND wizard) {
    say("3. The wizard, page 1: the presentation text of setup.ini and the licence consent.");
    if (!consent_refused(setup, wizard) || !licence_window(setup, wizard)) return false;
    if (!click_control(wizard, 19) || check_state(wizard, 19) != 1) return fail("the licence box did not tick");
    if (!picture(wizard, "page1-consent", "page 1, licence accepted")) return false;
    if (!show_page(wizard, 13, 1, "page2-charter", "the charter of a clean installation")) return false;
    if (!show_page(wizard, 15, 2, "page3-use", "for all users or for the current user")) return false;
    if (!show_page(wizard, 14, 3, "page4-options", "install folder, run after installation, desktop shortcut"))
        return false;
    demo.install_dir = control_text(wizard, 21);
    if (demo.install_dir.empty()) return fail("no install folder proposed");
    if (demo.install_dir.back() != '\\') demo.install_dir += '\\';
    say("   Proposed folder: " + demo.install_dir + "; \"" + control_text(wizard, 27) + ": " +
        control_text(wizard, 6) + "\" " +
        (check_state(wizard, 6) == 1 ? "ticked" : "unticked") + "; \"" + control_text(wizard, 12) + "\" " +
        (check_state(wizard, 12) == 1 ? "ticked" : "unticked") + ".");
    return !driver_failed();
}

// The result window once "Terminer" is enabled and the record completed
// (its last line is the Start-menu folder).
HWND wait_result(const Program& setup) {
    HWND result = wait_result_finished(setup, PROGRAM_TITLE, LIMIT);
    if (!result) {
        fail("no result window; the installer shows:\n" + describe_windows(setup));
        return nullptr;
    }
    std::string menu = start_menu();
    auto complete = [&] {
        std::string record = read_bytes(demo.install_dir + "Uninstall.dat");
        return record.size() >= menu.size() && record.compare(record.size() - menu.size(), menu.size(), menu) == 0;
    };
    if (!wait_until(complete, LIMIT)) {
        fail("Uninstall.dat was not completed");
        return nullptr;
    }
    return result;
}

bool installation(const Program& setup, HWND wizard) {
    say("4. \"" + control_text(wizard, 4) + "\": the installation runs.");
    if (!click_control(wizard, 4)) return false;
    HWND result = wait_result(setup);
    if (!result || !picture(result, "result", "the result page with the log")) return false;
    say("   The log:");
    for (const std::string& line : list_lines(result, 10)) say("   | " + line);
    say("5. \"" + control_text(result, 16) + "\": Setup ends and starts Carnet.exe (\"Lancer apr\xE8s installation\").");
    return click_control(result, 16) && !driver_failed();
}

bool install(Program& setup) {
    if (!splash_and_language(setup)) return false;
    HWND wizard = wait_window(setup, PROGRAM_TITLE, "", LIMIT);
    if (!wizard || !wait_control(wizard, 4, LIMIT)) return false;
    if (!wizard_pages(setup, wizard) || !installation(setup, wizard)) return false;
    if (wait_program_end(setup, LIMIT) < 0) return fail("Setup.exe did not end after \"Terminer\"");
    return true;
}

// ---- Carnet ----

// Carnet as Setup started it, as a program the demo holds (and ends, if
// something goes wrong).
Program carnet_program(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, id);
    return process ? Program(process, id) : Program();
}

bool use_carnet() {
    HWND window = nullptr;
    if (!wait_until([&] { return (window = FindWindowA(CARNET_CLASS, PROGRAM_NAME)) && IsWindowVisible(window); },
                    LIMIT))
        return fail("Carnet's window \"Carnet de notes\" did not show");
    Program carnet = carnet_program(window);
    if (!carnet.started()) return fail("cannot reach Carnet's process");
    // The folder window that Setup opened on the Start-menu folder bears the
    // program's name too: the uninstaller's "[Programme]" entry would close
    // it instead of Carnet.  Explorer opens it on its own time.
    close_folder_window(PROGRAM_NAME, LIMIT);
    say("6. Carnet runs from " + demo.install_dir + "; the demo types a note into it:");
    say_lines("   > ", NOTE);
    if (!type_text(window, NOTES_EDIT, NOTE) || !picture(window, "carnet", "Carnet with the note")) return false;
    say("   Carnet is asked to close (WM_CLOSE, as the uninstaller's \"[Programme]\" entry does); it saves.");
    request_close(window);
    if (wait_program_end(carnet, LIMIT) < 0) return fail("Carnet did not close");
    if (read_bytes(demo.install_dir + "Carnet.txt") != NOTE) return fail("Carnet.txt does not hold the note");
    if (!user_key_exists(PLACE_KEY)) return fail("Carnet did not remember its place in the registry");
    say("   Carnet.txt now holds the note, and HKEY_CURRENT_USER\\" + std::string(PLACE_KEY) +
        " the window's place.");
    return true;
}

// Started again from its Start-menu shortcut, Carnet shows the note; it is
// left open, with a line added, for the uninstaller to close.
bool reopen_carnet() {
    ShortcutValues link = read_shortcut(start_menu() + PROGRAM_NAME + ".lnk");
    if (!link.read) return false;
    say("   Carnet started again from its Start-menu shortcut; it shows the saved note.");
    demo.open_carnet = start_program(link.target, link.working_folder, "");
    HWND window = wait_window(demo.open_carnet, PROGRAM_NAME, CARNET_CLASS, LIMIT);
    if (!window) return false;
    if (control_text(window, NOTES_EDIT) != NOTE) return fail("Carnet does not show the saved note");
    std::string more = std::string(NOTE) + LATER_LINE;
    if (!type_text(window, NOTES_EDIT, more)) return false;
    say("   The demo adds a line and leaves Carnet open:");
    say_lines("   > ", LATER_LINE);
    return picture(window, "carnet-again", "Carnet started again, left open") && !driver_failed();
}

// ---- What the installation made ----

void say_shortcut(const std::string& link) {
    if (!exists(link)) {
        say("    " + link + "  (missing)");
        return;
    }
    ShortcutValues values = read_shortcut(link);
    say("    " + link);
    say("        -> " + values.target + "   (in " + values.working_folder + ")");
}

bool show_installation() {
    say("");
    say("7. What the installation made.");
    say("   The install folder " + demo.install_dir + ":");
    say_tree(demo.install_dir);
    say("   Uninstall.dat, the template completed by Setup.exe:");
    say_lines("    | ", read_bytes(demo.install_dir + "Uninstall.dat"));
    say("   Shortcuts, read back through the shell's link interface:");
    for (const std::string& name : {std::string(PROGRAM_NAME), std::string(HELP_NAME)})
        say_shortcut(desktop() + name + ".lnk");
    for (const std::string& name : {std::string(PROGRAM_NAME), std::string(HELP_NAME)})
        say_shortcut(start_menu() + name + ".lnk");
    say_shortcut(start_menu() + demo.texts->uninstall_link);
    say("   The update-information file " + start_menu() + demo.texts->update_file + ":");
    say_lines("    | ", read_bytes(start_menu() + demo.texts->update_file));
    say("   The author's web link: " + author_folder() + "Tarvo Developpement.url" +
        (exists(author_folder() + "Tarvo Developpement.url") ? "" : " (missing)"));
    return !driver_failed();
}

// ---- The uninstallation ----

bool uninstall() {
    std::string link = start_menu() + demo.texts->uninstall_link;
    ShortcutValues values = read_shortcut(link);
    if (!values.read) return false;
    // "[Programme]" closes the first window of that title: no folder
    // window named after the program may come before Carnet's.
    close_folder_windows();
    wait_until([] {
        HWND first = FindWindowA(nullptr, PROGRAM_NAME);
        return first && window_class(first) == CARNET_CLASS;
    }, LIMIT);
    say("");
    say("8. The uninstaller, started as its Start-menu shortcut starts it: " + values.target);
    Program uninstaller = start_program(values.target, values.working_folder, "");
    HWND window = wait_window(uninstaller, demo.texts->uninstall_title, "", LIMIT);
    if (!window || !wait_control(window, 2, LIMIT)) return false;
    if (!picture(window, "uninstall", "the uninstaller's window")) return false;
    say("   \"" + control_text(window, 1) + "\" pressed.  The record's \"[Programme]\" entry asks the open Carnet to");
    say("   close (it saves), \"[Lancer]\" runs \"Carnet.exe /attendre\", which waits until Carnet has ended,");
    say("   then \"[Registre]\" deletes the keys and \"[Fichiers]\" the installed files and shortcuts.");
    if (!click_control(window, 1)) return false;
    MessageBoxSeen seen = wait_message_box(uninstaller, LIMIT);
    if (!seen.box) return false;
    say("   Its closing message: \"" + seen.text + "\"");
    if (!picture(seen.box, "uninstall-done", "the uninstaller's closing message")) return false;
    answer_message_box(uninstaller, LIMIT);
    if (wait_program_end(uninstaller, LIMIT) < 0) return fail("Uninstall.exe did not end");
    if (wait_program_end(demo.open_carnet, LIMIT) < 0) return fail("Carnet was not closed by the uninstaller");
    close_folder_windows();  // the install folder's window it opened
    return !driver_failed();
}

// Why a file of the install folder is still there.
std::string kept_because(const std::string& name) {
    if (name == "Carnet.txt") return "the user's notes: Carnet wrote them after the installation, so no record lists them";
    if (name == demo.texts->closing_note) return "the uninstaller's closing note: the folder may now be deleted by hand";
    if (name == "Uninstall.exe") return "the uninstaller itself: it was running";
    return "NOT EXPECTED";
}

bool show_what_stayed() {
    say("9. What stayed in " + demo.install_dir + ":");
    bool expected = true;
    for (const TreeEntry& entry : tree(demo.install_dir)) {
        std::string why = kept_because(entry.path);
        say("    " + entry.path + "  - " + why);
        if (why == "NOT EXPECTED") expected = false;
    }
    if (!expected) return fail("the uninstaller left files it should have removed");
    if (read_bytes(demo.install_dir + "Carnet.txt") != std::string(NOTE) + LATER_LINE)
        return fail("the notes, with the line added last, were not kept");
    bool shortcuts_gone = !exists(desktop() + PROGRAM_NAME + ".lnk") && !exists(desktop() + HELP_NAME + ".lnk");
    say(std::string("   Desktop shortcuts: ") + (shortcuts_gone ? "removed." : "STILL THERE."));
    say("   Start-menu folder " + start_menu() + ": " + (exists(start_menu()) ? "STILL THERE." : "removed."));
    say("   Author's folder " + author_folder() + ": " +
        (exists(author_folder()) ? "kept (other programs' files are in it)." : "removed (only the web link was left)."));
    bool keys_gone = !user_key_exists(PLACE_KEY) && !user_key_exists(PARENT_KEY);
    say("   Registry key HKEY_CURRENT_USER\\" + std::string(PARENT_KEY) + ": " +
        (keys_gone ? "removed (\"[Registre]\")." : "STILL THERE."));
    if (!shortcuts_gone || exists(start_menu()) || !keys_gone) return fail("the uninstallation left traces");
    return true;
}

std::string with_backslash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
    ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
    delete listeners.Release(listeners.default_result_printer());
    listeners.Append(new FailurePrinter);
    if (argc < 3) {
        say("usage: demo.exe <distribution folder> <picture folder> [FR|EN]");
        return 2;
    }
    demo.distribution = with_backslash(argv[1]);
    demo.pictures = with_backslash(argv[2]);
    demo.english = argc > 3 && std::string(argv[3]) == "EN";
    demo.texts = demo.english ? &ENGLISH : &FRENCH;
    CreateDirectoryA(demo.pictures.c_str(), nullptr);

    clear_earlier_run();
    say("Installing \"" + std::string(PROGRAM_NAME) + "\" from " + demo.distribution + "Setup.exe");
    Program setup = start_program(demo.distribution + "Setup.exe", demo.distribution, "");
    bool done = setup.started() && install(setup) && use_carnet() && reopen_carnet() && show_installation() &&
                uninstall() && show_what_stayed();
    close_folder_windows();
    if (!done) {
        say("demo: stopped; the pictures taken so far are in " + demo.pictures);
        return 1;
    }
    say("");
    say("Done: installed, used and uninstalled.  " + std::to_string(demo.pictures_taken) + " pictures in " +
        demo.pictures);
    return 0;
}
