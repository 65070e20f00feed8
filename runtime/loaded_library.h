// System libraries that the programs load at run time, and where Windows
// looks for them.  A program that was downloaded sits in the Downloads
// folder among whatever else was downloaded; a library of a system name
// found there must never be loaded in place of the system's own.
#pragma once

#include <windows.h>

// From here on, libraries loaded by name (by the program or by a system
// library on its behalf) are looked for in the system folder only, not in
// the program's folder or the current one.  Every program calls it first.
// The call exists from Windows 8 on, and on Windows 7 with its security
// update; without it the program goes on, and load_system_library still
// names the system folder.
inline void search_system_folder_only() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (set) set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The system library `name` ("uxtheme.dll") from the system folder, nullptr
// when it is missing.  A Windows 7 without the search flags refuses them;
// the library is then loaded by its full path in the system folder.
inline HMODULE load_system_library(const wchar_t* name) {
    HMODULE library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library || GetLastError() != ERROR_INVALID_PARAMETER) return library;
    wchar_t path[MAX_PATH];
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 1 + lstrlenW(name) >= MAX_PATH) return nullptr;
    lstrcatW(path, L"\\");
    lstrcatW(path, name);
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// A function of a library loaded at run time, nullptr when it is missing.
template <typename Function>
Function library_function(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}
