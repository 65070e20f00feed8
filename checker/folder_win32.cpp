#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include <vector>

#include "checker/folder.h"
#include "checker/previews.h"
#include "runtime/loaded_library.h"
#include "shell/shell.h"

namespace {

// The Windows-1252 spelling of a name, or false when it has none: Windows
// would otherwise hand the installer's ANSI calls a best-fit look-alike,
// which names no file.
bool windows1252_name(const wchar_t* wide, std::string* name) {
    int length = WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return false;
    std::string bytes(static_cast<size_t>(length), '\0');
    BOOL used_default = FALSE;
    WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, wide, -1, bytes.data(), length, nullptr, &used_default);
    bytes.resize(static_cast<size_t>(length) - 1);
    *name = bytes;
    return !used_default;
}

std::wstring wide(const std::string& text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring result(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, result.data(), length);
    result.resize(result.size() - 1);
    return result;
}

std::string narrow(const std::wstring& text) {
    int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(length > 0 ? static_cast<size_t>(length) : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, result.data(), length, nullptr, nullptr);
    result.resize(result.size() - 1);
    return result;
}

}  // namespace

bool list_folder(const std::string& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    std::wstring pattern = wide(folder);
    if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
    pattern += L"*";
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        FolderEntry e{};
        e.representable = windows1252_name(data.cFileName, &e.name);
        e.native = e.representable ? e.name : narrow(name);
        e.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        e.link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        e.size = e.folder ? 0 : (static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
        e.attributes = data.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        entries.push_back(e);
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return true;
}

std::string native_path(const std::string& folder, const std::string& native_name) {
    if (!folder.empty() && folder.back() == '\\') return folder + native_name;
    return folder + "\\" + native_name;
}

bool read_file_bytes(const std::string& path, size_t limit, std::string* bytes, bool* whole) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bytes->clear();
    *whole = true;
    char buffer[65536];
    bool failed = false;
    for (;;) {
        size_t room = limit - bytes->size();
        DWORD got = 0;
        if (!ReadFile(h, buffer, sizeof buffer, &got, nullptr)) {
            failed = true;
            break;
        }
        if (got > room) {
            bytes->append(buffer, room);
            *whole = false;
            break;
        }
        bytes->append(buffer, got);
        if (got == 0) break;
    }
    CloseHandle(h);
    return !failed;
}

std::string absolute_folder(const std::string& folder) {
    DWORD needed = GetFullPathNameA(folder.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return folder;
    std::string full(needed, '\0');
    DWORD length = GetFullPathNameA(folder.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return folder;
    full.resize(length);
    return full;
}

std::string console_text(std::string_view windows1252) { return std::string(windows1252); }

// Read only: the shell is not asked to make a missing folder.
UserFolders user_folders() {
    UserFolders folders;
    folders.appdata = special_folder(FOLDER_APPDATA);
    folders.shell.programs = special_folder(FOLDER_PROGRAMS);
    folders.shell.desktop = special_folder(FOLDER_DESKTOP);
    return folders;
}

void search_system_folder_only_on_windows() { search_system_folder_only(); }

void set_binary_output() { _setmode(_fileno(stdout), _O_BINARY); }

const char* const CONSOLE_LINE_END = "\r\n";
