#include "shell/shell.h"

#include <windows.h>
#include <exdisp.h>
#include <objidl.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include <vector>

#include "runtime/path_text.h"
#include "runtime/security.h"
#include "runtime/system.h"
#include "runtime/unicode.h"

std::string special_folder(int identifier) {
    wchar_t path[MAX_PATH] = L"";
    if (identifier & FOLDER_CREATE) {
        if (FAILED(SHGetFolderPathW(nullptr, identifier, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
        return with_backslash(narrow(path));
    }
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, identifier, &list)) || !list) return "";
    if (!SHGetPathFromIDListW(list, path)) path[0] = 0;
    CoTaskMemFree(list);
    return with_backslash(narrow(path));
}

std::string current_folder() {
    // Sized by asking, so that no folder depth is too long for it.
    std::string folder = system_text([](wchar_t* buffer, DWORD size) { return GetCurrentDirectoryW(size, buffer); });
    return folder.empty() ? "" : with_backslash(folder);
}

int create_shortcut(const std::string& target, const std::string& link, const std::string& arguments,
                    const std::string& description, const std::string& working_folder, int show_command,
                    int hot_key, const std::string& icon_file, int icon_index) {
    // COM is initialised and uninitialised around each shortcut, so the
    // thread's COM state is left as it was found.
    HRESULT com = CoInitialize(nullptr);
    int result = 0;
    IShellLinkW* shell_link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shell_link)))) {
        shell_link->SetPath(wide(target).c_str());
        shell_link->SetArguments(wide(arguments).c_str());
        shell_link->SetWorkingDirectory(wide(working_folder).c_str());
        shell_link->SetDescription(wide(description).c_str());
        shell_link->SetShowCmd(show_command);
        shell_link->SetHotkey(static_cast<WORD>(hot_key));
        shell_link->SetIconLocation(wide(icon_file).c_str(), icon_index);
        IPersistFile* file = nullptr;
        if (SUCCEEDED(shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            file->Save(wide(link).c_str(), TRUE);  // the save's own result is not reported
            result = 1;
            file->Release();
        }
        shell_link->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}

// Explorer by its full path in the Windows folder: by its bare name, a
// program of that name in the working folder or the program's own folder
// (the distribution, the install folder) would be started instead.  It
// works in the folder it shows: a folder window must never hold the
// program's own folder in use (a package's temporary folder could not be
// removed while it is open).
void show_folder(const std::string& folder) {
    run_program(windows_folder() + "explorer.exe", folder, folder, 0);
}

std::string windows_folder() {
    std::string folder = system_text([](wchar_t* buffer, DWORD size) { return GetWindowsDirectoryW(buffer, size); });
    return folder.empty() ? "C:\\Windows\\" : with_backslash(folder);
}

namespace {

// Owns one reference to a COM interface.
template <typename Interface>
class ComPointer {
public:
    ComPointer() = default;
    ~ComPointer() {
        if (pointer_) pointer_->Release();
    }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    void** out() { return reinterpret_cast<void**>(&pointer_); }
    Interface** typed_out() { return &pointer_; }

private:
    Interface* pointer_ = nullptr;
};

// A COM text argument; freed with the variant.
class TextArgument {
public:
    explicit TextArgument(const std::string& text) {
        VariantInit(&value);
        std::wstring characters = wide(text);
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocStringLen(characters.data(), static_cast<UINT>(characters.size()));
    }
    ~TextArgument() { VariantClear(&value); }
    TextArgument(const TextArgument&) = delete;
    TextArgument& operator=(const TextArgument&) = delete;

    VARIANT value;
};

// Asks the desktop's Explorer, which runs with the signed-in user's own
// rights, to open the file; false when some step of the way is missing (no
// Explorer desktop, another shell, a refused call).
bool open_through_desktop(const std::string& file, const std::string& folder) {
    ComPointer<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows, windows.out())))
        return false;
    VARIANT none;
    VariantInit(&none);
    long desktop_window = 0;
    ComPointer<IDispatch> desktop;
    if (windows->FindWindowSW(&none, &none, SWC_DESKTOP, &desktop_window, SWFO_NEEDDISPATCH,
                              desktop.typed_out()) != S_OK ||
        !desktop)
        return false;
    ComPointer<IServiceProvider> services;
    ComPointer<IShellBrowser> browser;
    ComPointer<IShellView> view;
    ComPointer<IDispatch> background;
    ComPointer<IShellFolderViewDual> folder_view;
    ComPointer<IDispatch> application;
    ComPointer<IShellDispatch2> shell;
    if (FAILED(desktop->QueryInterface(IID_IServiceProvider, services.out())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.out())) ||
        FAILED(browser->QueryActiveShellView(view.typed_out())) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.out())) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, folder_view.out())) ||
        FAILED(folder_view->get_Application(application.typed_out())) ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.out())))
        return false;
    TextArgument path(file), parameters(""), directory(folder), verb("open");
    VARIANT show;
    VariantInit(&show);
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    return SUCCEEDED(shell->ShellExecute(path.value.bstrVal, parameters.value, directory.value, verb.value, show));
}

}  // namespace

bool is_local_system() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    alignas(TOKEN_USER) unsigned char buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    bool system = false;
    if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size))
        system = IsWellKnownSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, WinLocalSystemSid);
    CloseHandle(token);
    return system;
}

// An elevated installer would hand its rights down to the program it starts
// (which Windows then keeps from taking files dragged from Explorer), so the
// program is started by the desktop's Explorer instead, in the file's own
// folder as run_program starts it.  Where that cannot be done, or when the
// installer is not elevated, run_program starts it.
void start_with_user_rights(const std::string& file) {
    if (process_elevated()) {
        HRESULT com = CoInitialize(nullptr);
        size_t slash = file.rfind('\\');
        bool started = open_through_desktop(file, slash == std::string::npos ? "" : file.substr(0, slash + 1));
        if (SUCCEEDED(com)) CoUninitialize();
        if (started) return;
    }
    run_program(file, "", "", 0);
}
