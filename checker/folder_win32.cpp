#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include <vector>

#include "checker/folder.h"
#include "checker/previews.h"
#include "runtime/loaded_library.h"
#include "runtime/unicode.h"
#include "shell/shell.h"

bool list_folder(const std::string& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    std::wstring pattern = file_path(folder);
    if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
    pattern += L"*";
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        FolderEntry e{};
        e.name = narrow(name);
        e.native = e.name;
        // NTFS keeps any 16-bit units, a lone half of a surrogate pair
        // among them: such a name has no UTF-8 spelling that leads back.
        e.representable = wide(e.name) == name;
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
    HANDLE h = CreateFileW(file_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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

// The C runtime's argv holds the ANSI code page's spelling, with "?" for
// what it lacks.
std::vector<std::string> command_arguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** split = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!split) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(narrow(split[i]));
    LocalFree(split);
    return arguments;
}

// A console shows UTF-16 text whatever its code page; a redirected output
// is a file, which gets UTF-8.
void write_output_line(std::string_view utf8) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0, written = 0;
    if (out != INVALID_HANDLE_VALUE && GetConsoleMode(out, &mode)) {
        std::fflush(stdout);
        std::wstring text = wide(utf8) + L"\r\n";
        WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fwrite("\r\n", 1, 2, stdout);
}

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
