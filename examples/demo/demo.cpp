// The demo driver of scripts/demo: installs the sample distribution through
// Setup.exe's windows as a user would, writes a note in Carnet, shows what
// the installation made, uninstalls through Uninstall.exe's window and shows
// what stayed.  A PNG picture of every window on the way goes into the
// picture folder.  Exit code 0 when every step did what it should.
//
//   demo.exe <distribution folder> <picture folder> [FR|EN]
//
// The windows are driven by control id with the driver library, as the
// end-to-end tests drive them.  Texts of the kit are Windows-1252; they are
// printed as UTF-8.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver/sample.h"
#include "examples/demo/capture.h"
#include "runtime/path_text.h"
#include "uninstaller/uninstall.h"

namespace {

constexpr DWORD LIMIT = 30000;
const char* const LATER_LINE = "- et le journal\r\n";
const char* const NOTE = "Liste du march\xE9 :\r\n- pain, caf\xE9, cr\xE8me fra\xEE" "che\r\n- rappeler \xC9lodie \xE0 18 h\r\n";

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
    int driver_failures = 0;
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

// What the driver could not do, printed on stderr as it comes, in UTF-8.
void print_driver_failure(const char* file, int line, const std::string& message) {
    ++demo.driver_failures;
    std::string text = "demo: " + std::string(file) + ":" + std::to_string(line) + ": " + utf8(message) + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

bool driver_failed() { return demo.driver_failures > 0; }

// A file's text with its line ends taken off, one printed line per line.
void say_lines(const std::string& indent, const std::string& bytes) {
    for (const std::string& line : split_lines(bytes)) say(indent + line);
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

void say_tree(const std::string& folder) {
    for (const TreeEntry& entry : list_tree(folder)) {
        char size[32] = "";
        if (!entry.is_folder()) std::snprintf(size, sizeof size, "%10lld  ", entry.size);
        else std::snprintf(size, sizeof size, "%10s  ", "folder");
        say(std::string("    ") + size + entry.path);
    }
}

std::string start_menu() { return start_menu_folder(SAMPLE_NAME); }
std::string desktop() { return shell_folder(CSIDL_DESKTOPDIRECTORY); }
std::string author_folder() { return shell_folder(CSIDL_PROGRAMS) + "Tarvo\\"; }

// ---- Before: what an earlier run left ----

// The demo installs into the proposed folder of the project's Wine prefix;
// what an earlier run left there (the notes, the note of the uninstaller,
// or a whole installation when that run was stopped) goes first, so that
// this run is a fresh installation.
void clear_earlier_run() {
    std::string proposed = "C:\\Program files\\" + std::string(SAMPLE_NAME) + "\\";
    bool found = exists(proposed) || exists(start_menu()) || user_key_exists(CARNET_PLACE_KEY);
    if (!found) return;
    say("Clearing what an earlier demo run left in the Wine prefix (" + proposed + ").");
    remove_tree(proposed);
    remove_sample_traces();
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
    if (demo.english && !select_combo_item(language, list, ENGLISH_ENTRY)) return false;
    if (!picture(language, "language", demo.english ? "English chosen" : "Francais chosen")) return false;
    return click_control(language, GetDlgCtrlID(find_by_class(language, "Button", "OK"))) && !driver_failed();
}

// "Suivant" ("Next") before the licence box is ticked is refused with a message;
// that answer also proves the wizard's event loop is running.
bool consent_refused(const Program& setup, HWND wizard) {
    MessageBoxSeen seen = wait_consent_refusal(setup, wizard);
    if (!seen.box) return fail("the wizard never answered \"Suivant\"");
    say("   \"" + control_text(wizard, NEXT_PAGE_1) + "\" without the licence box ticked: \"" + seen.title +
        "\" - \"" + seen.text + "\"");
    if (!picture(seen.box, "consent-refused", "the message for an unticked licence box")) return false;
    answer_message_box(setup, LIMIT);
    return wait_until([&] { return IsWindowEnabled(wizard) != FALSE; }, LIMIT) && !driver_failed();
}

bool licence_window(const Program& setup, HWND wizard) {
    say("   The licence button opens the designer and licence window (the two pages of Licence\\).");
    if (!click_control(wizard, LICENCE_BUTTON)) return false;
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
    if (!wait_until([&] { return selected_tab(wizard, PAGES) == page; }, LIMIT))
        return fail("page " + std::to_string(page + 1) + " did not show");
    say("   Page " + std::to_string(page + 1) + ": " + what);
    return picture(wizard, name, what);
}

bool wizard_pages(const Program& setup, HWND wizard) {
    say("3. The wizard, page 1: the presentation text of setup.ini and the licence consent.");
    if (!consent_refused(setup, wizard) || !licence_window(setup, wizard)) return false;
    if (!click_control(wizard, CONSENT_BOX) || check_state(wizard, CONSENT_BOX) != BST_CHECKED)
        return fail("the licence box did not tick");
    if (!picture(wizard, "page1-consent", "page 1, licence accepted")) return false;
    if (!show_page(wizard, NEXT_PAGE_1, CHARTER_PAGE, "page2-charter", "the charter of a clean installation"))
        return false;
    if (!show_page(wizard, NEXT_PAGE_2, USE_PAGE, "page3-use", "for all users or for the current user")) return false;
    if (!show_page(wizard, NEXT_PAGE_3, OPTIONS_PAGE, "page4-options",
                   "install folder, run after installation, desktop shortcut"))
        return false;
    demo.install_dir = control_text(wizard, DIRECTORY_FIELD);
    if (demo.install_dir.empty()) return fail("no install folder proposed");
    demo.install_dir = with_backslash(demo.install_dir);
    say("   Proposed folder: " + demo.install_dir + "; \"" + control_text(wizard, RUN_AFTER_FRAME) + ": " +
        control_text(wizard, RUN_AFTER_BOX) + "\" " +
        (check_state(wizard, RUN_AFTER_BOX) == BST_CHECKED ? "ticked" : "unticked") + "; \"" +
        control_text(wizard, DESKTOP_BOX) + "\" " +
        (check_state(wizard, DESKTOP_BOX) == BST_CHECKED ? "ticked" : "unticked") + ".");
    return !driver_failed();
}

bool installation(const Program& setup, HWND wizard) {
    say("4. \"" + control_text(wizard, INSTALL_BUTTON) + "\": the installation runs.");
    if (!click_control(wizard, INSTALL_BUTTON)) return false;
    HWND result = wait_installed(setup, sample_ini(), demo.install_dir, LIMIT);
    if (!result || !picture(result, "result", "the result page with the log")) return false;
    say("   The log:");
    for (const std::string& line : list_lines(result, LOG_LIST)) say("   | " + line);
    say("5. \"" + control_text(result, FINISH_BUTTON) +
        "\": Setup ends and starts Carnet.exe (\"Lancer apr\xE8s installation\").");
    return click_control(result, FINISH_BUTTON) && !driver_failed();
}

bool install(Program& setup) {
    if (!splash_and_language(setup)) return false;
    HWND wizard = wait_window(setup, sample_ini().title(), "", LIMIT);
    if (!wizard || !wait_control(wizard, INSTALL_BUTTON, LIMIT)) return false;
    if (!wizard_pages(setup, wizard) || !installation(setup, wizard)) return false;
    if (wait_program_end(setup, LIMIT) < 0) return fail("Setup.exe did not end after \"Terminer\"");
    return true;
}

// ---- Carnet ----

// Carnet as Setup started it, held by the demo (and ended, if something goes
// wrong).
bool use_carnet() {
    auto [carnet, window] = wait_carnet(LIMIT);
    if (!carnet.started()) return fail("Carnet's window \"Carnet de notes\" did not show");
    // The folder window that Setup opened on the Start-menu folder bears the
    // program's name too: the uninstaller's "[Programme]" entry would close
    // it instead of Carnet.  Explorer opens it on its own time.
    close_folder_window(SAMPLE_NAME, LIMIT);
    say("6. Carnet runs from " + demo.install_dir + "; the demo types a note into it:");
    say_lines("   > ", NOTE);
    if (!type_text(window, CARNET_NOTES_EDIT, NOTE) || !picture(window, "carnet", "Carnet with the note"))
        return false;
    say("   Carnet is asked to close (WM_CLOSE, as the uninstaller's \"[Programme]\" entry does); it saves.");
    request_close(window);
    if (wait_program_end(carnet, LIMIT) < 0) return fail("Carnet did not close");
    if (read_bytes(demo.install_dir + "Carnet.txt") != NOTE) return fail("Carnet.txt does not hold the note");
    if (!user_key_exists(CARNET_PLACE_KEY)) return fail("Carnet did not remember its place in the registry");
    say("   Carnet.txt now holds the note, and HKEY_CURRENT_USER\\" + std::string(CARNET_PLACE_KEY) +
        " the window's place.");
    return true;
}

// Started again from its Start-menu shortcut, Carnet shows the note; it is
// left open, with a line added, for the uninstaller to close.
bool reopen_carnet() {
    ShortcutValues link = read_shortcut(start_menu() + SAMPLE_NAME + ".lnk");
    if (!link.read) return false;
    say("   Carnet started again from its Start-menu shortcut; it shows the saved note.");
    demo.open_carnet = start_program(link.target, link.working_folder, "");
    HWND window = wait_window(demo.open_carnet, SAMPLE_NAME, CARNET_CLASS, LIMIT);
    if (!window) return false;
    if (control_text(window, CARNET_NOTES_EDIT) != NOTE) return fail("Carnet does not show the saved note");
    std::string more = std::string(NOTE) + LATER_LINE;
    if (!type_text(window, CARNET_NOTES_EDIT, more)) return false;
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
    for (const std::string& name : {std::string(SAMPLE_NAME), std::string(SAMPLE_HELP_NAME)})
        say_shortcut(desktop() + name + ".lnk");
    for (const std::string& name : {std::string(SAMPLE_NAME), std::string(SAMPLE_HELP_NAME)})
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
        HWND first = FindWindowA(nullptr, SAMPLE_NAME);
        return first && window_class(first) == CARNET_CLASS;
    }, LIMIT);
    say("");
    say("8. The uninstaller, started as its Start-menu shortcut starts it: " + values.target);
    Program uninstaller = start_program(values.target, values.working_folder, "");
    HWND window = wait_window(uninstaller, demo.texts->uninstall_title, "", LIMIT);
    if (!window || !wait_control(window, CANCEL_BUTTON, LIMIT)) return false;
    if (!picture(window, "uninstall", "the uninstaller's window")) return false;
    say("   \"" + control_text(window, UNINSTALL_BUTTON) +
        "\" pressed.  The record's \"[Programme]\" entry asks the open Carnet to");
    say("   close (it saves), \"[Lancer]\" runs \"Carnet.exe /attendre\", which waits until Carnet has ended,");
    say("   then \"[Registre]\" deletes the keys and \"[Fichiers]\" the installed files and shortcuts.");
    if (!click_control(window, UNINSTALL_BUTTON)) return false;
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
    for (const TreeEntry& entry : list_tree(demo.install_dir)) {
        std::string why = kept_because(entry.path);
        say("    " + entry.path + "  - " + why);
        if (why == "NOT EXPECTED") expected = false;
    }
    if (!expected) return fail("the uninstaller left files it should have removed");
    if (read_bytes(demo.install_dir + "Carnet.txt") != std::string(NOTE) + LATER_LINE)
        return fail("the notes, with the line added last, were not kept");
    bool shortcuts_gone =
        !exists(desktop() + SAMPLE_NAME + ".lnk") && !exists(desktop() + SAMPLE_HELP_NAME + ".lnk");
    say(std::string("   Desktop shortcuts: ") + (shortcuts_gone ? "removed." : "STILL THERE."));
    say("   Start-menu folder " + start_menu() + ": " + (exists(start_menu()) ? "STILL THERE." : "removed."));
    say("   Author's folder " + author_folder() + ": " +
        (exists(author_folder()) ? "kept (other programs' files are in it)." : "removed (only the web link was left)."));
    bool keys_gone = !user_key_exists(CARNET_PLACE_KEY) && !user_key_exists(CARNET_PARENT_KEY);
    say("   Registry key HKEY_CURRENT_USER\\" + std::string(CARNET_PARENT_KEY) + ": " +
        (keys_gone ? "removed (\"[Registre]\")." : "STILL THERE."));
    if (!shortcuts_gone || exists(start_menu()) || !keys_gone) return fail("the uninstallation left traces");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
    set_failure_handler(print_driver_failure);
    if (argc < 3) {
        say("usage: demo.exe <distribution folder> <picture folder> [FR|EN [dots per inch]]");
        return 2;
    }
    demo.distribution = with_backslash(argv[1]);
    demo.pictures = with_backslash(argv[2]);
    demo.english = argc > 3 && std::string(argv[3]) == "EN";
    demo.texts = demo.english ? &ENGLISH : &FRENCH;
    CreateDirectoryA(demo.pictures.c_str(), nullptr);
    // The programs started from here on run at that scale; 96 is 100 %.
    int dpi = argc > 4 ? atoi(argv[4]) : 96;
    DisplayScale scale(dpi > 0 ? dpi : 96);
    if (dpi != 96) say("At " + std::to_string(dpi * 100 / 96) + " % (" + std::to_string(dpi) + " dots per inch).");

    clear_earlier_run();
    say("Installing \"" + std::string(SAMPLE_NAME) + "\" from " + demo.distribution + "Setup.exe");
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
