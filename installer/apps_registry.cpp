// The installation's entry in Windows' list of installed programs, written
// once the installation is recorded.
#include <windows.h>

#include <cstdio>

#include "installer/apps_entry.h"
#include "runtime/file.h"
#include "runtime/run_log.h"
#include "runtime/unicode.h"

namespace {

// Replaces the entry below `root` (the 64-bit view, where a 64-bit
// installer's entries belong) by this one, so that no value an older
// version wrote stays.  False when it cannot be written whole.
bool write_entry(HKEY root, const AppsEntry& entry) {
    HKEY entries = nullptr;
    if (RegCreateKeyExW(root, wide(APPS_ENTRIES_KEY).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                        nullptr, &entries, nullptr) != ERROR_SUCCESS)
        return false;
    std::wstring name = wide(entry.key);
    RegDeleteTreeW(entries, name.c_str());
    HKEY key = nullptr;
    bool written = RegCreateKeyExW(entries, name.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                                   &key, nullptr) == ERROR_SUCCESS;
    for (const AppsEntryValue& v : entry.values) {
        if (!written) break;
        std::wstring text = wide(v.text);
        const BYTE* data = v.number ? reinterpret_cast<const BYTE*>(&v.dword) : reinterpret_cast<const BYTE*>(text.c_str());
        DWORD size = v.number ? sizeof v.dword : static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
        written = RegSetValueExW(key, wide(v.name).c_str(), 0, v.number ? REG_DWORD : REG_SZ, data, size) ==
                  ERROR_SUCCESS;
    }
    if (key) RegCloseKey(key);
    RegCloseKey(entries);
    return written;
}

}  // namespace

// Takes out the program's entry when it names this installation's folder:
// an update whose settings list it no more leaves no entry of the earlier
// version behind.
void unregister_apps_entry() {
    std::wstring key = wide(std::string(APPS_ENTRIES_KEY) + "\\" + apps_entry_key(setup.program_name));
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        HKEY entry = nullptr;
        if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &entry) != ERROR_SUCCESS) continue;
        wchar_t location[1024];
        DWORD size = sizeof location;
        bool ours = RegGetValueW(entry, nullptr, L"InstallLocation", RRF_RT_REG_SZ, nullptr, location, &size) ==
                        ERROR_SUCCESS &&
                    comparable_path(narrow(location)) == comparable_path(setup.install_dir);
        RegCloseKey(entry);
        if (ours && RegDeleteKeyExW(root, key.c_str(), KEY_WOW64_64KEY, 0) == ERROR_SUCCESS)
            run_log("Taken out of Windows' list of programs: " + apps_entry_key(setup.program_name));
    }
}

// An installation for all users is listed for every user.  Where the
// machine's list is refused (a standard user installing into a folder of
// their own for everyone), the program is listed for this user, so that it
// can still be found and removed.
void register_apps_entry() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[16];
    std::snprintf(date, sizeof date, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    AppsEntry entry = plan_apps_entry(setup, install_run.total_size, date);
    bool all_users = setup.install_mode != MODE_CURRENT_USER;
    if (all_users && write_entry(HKEY_LOCAL_MACHINE, entry)) {
        run_log("Listed in Windows' programs for all users: HKEY_LOCAL_MACHINE\\" + std::string(APPS_ENTRIES_KEY) + "\\" + entry.key);
        return;
    }
    if (write_entry(HKEY_CURRENT_USER, entry)) {
        run_log("Listed in Windows' programs for this user: HKEY_CURRENT_USER\\" + std::string(APPS_ENTRIES_KEY) + "\\" + entry.key);
        return;
    }
    run_log("The entry in Windows' list of programs could not be written.");
}
