#include "tests/e2e/kit.h"

#include <gtest/gtest.h>
#include <shlobj.h>

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

Distribution::Distribution(const SetupIni& ini, bool with_splash) : ini_(ini) {
    copy_program("Setup.exe", "Setup.exe");
    copy_program("Uninstall.exe", "Uninstall.exe");
    if (with_splash) copy_program("Tarvo.exe", "Tarvo.exe");
    write("setup.ini", ini.text());
}

void Distribution::write(const std::string& relative, const std::string& bytes) const {
    write_bytes(path(relative), bytes);
}

void Distribution::copy_program(const std::string& built_name, const std::string& relative) const {
    std::string from = program_folder() + built_name;
    EXPECT_TRUE(CopyFileA(from.c_str(), path(relative).c_str(), FALSE)) << from;
}

Program Distribution::start_setup(Where where) const {
    return start_program(path("Setup.exe"), path(), "", where);
}

std::string shell_folder(int csidl) {
    char buffer[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, buffer);
    std::string folder = buffer;
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

std::string start_menu_folder(const std::string& program_name) {
    return shell_folder(CSIDL_PROGRAMS) + "Tarvo\\" + program_name + "\\";
}

void remove_shell_traces(const std::string& program_name, const std::vector<std::string>& desktop_links) {
    if (!program_name.empty()) remove_tree(start_menu_folder(program_name));
    for (const std::string& link : desktop_links)
        DeleteFileA((shell_folder(CSIDL_DESKTOPDIRECTORY) + link + ".lnk").c_str());
}

// The wizard is shown before its controls exist, and the events that come
// while it is being built are drained unread.  So wait for its last control,
// then prove that the event loop runs: "Suivant" without the licence box
// ticked answers with a message box once the loop takes events.
HWND wait_wizard(const Program& setup, const SetupIni& ini, Where where) {
    HWND wizard = wait_window(setup, ini.name + " - v" + ini.version, "", 15000, where);
    if (!wizard || !wait_control(wizard, 4, 15000, where)) return nullptr;
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (check_state(wizard, 19, where) != 0) break;
        post_click(wizard, 13, where);
        if (wait_until([&] { return find_message_box(setup.id()) != nullptr; }, 300)) {
            answer_message_box(setup, 15000, where);
            wait_until([&] { return IsWindowEnabled(wizard) != FALSE; }, 15000);
            return wizard;
        }
    }
    ADD_FAILURE_AT(where.file_name(), where.line()) << "the wizard's event loop never answered";
    return nullptr;
}

HWND wait_built_window(const Program& program, const std::string& title, const std::string& control_class,
                       bool idle, Where where) {
    HWND window = wait_window(program, title, "", 15000, where);
    if (!window) return nullptr;
    if (!wait_until([&] { return find_by_class(window, control_class) != nullptr; }, 15000)) {
        ADD_FAILURE_AT(where.file_name(), where.line()) << "no " << control_class << " in " << title;
        return nullptr;
    }
    if (idle) WaitForInputIdle(program.process(), 15000);
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
    if (english && !select_combo_item(language, GetDlgCtrlID(find_by_class(language, "ComboBox")), 1, where))
        return false;
    return click_control(language, GetDlgCtrlID(find_by_class(language, "Button", "OK")), where);
}

namespace {

void give_consent(HWND wizard, Where where) {
    click_tab(wizard, 20, 0, where);
    if (check_state(wizard, 19, where) != 1) click_control(wizard, 19, where);
    click_tab(wizard, 20, 3, where);
}

}  // namespace

void press_install(HWND wizard, const std::string& directory, Where where) {
    give_consent(wizard, where);
    type_text(wizard, 21, directory, where);
    click_control(wizard, 4, where);
}

void press_install(HWND wizard, Where where) {
    give_consent(wizard, where);
    click_control(wizard, 4, where);
}

bool enabled_now(HWND window, int id) {
    HWND control = find_control(window, id);
    return control && IsWindowEnabled(control);
}

HWND wait_result_finished(const Program& setup, const std::string& title, DWORD limit_ms) {
    HWND result = nullptr;
    wait_until([&] {
        HWND w = find_window(setup.id(), title, "");
        HWND log = w ? find_control(w, 10) : nullptr;
        if (log && SendMessageA(log, LB_GETCOUNT, 0, 0) > 0 && enabled_now(w, 16)) result = w;
        return result != nullptr;
    }, limit_ms);
    return result;
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
