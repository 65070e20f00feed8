#include "driver/sample.h"

SetupIni sample_ini() {
    SetupIni ini;
    ini.name = SAMPLE_NAME;
    ini.version = "1.0";
    return ini;
}

std::string sample_folder() {
    std::string relative = program_folder() + "..\\distribution\\";
    std::string full(MAX_PATH, '\0');
    full.resize(GetFullPathNameA(relative.c_str(), MAX_PATH, full.data(), nullptr));
    return full;
}

CarnetWindow wait_carnet(DWORD limit_ms, Where where) {
    CarnetWindow found;
    HWND window = nullptr;
    if (!wait_until([&] { return (window = FindWindowA(CARNET_CLASS, SAMPLE_NAME)) && IsWindowVisible(window); },
                    limit_ms)) {
        report_failure(where, "no Carnet window within " + std::to_string(limit_ms) + " ms");
        return found;
    }
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, id);
    if (!process) {
        report_failure(where, "cannot reach Carnet's process (error " + std::to_string(GetLastError()) + ")");
        return found;
    }
    found.carnet = Program(process, id);
    found.window = window;
    return found;
}

HWND install_sample_as_proposed(const Program& setup, const std::string& install_dir, Where where) {
    if (!choose_language(setup, false, where)) return nullptr;
    HWND wizard = wait_wizard(setup, sample_ini(), where);
    if (!wizard) return nullptr;
    press_install(wizard, where);
    return wait_installed(setup, sample_ini(), install_dir, 30000, where);
}

void remove_sample_traces() {
    remove_shell_traces(SAMPLE_NAME, {SAMPLE_NAME, SAMPLE_HELP_NAME});
    RegDeleteKeyA(HKEY_CURRENT_USER, CARNET_PLACE_KEY);
    RegDeleteKeyA(HKEY_CURRENT_USER, CARNET_PARENT_KEY);
}
