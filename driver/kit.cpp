#include "driver/kit.h"
#include "tests/helpers/marker_log.h"

#include <shlobj.h>

#include <cstring>

#include "runtime/path_text.h"
#include "uninstaller/uninstall.h"

// How long the programs may take to show a window or answer an action.
static const DWORD LIMIT_MS = 15000;

std::string SetupIni::text() const {
    std::string t = "[ Informations sur le logiciel]\r\nNom=" + name + "\r\nVersion=" + version + "\r\n\r\n";
    t += "[ Options de l'intallation]\r\n";
    t += "Lancer après installation=" + run_after + "\r\n";
    t += "Raccourci 1 - Cible=" + shortcut1_target + "\r\n";
    t += "Raccourci 1 - Nom=" + shortcut1_name + "\r\n";
    t += "Raccourci 2 - Cible=" + shortcut2_target + "\r\n";
    t += "Raccourci 2 - Nom=" + shortcut2_name + "\r\n";
    t += "Copier le fichier Tarvo.exe=" + copy_splash + "\r\n";
    t += "Mise à jour=" + update_program + "\r\n";
    t += "Lancer à l'installation=" + install_program + "\r\n";
    t += "Programme multilangue=" + multilingual + "\r\n\r\n";
    t += "[ Texte de l'intallation FR]\r\n";
    for (size_t i = 0; i < lines_fr.size(); ++i) t += "ligne" + std::to_string(i + 1) + "=" + lines_fr[i] + "\r\n";
    t += "\r\n[ Texte de l'intallation EN]\r\n";
    for (size_t i = 0; i < lines_en.size(); ++i) t += "ligne" + std::to_string(i + 1) + "=" + lines_en[i] + "\r\n";
    return t;
}

Distribution::Distribution(const SetupIni& ini, bool with_splash, Where where) : ini_(ini) {
    copy_program("Setup.exe", "Setup.exe", where);
    copy_program("Uninstall.exe", "Uninstall.exe", where);
    if (with_splash) copy_program("Tarvo.exe", "Tarvo.exe", where);
    write("setup.ini", ini.text());
}

void Distribution::write(const std::string& relative, const std::string& bytes) const {
    write_bytes(path(relative), bytes);
}

void Distribution::copy_program(const std::string& built_name, const std::string& relative, Where where) const {
    std::string from = program_folder() + built_name;
    if (!CopyFileA(from.c_str(), path(relative).c_str(), FALSE))
        report_failure(where, "cannot copy " + from + " (error " + std::to_string(GetLastError()) + ")");
}

void Distribution::add_app_and_template(Where where) const {
    copy_program("marker.exe", "App.exe", where);
    write("Uninstall.dat", "[Langue]\r\n--\r\n[Fichiers]\r\n");
}

Program Distribution::start_setup(Where where) const {
    return start_program(path("Setup.exe"), path(), "", where);
}

Program Distribution::start_setup(const std::string& parameters, Where where) const {
    return start_program(path("Setup.exe"), path(), parameters, where);
}

long long Distribution::run_setup(const std::string& parameters, DWORD limit_ms, Where where) const {
    Program setup = start_setup(parameters, where);
    return wait_program_end(setup, limit_ms, where);
}

SetupWizard Distribution::start_wizard(Where where) const {
    SetupWizard started;
    started.setup = start_setup(where);
    if (started.setup.started()) started.wizard = wait_wizard(started.setup, ini_, where);
    return started;
}

std::string shell_folder(int csidl) {
    char buffer[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, buffer);
    return with_backslash(buffer);
}

std::string start_menu_folder(const std::string& program_name) {
    return shell_folder(CSIDL_PROGRAMS) + "Tarvo\\" + program_name + "\\";
}

void set_marker_log(const std::string& path) {
    SetEnvironmentVariableA("KIT_MARKER_LOG", path.empty() ? nullptr : path.c_str());
    if (path.empty()) {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, MARKER_LOG_KEY, MARKER_LOG_VALUE);
        return;
    }
    RegSetKeyValueA(HKEY_CURRENT_USER, MARKER_LOG_KEY, MARKER_LOG_VALUE, REG_SZ, path.c_str(),
                    static_cast<DWORD>(path.size() + 1));
}

void set_marker_hold(const std::string& path) {
    if (path.empty()) {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, MARKER_LOG_KEY, MARKER_HOLD_VALUE);
        return;
    }
    RegSetKeyValueA(HKEY_CURRENT_USER, MARKER_LOG_KEY, MARKER_HOLD_VALUE, REG_SZ, path.c_str(),
                    static_cast<DWORD>(path.size() + 1));
}

namespace {

std::string apps_entry_key(const std::string& program_name) {
    return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvo_" + program_name;
}

}  // namespace

std::string apps_entry_value(HKEY root, const std::string& program_name, const std::string& value) {
    HKEY key;
    if (RegOpenKeyExA(root, apps_entry_key(program_name).c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return "";
    char data[2048];
    DWORD size = sizeof data, type = 0;
    LONG read = RegGetValueA(key, nullptr, value.c_str(), RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, data, &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS) return "";
    if (type == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(data));
    return std::string(data, strnlen(data, size));
}

bool apps_entry_exists(HKEY root, const std::string& program_name) {
    HKEY key;
    if (RegOpenKeyExA(root, apps_entry_key(program_name).c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void remove_shell_traces(const std::string& program_name, const std::vector<std::string>& desktop_links) {
    if (!program_name.empty()) remove_tree(start_menu_folder(program_name));
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        RegDeleteKeyExA(root, apps_entry_key(program_name).c_str(), KEY_WOW64_64KEY, 0);
    for (const std::string& link : desktop_links)
        DeleteFileA((shell_folder(CSIDL_DESKTOPDIRECTORY) + link + ".lnk").c_str());
}

// The wizard is shown before its controls exist, and the events that come
// while it is being built are drained unread.  So wait for its last control,
// then for the answer of its event loop.
HWND wait_wizard(const Program& setup, const SetupIni& ini, Where where) {
    HWND wizard = wait_window(setup, ini.title(), "", LIMIT_MS, where);
    if (!wizard || !wait_control(wizard, INSTALL_BUTTON, LIMIT_MS, where)) return nullptr;
    if (!wait_consent_refusal(setup, wizard, where).box) return nullptr;
    answer_message_box(setup, LIMIT_MS, where);
    wait_until([&] { return IsWindowEnabled(wizard) != FALSE; }, LIMIT_MS);
    return wizard;
}

// A click taken while the wizard was still being built is lost: it is
// repeated until the box comes.
MessageBoxSeen wait_consent_refusal(const Program& setup, HWND wizard, Where where) {
    for (int attempt = 0; attempt < 50 && check_state(wizard, CONSENT_BOX, where) == BST_UNCHECKED; ++attempt) {
        post_click(wizard, NEXT_PAGE_1, where);
        if (wait_until([&] { return find_message_box(setup.id()) != nullptr; }, 300))
            return wait_message_box(setup, LIMIT_MS, where);
    }
    report_failure(where, "the wizard's event loop never answered");
    return MessageBoxSeen();
}

HWND wait_built_window(const Program& program, const std::string& title, const std::string& control_class,
                       bool idle, Where where) {
    HWND window = wait_window(program, title, "", LIMIT_MS, where);
    if (!window) return nullptr;
    if (!wait_until([&] { return find_by_class(window, control_class) != nullptr; }, LIMIT_MS)) {
        report_failure(where, "no " + control_class + " in " + title);
        return nullptr;
    }
    // Not WaitForInputIdle: a program is idle once, the first time it takes
    // messages, and Setup already does so while it waits for its splash.
    if (idle && !window_answers(window, LIMIT_MS)) {
        report_failure(where, title + " does not answer");
        return nullptr;
    }
    return window;
}

std::string describe_windows(const Program& program) {
    std::string text;
    for (HWND window : top_windows(program.id())) {
        text += "window \"" + window_title(window) + "\" (" + window_class(window) + ")" +
                (IsWindowVisible(window) ? "" : " hidden") + (IsWindowEnabled(window) ? "" : " disabled") + "\n";
        for (HWND child : descendants(window)) {
            text += "  " + std::to_string(GetDlgCtrlID(child)) + " " + window_class(child) + " \"" +
                    window_title(child) + "\"" + (IsWindowEnabled(child) ? "" : " disabled") + "\n";
            if (_stricmp(window_class(child).c_str(), "ListBox") == 0)
                for (const std::string& line : list_lines(window, GetDlgCtrlID(child))) text += "    | " + line + "\n";
        }
    }
    return text;
}

bool choose_language(const Program& setup, bool english, Where where) {
    HWND language = wait_built_window(setup, "Langue / Language", "ComboBox", true, where);
    if (!language) return false;
    int list = GetDlgCtrlID(find_by_class(language, "ComboBox"));
    if (english && !select_combo_item(language, list, ENGLISH_ENTRY, where)) return false;
    return click_control(language, GetDlgCtrlID(find_by_class(language, "Button", "OK")), where);
}

namespace {

void give_consent(HWND wizard, Where where) {
    click_tab(wizard, PAGES, PRESENTATION_PAGE, where);
    if (check_state(wizard, CONSENT_BOX, where) != BST_CHECKED) click_control(wizard, CONSENT_BOX, where);
    click_tab(wizard, PAGES, OPTIONS_PAGE, where);
}

}  // namespace

void press_install(HWND wizard, const std::string& directory, Where where) {
    give_consent(wizard, where);
    type_text(wizard, DIRECTORY_FIELD, directory, where);
    click_control(wizard, INSTALL_BUTTON, where);
}

void press_install(HWND wizard, Where where) {
    give_consent(wizard, where);
    click_control(wizard, INSTALL_BUTTON, where);
}

bool enabled_now(HWND window, int id) {
    HWND control = find_control(window, id);
    return control && IsWindowEnabled(control);
}

HWND wait_result_finished(const Program& setup, const std::string& title, DWORD limit_ms) {
    HWND result = nullptr;
    wait_until([&] {
        HWND w = find_window(setup.id(), title, "");
        HWND log = w ? find_control(w, LOG_LIST) : nullptr;
        if (log && SendMessageA(log, LB_GETCOUNT, 0, 0) > 0 && enabled_now(w, FINISH_BUTTON)) result = w;
        return result != nullptr;
    }, limit_ms);
    return result;
}

HWND wait_handed_over_result(const Program& wizard_run, const SetupIni& ini, DWORD limit_ms) {
    HWND found = nullptr;
    wait_until([&] {
        HWND w = FindWindowA(("WindowClass_" + std::to_string(RESULT_WINDOW)).c_str(), ini.title().c_str());
        DWORD owner = 0;
        if (w) GetWindowThreadProcessId(w, &owner);
        found = w && owner != wizard_run.id() && IsWindowVisible(w) ? w : nullptr;
        return found != nullptr;
    }, limit_ms);
    return found;
}

bool record_complete(const std::string& install_dir, const std::string& program_name) {
    std::string record = read_bytes(with_backslash(install_dir) + "Uninstall.dat");
    std::string menu = start_menu_folder(program_name);
    return record.size() > menu.size() && record.compare(record.size() - menu.size(), menu.size(), menu) == 0;
}

HWND wait_installed(const Program& setup, const SetupIni& ini, const std::string& install_dir, DWORD limit_ms,
                    Where where) {
    HWND result = wait_result_finished(setup, ini.title(), limit_ms);
    if (!result) {
        report_failure(where, "no finished result window within " + std::to_string(limit_ms) +
                                  " ms; the program shows:\n" + describe_windows(setup));
        return nullptr;
    }
    if (!wait_until([&] { return record_complete(install_dir, ini.name); }, limit_ms)) {
        report_failure(where, "the record in " + install_dir + " was not completed within " +
                                  std::to_string(limit_ms) + " ms");
        return nullptr;
    }
    return result;
}

bool licence_window_answers(const Program& setup, HWND window, int opener, Where where) {
    if (!post_click(window, opener, where)) return false;
    HWND licence = wait_built_window(setup, "Concepteur et licence", "SysTabControl32", false, where);
    if (!licence || !request_close(licence, where)) return false;
    if (wait_until([&] { return !IsWindow(licence) && IsWindowEnabled(window); }, LIMIT_MS)) return true;
    report_failure(where, "the licence window did not close");
    return false;
}

namespace {

BOOL CALLBACK collect(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> descendants(HWND window) {
    std::vector<HWND> all;
    EnumChildWindows(window, collect, reinterpret_cast<LPARAM>(&all));
    return all;
}

HWND find_by_class(HWND window, const std::string& class_name, const std::string& text) {
    for (HWND child : descendants(window)) {
        if (_stricmp(window_class(child).c_str(), class_name.c_str()) != 0) continue;
        if (text.empty() || window_title(child) == text) return child;
    }
    return nullptr;
}

namespace {

std::vector<HWND> folder_windows() {
    std::vector<HWND> all, folders;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId()) continue;
        if (window_class(window) == "ExplorerWClass" || window_class(window) == "CabinetWClass")
            folders.push_back(window);
    }
    return folders;
}

HWND folder_window_titled(const std::string& title) {
    for (HWND window : folder_windows())
        if (window_title(window) == title) return window;
    return nullptr;
}

}  // namespace

void close_folder_windows() {
    for (HWND window : folder_windows()) PostMessageA(window, WM_CLOSE, 0, 0);
}

bool close_folder_window(const std::string& title, DWORD limit_ms) {
    HWND window = nullptr;
    if (!wait_until([&] { return (window = folder_window_titled(title)) != nullptr; }, limit_ms)) return false;
    PostMessageA(window, WM_CLOSE, 0, 0);
    return wait_until([&] { return !IsWindow(window); }, limit_ms);
}

bool finish_setup(Program& setup, HWND result, const SetupIni& ini, DWORD limit_ms, Where where) {
    if (!click_control(result, FINISH_BUTTON, where)) return false;
    if (wait_program_end(setup, limit_ms, where) < 0) return false;
    if (close_folder_window(ini.name, limit_ms)) return true;
    report_failure(where, "no folder window on the Start-menu folder of " + ini.name);
    return false;
}

bool uninstall_installation(const std::string& dir, const std::string& title, DWORD limit_ms, Where where) {
    Program uninstaller = start_program(dir + "Uninstall.exe", dir, "", where);
    HWND window = wait_window(uninstaller, title, "", limit_ms, where);
    if (!window || !wait_control(window, CANCEL_BUTTON, limit_ms, where)) return false;
    if (!click_control(window, UNINSTALL_BUTTON, where)) return false;
    if (!answer_message_box(uninstaller, limit_ms, where).box) return false;
    long long code = wait_program_end(uninstaller, limit_ms, where);
    if (code == EXIT_DONE) return true;
    report_failure(where, "the uninstaller ended with " + std::to_string(code));
    return false;
}
