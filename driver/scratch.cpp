#include "driver/scratch.h"

#include <algorithm>
#include <cstdio>

ScratchFolder::ScratchFolder() {
    static unsigned counter = 0;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    for (;;) {
        char name[64];
        std::snprintf(name, sizeof name, "kit%lu_%u_%lu\\", GetCurrentProcessId(), counter++,
                      GetTickCount());
        path_ = std::string(temp) + name;
        if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    }
}

ScratchFolder::~ScratchFolder() { remove_tree(path_); }

void remove_tree(const std::string& folder) {
    std::string dir = folder;
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = dir + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                remove_tree(path);
            else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryA(path.c_str());
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(h, &data));
        FindClose(h);
    }
    SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(dir.c_str());
}

void write_bytes(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

std::string read_bytes(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "";
    std::string bytes;
    char buffer[65536];
    DWORD got;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(h);
    return bytes;
}

std::vector<std::string> split_lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : bytes) {
        if (c != '\n') {
            line += c;
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        line.clear();
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::vector<std::string> read_lines(const std::string& path) { return split_lines(read_bytes(path)); }

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

long long file_size_of(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -2;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void make_folder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

void set_read_only(const std::string& path, bool on) {
    SetFileAttributesA(path.c_str(), on ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}

bool user_key_exists(const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void make_user_key(const std::string& path) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS)
        RegCloseKey(key);
}

static void list_folder(const std::string& folder, const std::string& relative, std::vector<TreeEntry>* entries) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + relative + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            entries->push_back({relative + name + "\\", -2});
            list_folder(folder, relative + name + "\\", entries);
        } else {
            long long size = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            entries->push_back({relative + name, size});
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

std::vector<TreeEntry> list_tree(const std::string& folder) {
    std::vector<TreeEntry> entries;
    list_folder(folder, "", &entries);
    std::sort(entries.begin(), entries.end(), [](const TreeEntry& a, const TreeEntry& b) { return a.path < b.path; });
    return entries;
}

static bool folder_there(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool copy_tree(const std::string& from, const std::string& to) {
    bool copied = folder_there(to);
    for (const TreeEntry& entry : list_tree(from)) {
        std::string target = to + entry.path;
        bool done = entry.is_folder() ? folder_there(target)
                                     : CopyFileA((from + entry.path).c_str(), target.c_str(), FALSE) != FALSE;
        copied = done && copied;
    }
    return copied;
}

namespace {

using UnixNameFn = char*(CDECL*)(const wchar_t*);

// The Unix path of a Windows one, through Wine's own export.
std::string unix_path(const std::string& path) {
    auto unix_name = reinterpret_cast<UnixNameFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unix_name) return "";
    int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
    char* name = unix_name(wide.c_str());
    if (!name) return "";
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Starts a program of the Unix system, which Wine starts as it starts its
// own.  Wine does not follow such a process: its handle may be signalled
// before the program has run, so the caller looks for what it does.
void run_unix(const char* program, const std::string& arguments) {
    std::string command = std::string(program) + " " + arguments;
    std::string windows_program = std::string("Z:") + program;
    for (char& c : windows_program) c = c == '/' ? '\\' : c;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(windows_program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
        return;
    WaitForSingleObject(started.hProcess, 10000);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
}

}  // namespace

bool make_folder_link(const std::string& link, const std::string& target) {
    std::string from = unix_path(target), to = unix_path(link);
    // ln would put a link into a folder that is there already.
    if (from.empty() || to.empty() || GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    run_unix("/bin/ln", "-s \"" + from + "\" \"" + to + "\"");
    for (int waited = 0; waited < 10000; waited += 10) {
        DWORD attributes = GetFileAttributesA(link.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
        Sleep(10);
    }
    return false;
}

void remove_folder_link(const std::string& link) {
    std::string path = link;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    std::string unix_link = unix_path(path);
    if (unix_link.empty()) return;
    run_unix("/bin/rm", "-f \"" + unix_link + "\"");
    for (int waited = 0; waited < 10000 && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; waited += 10)
        Sleep(10);
}
