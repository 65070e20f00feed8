// Takes the installation out of Windows' list of installed programs once
// it is uninstalled.
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "shell/apps_list.h"
#include "uninstaller/uninstall.h"

namespace {

// A text value of an entry, "" when it has none.
std::string entry_text(HKEY entries, const std::string& name, const wchar_t* value) {
    wchar_t text[1024];
    DWORD size = sizeof text - sizeof text[0];
    DWORD type = 0;
    if (RegGetValueW(entries, wide(name).c_str(), value, RRF_RT_REG_SZ, &type, text, &size) != ERROR_SUCCESS) return "";
    text[1023] = 0;
    return narrow(text);
}

// The kit's entries below `root` whose InstallLocation is `folder`: an
// entry of the same program that names another folder belongs to another
// installation of it, and stays.
void remove_entries_below(HKEY root, const std::string& folder) {
    HKEY entries = nullptr;
    if (RegOpenKeyExW(root, wide(APPS_ENTRIES_KEY).c_str(), 0, KEY_READ | DELETE | KEY_WOW64_64KEY, &entries) !=
        ERROR_SUCCESS)
        return;
    std::vector<std::string> ours;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        LONG result = RegEnumKeyExW(entries, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) continue;
        std::string key = narrow(std::wstring_view(name, length));
        if (key.rfind(APPS_ENTRY_PREFIX, 0) != 0) continue;
        std::string location = entry_text(entries, key, L"InstallLocation");
        if (!location.empty() && comparable_path(location) == comparable_path(folder)) ours.push_back(key);
    }
    for (const std::string& key : ours) {
        RegDeleteKeyExW(entries, wide(key).c_str(), KEY_WOW64_64KEY, 0);
        run_log("Removed from Windows' list of programs: " + key);
    }
    RegCloseKey(entries);
}

}  // namespace

void remove_apps_entries(const std::string& folder) {
    remove_entries_below(HKEY_LOCAL_MACHINE, folder);
    remove_entries_below(HKEY_CURRENT_USER, folder);
}
