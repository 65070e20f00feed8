// Modal requesters: the message box and the folder chooser.  While one is
// open, the program's own windows are disabled, so that no gadget of theirs
// can raise an event underneath it.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <vector>

#include "runtime/loaded_library.h"
#include "runtime/window.h"

namespace {

using BrowseForFolderFn = PIDLIST_ABSOLUTE(WINAPI*)(BROWSEINFOA*);

BOOL CALLBACK disable_window(HWND window, LPARAM list) {
    if (IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

// The foreground window when it belongs to this process, else none.
HWND foreground_of_process() {
    HWND foreground = GetForegroundWindow();
    DWORD process = 0;
    if (foreground) GetWindowThreadProcessId(foreground, &process);
    return process == GetCurrentProcessId() ? foreground : nullptr;
}

// While it lives, the visible and enabled top-level windows of the calling
// thread are disabled; it enables exactly those again when it goes.
struct RequesterScope {
    RequesterScope() {
        EnumThreadWindows(GetCurrentThreadId(), disable_window, reinterpret_cast<LPARAM>(&disabled));
        owner = foreground_of_process();
    }
    ~RequesterScope() {
        for (HWND w : disabled)
            if (IsWindow(w)) EnableWindow(w, TRUE);
        // The requester closed while its owner was still disabled, so the
        // system could not give the activation back to it.
        if (owner && GetWindowThreadProcessId(owner, nullptr) == GetCurrentThreadId())
            SetActiveWindow(owner);
    }
    RequesterScope(const RequesterScope&) = delete;
    RequesterScope& operator=(const RequesterScope&) = delete;

    std::vector<HWND> disabled;
    HWND owner = nullptr;
};

// "C:\" keeps its backslash; a longer folder loses a trailing one, which the
// folder browser would not recognise.
std::string preselection(const std::string& folder) {
    if (folder.size() > 3 && folder.back() == '\\') return folder.substr(0, folder.size() - 1);
    return folder;
}

int CALLBACK browse_callback(HWND dialog, UINT message, LPARAM, LPARAM data) {
    const std::string& folder = *reinterpret_cast<const std::string*>(data);
    if (message == BFFM_INITIALIZED && !folder.empty())
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
    return 0;
}

// The path of a chosen item with a trailing "\", "" for an item outside the
// file system.
std::string folder_path(PIDLIST_ABSOLUTE item) {
    char path[MAX_PATH];  // the size SHGetPathFromIDListA writes at most
    if (!SHGetPathFromIDListA(item, path) || !path[0]) return "";
    std::string folder = path;
    if (folder.back() != '\\') folder += '\\';
    return folder;
}

std::string browse_for_folder(BrowseForFolderFn browse, const std::string& title,
                              const std::string& initial) {
    RequesterScope scope;
    bool ole = SUCCEEDED(OleInitialize(nullptr));  // the new-style dialog needs OLE
    BROWSEINFOA info{};
    info.hwndOwner = scope.owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    info.lpfn = browse_callback;
    info.lParam = reinterpret_cast<LPARAM>(&initial);
    PIDLIST_ABSOLUTE chosen = browse(&info);
    std::string folder;
    if (chosen) {
        folder = folder_path(chosen);
        CoTaskMemFree(chosen);
    }
    if (ole) OleUninitialize();
    return folder;
}

}  // namespace

int message_box(const std::string& title, const std::string& text, uint32_t flags) {
    RequesterScope scope;
    return MessageBoxA(scope.owner, text.c_str(), title.c_str(), flags);
}

std::string choose_folder(const std::string& title, const std::string& initial_folder) {
    HMODULE shell = LoadLibraryA("SHELL32.DLL");
    if (!shell) return "";
    auto browse = library_function<BrowseForFolderFn>(shell, "SHBrowseForFolderA");
    std::string folder = browse ? browse_for_folder(browse, title, preselection(initial_folder)) : "";
    FreeLibrary(shell);
    return folder;
}
