#include "shell/shell.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <vector>

#include "runtime/path_text.h"
#include "runtime/system.h"

std::string special_folder(int identifier) {
    if (identifier & FOLDER_CREATE) {
        char path[MAX_PATH] = "";
        if (FAILED(SHGetFolderPathA(nullptr, identifier, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
        return with_backslash(path);
    }
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, identifier, &list)) || !list) return "";
    char path[MAX_PATH] = "";
    if (!SHGetPathFromIDListA(list, path)) path[0] = 0;
    CoTaskMemFree(list);
    return with_backslash(path);
}

std::string current_folder() {
    // Sized by asking first, so that no folder depth is too long for it.
    DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return "";
    std::vector<char> buffer(needed + 1);
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0 || length >= buffer.size()) return "";
    return with_backslash(std::string(buffer.data(), length));
}

int create_shortcut(const std::string& target, const std::string& link, const std::string& arguments,
                    const std::string& description, const std::string& working_folder, int show_command,
                    int hot_key, const std::string& icon_file, int icon_index) {
    // COM is initialised and uninitialised around each shortcut, so the
    // thread's COM state is left as it was found.
    HRESULT com = CoInitialize(nullptr);
    int result = 0;
    IShellLinkA* shell_link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&shell_link)))) {
        shell_link->SetPath(target.c_str());
        shell_link->SetArguments(arguments.c_str());
        shell_link->SetWorkingDirectory(working_folder.c_str());
        shell_link->SetDescription(description.c_str());
        shell_link->SetShowCmd(show_command);
        shell_link->SetHotkey(static_cast<WORD>(hot_key));
        shell_link->SetIconLocation(icon_file.c_str(), icon_index);
        IPersistFile* file = nullptr;
        if (SUCCEEDED(shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            int wide_length = MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, nullptr, 0);
            std::vector<wchar_t> wide(wide_length > 0 ? wide_length : 1, L'\0');
            MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide.data(), wide_length);
            file->Save(wide.data(), TRUE);  // the save's own result is not reported
            result = 1;
            file->Release();
        }
        shell_link->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}

// Explorer works in the folder it shows: a folder window must never hold
// the program's own folder in use (a package's temporary folder could not
// be removed while it is open).
void show_folder(const std::string& folder) { run_program("explorer.exe", folder, folder, 0); }
