// Modal requesters: the message box and the folder chooser, owned by the
// window the program works in.  While one is open, the program's own
// windows are disabled, so that no gadget of theirs can raise an event
// underneath it.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <vector>

#include "runtime/loaded_library.h"
#include "runtime/run_log.h"
#include "runtime/unicode.h"
#include "runtime/window.h"

namespace {

bool silent_run = false;

using BrowseForFolderFn = PIDLIST_ABSOLUTE(WINAPI*)(BROWSEINFOW*);

// The window a requester belongs to: the program's current window, the one
// it works in, when it is shown and takes input; else the process's own
// foreground window; else none.  Never whatever else is in front: after
// the user clicks another program, or once Explorer has opened a folder,
// the box would otherwise open without owner, under the program's
// always-on-top windows.
HWND requester_owner() {
    HWND current = window_handle();
    if (current && IsWindowVisible(current) && IsWindowEnabled(current)) return current;
    HWND foreground = GetForegroundWindow();
    DWORD process = 0;
    if (foreground) GetWindowThreadProcessId(foreground, &process);
    return process == GetCurrentProcessId() ? foreground : nullptr;
}

struct Disabling {
    HWND owner;
    std::vector<HWND> disabled;
};

BOOL CALLBACK disable_window(HWND window, LPARAM data) {
    auto* disabling = reinterpret_cast<Disabling*>(data);
    if (window != disabling->owner && IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        disabling->disabled.push_back(window);
    }
    return TRUE;
}

// While it lives, the visible and enabled top-level windows of the calling
// thread other than the owner are disabled, so that no gadget of theirs can
// raise an event underneath the requester; it enables exactly those again
// when it goes.  The owner is left to the requester, which disables it while
// it is open and enables it again before it closes, so that the activation
// comes back to the owner and not to another program.
// The control that had the focus has it again afterwards.
struct RequesterScope {
    RequesterScope() : focus(GetFocus()) {
        disabling.owner = requester_owner();
        EnumThreadWindows(GetCurrentThreadId(), disable_window, reinterpret_cast<LPARAM>(&disabling));
    }
    ~RequesterScope() {
        for (HWND w : disabling.disabled)
            if (IsWindow(w)) EnableWindow(w, TRUE);
        if (focus && IsWindow(focus) && IsWindowVisible(focus) && IsWindowEnabled(focus)) SetFocus(focus);
    }
    RequesterScope(const RequesterScope&) = delete;
    RequesterScope& operator=(const RequesterScope&) = delete;

    HWND owner() const { return disabling.owner; }
    // A box over an always-on-top owner is always on top as well.
    uint32_t topmost_flag() const {
        HWND o = disabling.owner;
        return o && (GetWindowLongW(o, GWL_EXSTYLE) & WS_EX_TOPMOST) ? MB_TOPMOST : 0;
    }

    HWND focus;
    Disabling disabling;
};

// "C:\" keeps its backslash; a longer folder loses a trailing one, which the
// folder browser would not recognise.
std::string preselection(const std::string& folder) {
    if (folder.size() > 3 && folder.back() == '\\') return folder.substr(0, folder.size() - 1);
    return folder;
}

int CALLBACK browse_callback(HWND dialog, UINT message, LPARAM, LPARAM data) {
    const std::wstring& folder = *reinterpret_cast<const std::wstring*>(data);
    if (message == BFFM_INITIALIZED && !folder.empty())
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
    return 0;
}

// The path of a chosen item with a trailing "\", "" for an item outside the
// file system.
std::string folder_path(PIDLIST_ABSOLUTE item) {
    wchar_t path[MAX_PATH];  // the size SHGetPathFromIDListW writes at most
    if (!SHGetPathFromIDListW(item, path) || !path[0]) return "";
    std::string folder = narrow(path);
    if (folder.back() != '\\') folder += '\\';
    return folder;
}

std::string browse_for_folder(BrowseForFolderFn browse, const std::string& title,
                              const std::string& initial) {
    RequesterScope scope;
    bool ole = SUCCEEDED(OleInitialize(nullptr));  // the new-style dialog needs OLE
    std::wstring instruction = wide(title), preselected = wide(initial);
    BROWSEINFOW info{};
    info.hwndOwner = scope.owner();
    info.lpszTitle = instruction.c_str();
    info.ulFlags = BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    info.lpfn = browse_callback;
    info.lParam = reinterpret_cast<LPARAM>(&preselected);
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

void set_silent_run(bool silent) { silent_run = silent; }

int message_box(const std::string& title, const std::string& text, uint32_t flags) {
    run_log_message(title, text);
    if (silent_run) return IDOK;
    RequesterScope scope;
    return MessageBoxW(scope.owner(), wide(text).c_str(), wide(title).c_str(), flags | scope.topmost_flag());
}

std::string choose_folder(const std::string& title, const std::string& initial_folder) {
    HMODULE shell = load_system_library(L"SHELL32.DLL");
    if (!shell) return "";
    auto browse = library_function<BrowseForFolderFn>(shell, "SHBrowseForFolderW");
    std::string folder = browse ? browse_for_folder(browse, title, preselection(initial_folder)) : "";
    FreeLibrary(shell);
    return folder;
}
