// Windows' list of installed programs (Settings > Apps, the Control Panel's
// "Programs and Features"): where the installer enters a program and the
// uninstaller takes it out again.
#pragma once

// Where Windows keeps the entries, under HKEY_LOCAL_MACHINE (a program
// installed for all users) or HKEY_CURRENT_USER (for one user).
inline constexpr char APPS_ENTRIES_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// Every entry the kit writes is named with this prefix, so that the
// uninstaller only ever removes one of the kit's own.
inline constexpr char APPS_ENTRY_PREFIX[] = "Tarvo_";
