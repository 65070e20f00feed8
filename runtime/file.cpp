#include "runtime/file.h"

#include <windows.h>

#include <vector>

#include "runtime/code_page.h"
#include "runtime/line_split.h"
#include "runtime/numbered_table.h"
#include "runtime/path_text.h"
#include "runtime/text.h"
#include "runtime/unicode.h"

namespace {

// Reads go through a buffer so that a line costs one native call per
// buffer-full rather than one per byte.  The file's logical position is the
// native position less the bytes still unread in the buffer; every write, seek
// and position query first gives those bytes back to the file.
constexpr size_t READ_BUFFER_SIZE = 64 * 1024;

struct FileEntry {
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::vector<char> buffer;
    size_t next = 0;  // first unread byte of the buffer
    size_t end = 0;   // end of the valid bytes of the buffer
    bool utf8 = false;  // its text is UTF-8 (it begins with the mark), not Windows-1252
};

struct Listing {
    HANDLE search = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW data{};
    bool first_delivered = false;
};

struct FileLibrary {
    NumberedTable<FileEntry> files{10, 10, 0x10000, 0x7FFFFFFE};
    NumberedTable<Listing> listings{10, 10, 0x10000, 0x7FFFFFFE};
    int current_file = -1;
    int current_listing = -1;
    WIN32_FIND_DATAW last_entry{};
};

FileLibrary lib;

FileEntry* current_file() { return lib.files.find(lib.current_file); }

bool refill(FileEntry& f) {
    if (f.buffer.empty()) f.buffer.resize(READ_BUFFER_SIZE);
    DWORD got = 0;
    if (!ReadFile(f.handle, f.buffer.data(), static_cast<DWORD>(f.buffer.size()), &got, nullptr)) got = 0;
    f.next = 0;
    f.end = got;
    return got > 0;
}

// Next byte of the file without consuming it, or -1 at its end.
int peek_byte(FileEntry& f) {
    if (f.next == f.end && !refill(f)) return -1;
    return static_cast<unsigned char>(f.buffer[f.next]);
}

// Gives the unread buffered bytes back to the file, so that the native
// position is the logical one again.
void settle(FileEntry& f) {
    if (f.end > f.next) {
        LARGE_INTEGER back;
        back.QuadPart = -static_cast<LONGLONG>(f.end - f.next);
        SetFilePointerEx(f.handle, back, nullptr, FILE_CURRENT);
    }
    f.next = f.end = 0;
}

// After the UTF-8 mark the file's text is UTF-8; without it the bytes read
// are given back.
void skip_utf8_mark(FileEntry& f) {
    std::string_view mark = UTF8_MARK;
    if (!refill(f)) return;
    if (f.end - f.next >= mark.size() && std::string_view(f.buffer.data() + f.next, mark.size()) == mark) {
        f.next += mark.size();
        f.utf8 = true;
    }
}

void close_entry(FileEntry& f) {
    if (f.handle != INVALID_HANDLE_VALUE) CloseHandle(f.handle);
    f.handle = INVALID_HANDLE_VALUE;
}

void close_listing(Listing& l) {
    if (l.search != INVALID_HANDLE_VALUE) FindClose(l.search);
    l.search = INVALID_HANDLE_VALUE;
}

intptr_t open_numbered(int number, const std::string& path, DWORD access, DWORD disposition) {
    if (FileEntry* old = lib.files.find(number)) {
        close_entry(*old);
        lib.files.remove(number);
        if (lib.current_file == number) lib.current_file = -1;
    }
    // Windows refuses to open a read-only file for writing; Wine lets its
    // superuser do it, so the refusal is made here for both.
    if ((access & GENERIC_WRITE) && is_read_only_file(path)) return 0;
    HANDLE h = CreateFileW(file_path(path).c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    FileEntry f;
    f.handle = h;
    int stored = lib.files.store(number, std::move(f));
    if (stored < 0) {
        CloseHandle(h);
        return 0;
    }
    lib.current_file = stored;
    // A file read from its start tells its form by its first bytes.
    FileEntry* opened = lib.files.find(stored);
    if ((access & GENERIC_READ) && disposition != CREATE_ALWAYS) skip_utf8_mark(*opened);
    return number == -1 ? stored : reinterpret_cast<intptr_t>(h);
}

bool is_drive(const std::string& path) {
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (path.size() == 2) return letter(path[0]) && path[1] == ':';
    if (path.size() == 3) return letter(path[0]) && path[1] == ':' && path[2] == '\\';
    return false;
}

// The next line's bytes, without its end.
std::string read_line_bytes(FileEntry& f) {
    std::string line;
    for (;;) {
        if (f.next == f.end && !refill(f)) return line;
        const char* start = f.buffer.data() + f.next;
        LineScan scan = scan_line(start, f.end - f.next);
        append_line_part(line, start, scan.content);
        f.next += scan.content;
        if (!scan.ended) continue;
        ++f.next;
        if (scan.cr && peek_byte(f) == '\n') ++f.next;
        return line;
    }
}

bool is_dot_entry(const wchar_t* name) {
    return (name[0] == '.' && name[1] == 0) || (name[0] == '.' && name[1] == '.' && name[2] == 0);
}

}  // namespace

int64_t file_size(const std::string& path) {
    if (path.empty()) return -1;
    if (is_drive(path)) {
        std::string root = path.substr(0, 2) + "\\";
        return GetDriveTypeW(wide(root).c_str()) == DRIVE_NO_ROOT_DIR ? -1 : -2;
    }
    std::string p = path;
    if (p.back() == '\\') p.pop_back();
    // Attributes rather than a search, so that wildcards in a name never match
    // some other file.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (p.empty() || !GetFileAttributesExW(file_path(p).c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -2;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string full_path(const std::string& path) {
    if (path.empty()) return "";
    std::wstring given = wide(path);
    return system_text([&](wchar_t* buffer, DWORD size) { return GetFullPathNameW(given.c_str(), size, buffer, nullptr); });
}

std::string comparable_path(const std::string& path) {
    std::string full = full_path(path);
    while (full.size() > 3 && full.back() == '\\') full.pop_back();
    for (char& c : full) c = ascii_lower(c);
    return full;
}

bool is_read_only_file(const std::string& path) {
    DWORD attributes = GetFileAttributesW(file_path(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int create_directory(const std::string& path) {
    return CreateDirectoryW(file_path(path).c_str(), nullptr) ? 1 : 0;
}

int copy_file(const std::string& source, const std::string& destination) {
    // Most copies make a new file, which needs no look at what it replaces;
    // a look-up of a missing name costs as much as the copy's own (Wine
    // reads the whole folder for a name in another case).
    std::wstring from = file_path(source), to = file_path(destination);
    if (CopyFileW(from.c_str(), to.c_str(), TRUE)) return 1;
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return 0;
    // Windows refuses to overwrite a read-only file; Wine lets its superuser
    // do it, so the refusal is made here for both.
    if (is_read_only_file(destination)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    return CopyFileW(from.c_str(), to.c_str(), FALSE) ? 1 : 0;
}

namespace {

// The copy's last write time is set back to the source's, which the copy
// took: removing a stream may count as a write.
void keep_write_time(const std::string& source, const std::string& copy) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(file_path(source).c_str(), GetFileExInfoStandard, &data)) return;
    HANDLE file = CreateFileW(file_path(copy).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    SetFileTime(file, nullptr, nullptr, &data.ftLastWriteTime);
    CloseHandle(file);
}

}  // namespace

// A file copied out of a downloaded and unpacked folder carries the mark
// Windows puts on downloads; an installed program that keeps it warns at
// each start, and help files show blank pages.  The mark is one stream of
// the file, deleted by its name; a read-only copy has its attribute lifted
// for that moment only.  A copy without a mark costs one failed deletion.
int copy_file_without_download_mark(const std::string& source, const std::string& destination) {
    if (!copy_file(source, destination)) return 0;
    std::wstring copy = file_path(destination), mark = copy + L":Zone.Identifier";
    bool removed = DeleteFileW(mark.c_str());
    if (!removed && GetLastError() == ERROR_ACCESS_DENIED) {
        DWORD attributes = GetFileAttributesW(copy.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            DWORD writable = attributes & ~FILE_ATTRIBUTE_READONLY;
            SetFileAttributesW(copy.c_str(), writable ? writable : FILE_ATTRIBUTE_NORMAL);
            removed = DeleteFileW(mark.c_str());
            SetFileAttributesW(copy.c_str(), attributes);
        }
    }
    if (removed) keep_write_time(source, destination);
    return 1;
}

int delete_file(const std::string& path) {
    return DeleteFileW(file_path(path).c_str()) ? 1 : 0;
}

int delete_directory(const std::string& folder, const std::string& pattern, int flags) {
    if (folder.empty()) return 0;
    std::string dir = with_backslash(folder);
    // An empty folder goes at once, without a listing that would find
    // nothing to delete: the uninstaller's clean-up removes one per folder
    // of the installation, and a listing costs more than the removal.
    std::wstring native_dir = file_path(dir);
    if (RemoveDirectoryW(native_dir.c_str())) return 1;
    std::wstring search = file_path(dir + (pattern.empty() ? "*.*" : pattern));
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(search.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        std::string path = dir + narrow(data.cFileName);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if ((flags & DELETE_RECURSIVE) && !is_dot_entry(data.cFileName))
                delete_directory(path, pattern, flags);
        } else {
            std::wstring native = file_path(path);
            if (flags & DELETE_FORCE) SetFileAttributesW(native.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(native.c_str());
        }
    } while (FindNextFileW(h, &data));
    FindClose(h);
    if (flags & DELETE_FORCE) SetFileAttributesW(native_dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    return RemoveDirectoryW(native_dir.c_str()) ? 1 : 0;
}

intptr_t read_file(int number, const std::string& path) {
    return open_numbered(number, path, GENERIC_READ, OPEN_EXISTING);
}

intptr_t open_file(int number, const std::string& path) {
    return open_numbered(number, path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
}

intptr_t create_file(int number, const std::string& path) {
    return open_numbered(number, path, GENERIC_WRITE, CREATE_ALWAYS);
}

void close_file(int number) {
    FileEntry* f = lib.files.find(number);
    if (!f) return;
    close_entry(*f);
    lib.files.remove(number);
    if (lib.current_file == number) lib.current_file = -1;
}

// The lines are cut as next_line cuts a text in memory; the buffer-fulls of
// the file are scanned in turn, and an LF that opens the next buffer-full
// still belongs to a CR that closed the one before.  A line longer than
// LINE_LIMIT keeps its first LINE_LIMIT bytes and the reader goes on after
// its end.  The line's bytes are then read as the file's text form.
std::string read_line() {
    FileEntry* f = current_file();
    if (!f) return "";
    std::string line = read_line_bytes(*f);
    return decode_stored_line(line, f->utf8);
}

std::string read_all() {
    std::string bytes;
    FileEntry* f = current_file();
    if (!f) return bytes;
    file_seek(0);
    char buffer[READ_BUFFER_SIZE];
    DWORD got = 0;
    while (ReadFile(f->handle, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

int end_of_file(int number) {
    FileEntry* f = lib.files.find(number);
    if (!f) return -1;
    return peek_byte(*f) < 0 ? -1 : 0;
}

int write_text(const std::string& text) {
    FileEntry* f = current_file();
    if (!f || text.empty()) return 0;
    settle(*f);
    DWORD written = 0;
    if (!WriteFile(f->handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) return 0;
    return static_cast<int>(written);
}

int write_line(const std::string& text) {
    if (!current_file()) return 0;
    return write_text(text + "\r\n");
}

void file_seek(int64_t position) {
    FileEntry* f = current_file();
    if (!f) return;
    f->next = f->end = 0;
    LARGE_INTEGER to;
    to.QuadPart = position;
    SetFilePointerEx(f->handle, to, nullptr, FILE_BEGIN);
}

void truncate_file() {
    FileEntry* f = current_file();
    if (!f) return;
    settle(*f);
    SetEndOfFile(f->handle);
}

int64_t file_position() {
    FileEntry* f = current_file();
    if (!f) return 0;
    LARGE_INTEGER zero{}, at{};
    if (!SetFilePointerEx(f->handle, zero, &at, FILE_CURRENT)) return 0;
    return at.QuadPart - static_cast<int64_t>(f->end - f->next);
}

int64_t file_length() {
    FileEntry* f = current_file();
    if (!f) return -1;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f->handle, &size)) return -1;
    return size.QuadPart;
}

int examine_directory(int number, const std::string& folder, const std::string& pattern) {
    if (Listing* old = lib.listings.find(number)) {
        close_listing(*old);
        lib.listings.remove(number);
        if (lib.current_listing == number) lib.current_listing = -1;
    }
    // A failed start leaves the current listing as it was.
    std::wstring search = file_path(with_backslash(folder) + (pattern.empty() ? "*.*" : pattern));
    Listing l;
    l.search = FindFirstFileW(search.c_str(), &l.data);
    if (l.search == INVALID_HANDLE_VALUE) return 0;
    int stored = lib.listings.store(number, l);
    if (stored < 0) {
        FindClose(l.search);
        return 0;
    }
    lib.current_listing = stored;
    return number == -1 ? stored : 1;
}

int next_directory_entry() {
    Listing* l = lib.listings.find(lib.current_listing);
    if (!l) return ENTRY_NONE;
    if (l->first_delivered && !FindNextFileW(l->search, &l->data)) {
        close_listing(*l);
        lib.listings.remove(lib.current_listing);
        lib.current_listing = -1;
        return ENTRY_NONE;
    }
    l->first_delivered = true;
    lib.last_entry = l->data;
    return (l->data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? ENTRY_FOLDER : ENTRY_FILE;
}

std::string directory_entry_name() {
    return narrow(lib.last_entry.cFileName);
}

int64_t directory_entry_size() {
    return (static_cast<int64_t>(lib.last_entry.nFileSizeHigh) << 32) | lib.last_entry.nFileSizeLow;
}

uint32_t directory_entry_attributes() {
    return lib.last_entry.dwFileAttributes;
}

void select_directory(int number) {
    lib.current_listing = lib.listings.find(number) ? number : -1;
}

void release_files() {
    lib.files.for_each([](int, FileEntry& f) { close_entry(f); });
    lib.listings.for_each([](int, Listing& l) { close_listing(l); });
    lib = FileLibrary{};
}
