// The self-extracting program at the head of every package: it checks the
// package it carries, unpacks it into a new folder of its own in the user's
// temporary folder, starts Setup.exe there as from a distribution folder,
// with its own command line, waits for it, removes the folder and ends with
// Setup's exit code.  Setup's silent switches quiet it too: /VERYSILENT
// shows nothing, /SILENT only the unpacking's progress.
//
// Setup learns the package's path (/PACKAGE=), so that a wizard without an
// administrator's rights hands an installation that needs them to the
// package, started elevated, rather than to the copy in the user's own
// temporary folder, which any program of the user could have changed since
// it was checked.  Started so (/HANDOVER=), the package unpacks itself again,
// checked, into a new folder only administrators can change.
//
// Nothing is written before the whole package has been read and checked:
// a damaged, truncated or hostile download is refused with a message.  A
// cancel, a failure to write (a full disk) or the end of Setup leaves no
// folder behind.
#include <windows.h>
#include <sddl.h>
#include <shellapi.h>

#include <string>

#include "installer/setup_options.h"
#include "packer/package_reader.h"
#include "runtime/folder_rights.h"
#include "runtime/loaded_library.h"
#include "runtime/switches.h"
#include "runtime/unicode.h"
#include "selfextract/unpack_window.h"

namespace {

// Exit codes of the program itself; otherwise it ends with Setup's.
constexpr int DAMAGED = 1;
constexpr int NOT_UNPACKED = 2;
constexpr int CANCELLED = 3;

const wchar_t TITLE[] = L"Erreur / Error";
const wchar_t DAMAGED_TEXT[] =
    L"Ce fichier d'installation est endommag\u00e9 ou incomplet. T\u00e9l\u00e9chargez-le \u00e0 nouveau.\n\n"
    L"This installation file is damaged or incomplete. Download it again.";
const wchar_t WRITE_FAILED_TEXT[] =
    L"Les fichiers d'installation n'ont pas pu \u00eatre \u00e9crits dans le dossier temporaire "
    L"(le disque est-il plein ?).\n\n"
    L"The installation files could not be written to the temporary folder (is the disk full?).";
const wchar_t NO_FOLDER_TEXT[] =
    L"Aucun dossier temporaire n'a pu \u00eatre cr\u00e9\u00e9.\n\nNo temporary folder could be made.";
const wchar_t NO_SETUP_TEXT[] = L"Setup.exe n'a pas pu \u00eatre lanc\u00e9.\n\nSetup.exe could not be started.";

// What the command line asks to be shown, and whether the package unpacks
// for an installation a wizard handed over to it, elevated.
RunDisplay display = DISPLAY_WIZARD;
bool handed_over = false;

// A silent run says nothing: its exit code tells.
void say(const wchar_t* text) {
    if (display == DISPLAY_WIZARD) MessageBoxW(nullptr, text, TITLE, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

// The program's own file, mapped whole for reading.
struct OwnFile {
    HANDLE file = INVALID_HANDLE_VALUE;
    HANDLE mapping = nullptr;
    const unsigned char* bytes = nullptr;
    size_t size = 0;
};

bool map_own_file(OwnFile& own) {
    wchar_t path[32768];
    DWORD length = GetModuleFileNameW(nullptr, path, 32768);
    if (length == 0 || length >= 32768) return false;
    own.file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (own.file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(own.file, &size) || size.QuadPart == 0) return false;
    own.size = static_cast<size_t>(size.QuadPart);
    own.mapping = CreateFileMappingW(own.file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!own.mapping) return false;
    own.bytes = static_cast<const unsigned char*>(MapViewOfFile(own.mapping, FILE_MAP_READ, 0, 0, 0));
    return own.bytes != nullptr;
}

void unmap_own_file(OwnFile& own) {
    if (own.bytes) UnmapViewOfFile(own.bytes);
    if (own.mapping) CloseHandle(own.mapping);
    if (own.file != INVALID_HANDLE_VALUE) CloseHandle(own.file);
}

// For a handed-over installation the folder gets the rights list only
// administrators can change from the start, and what is unpacked into it
// inherits them.
bool make_folder(const std::wstring& folder) {
    if (!handed_over) return CreateDirectoryW(folder.c_str(), nullptr);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(wide(PROTECTED_FOLDER_SDDL).c_str(), SDDL_REVISION_1,
                                                              &attributes.lpSecurityDescriptor, nullptr))
        return false;
    bool made = CreateDirectoryW(folder.c_str(), &attributes);
    LocalFree(attributes.lpSecurityDescriptor);
    return made;
}

// A new folder under the user's temporary folder, never one that exists:
// CreateDirectory refuses a name already taken, and another is tried.  The
// "\\?\" form keeps deep packages within reach.
std::wstring make_unpack_folder() {
    wchar_t temp[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return L"";
    LARGE_INTEGER counter;
    for (int attempt = 0; attempt < 100; ++attempt) {
        QueryPerformanceCounter(&counter);
        wchar_t name[64];
        wsprintfW(name, L"Tarvo-%08lX%04X", static_cast<unsigned long>(counter.LowPart ^ GetTickCount()),
                  static_cast<unsigned>((GetCurrentProcessId() + attempt) & 0xFFFF));
        std::wstring folder = std::wstring(L"\\\\?\\") + temp + name;
        if (make_folder(folder)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return L"";
    }
    return L"";
}

// Removes a folder and everything in it; links inside are removed, never
// followed.
void remove_tree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            bool folder_entry = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            bool link = data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
            if (folder_entry && !link) remove_tree(path);
            else if (folder_entry) RemoveDirectoryW(path.c_str());
            else DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &data));
        FindClose(search);
    }
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());
}

// The folder goes once nothing holds it: a program that just ended, or a
// virus scanner looking at new files, may hold a handle a moment longer.
void remove_unpack_folder(const std::wstring& folder) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        remove_tree(folder);
        if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) return;
        Sleep(100);
    }
}

// The writing of the records into the unpack folder.
struct Unpacking {
    std::wstring folder;
    HWND window = nullptr;
    HANDLE file = INVALID_HANDLE_VALUE;
    std::wstring file_path;
    DWORD file_attributes = 0;
    bool write_failed = false;
};

// The attributes go on once the file is complete: a read-only file could
// not be written to otherwise.
bool finish_file(Unpacking& u) {
    if (u.file == INVALID_HANDLE_VALUE) return true;
    bool closed = CloseHandle(u.file);
    u.file = INVALID_HANDLE_VALUE;
    if (u.file_attributes) SetFileAttributesW(u.file_path.c_str(), u.file_attributes);
    return closed;
}

bool write_record(void* context, const PackageRecord& record) {
    Unpacking& u = *static_cast<Unpacking*>(context);
    if (!finish_file(u)) return !(u.write_failed = true);
    if (record.kind == RECORD_TITLE) return true;
    std::wstring path = u.folder + L"\\" + wide(record.path);
    if (record.kind == RECORD_FOLDER) {
        if (!CreateDirectoryW(path.c_str(), nullptr)) return !(u.write_failed = true);
        if (record.attributes) SetFileAttributesW(path.c_str(), record.attributes);
        return true;
    }
    u.file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (u.file == INVALID_HANDLE_VALUE) return !(u.write_failed = true);
    u.file_path = path;
    u.file_attributes = record.attributes;
    return true;
}

bool write_data(void* context, const unsigned char* bytes, size_t count) {
    Unpacking& u = *static_cast<Unpacking*>(context);
    DWORD written = 0;
    if (!WriteFile(u.file, bytes, static_cast<DWORD>(count), &written, nullptr) || written != count)
        return !(u.write_failed = true);
    return true;
}

// Between pieces of the payload the window is served, so that it answers
// and a cancel is seen.
bool show_progress(void* context, uint64_t done, uint64_t total) {
    Unpacking& u = *static_cast<Unpacking*>(context);
    int permille = total ? static_cast<int>(done * 1000 / total) : 1000;
    return !unpack_window_cancelled(u.window, permille);
}

const PackageSink WRITE_SINK = {write_record, write_data, show_progress};

// Unpacks the checked package; 0, or the program's exit code on failure.
int unpack(const OwnFile& own, Unpacking& u) {
    PackageResult result = read_package(own.bytes, own.size, WRITE_SINK, &u);
    bool finished = finish_file(u);
    if (result == PACKAGE_READ && finished) return 0;
    if (u.write_failed || !finished) {
        say(WRITE_FAILED_TEXT);
        return NOT_UNPACKED;
    }
    if (result == PACKAGE_DAMAGED) {
        say(DAMAGED_TEXT);
        return DAMAGED;
    }
    return CANCELLED;
}

// Starts Setup.exe in the folder, through the shell so that its own
// manifest can ask for the administrator's rights, and waits for it.
int run_setup(const std::wstring& folder) {
    // Setup works from its current folder: the plain form of the folder,
    // which programs can make their current one.
    std::wstring current = folder.substr(4);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    std::wstring file = current + L"\\Setup.exe";
    std::wstring parameters(command_line_parameters(std::wstring_view(GetCommandLineW())));
    wchar_t own[32768];
    DWORD length = GetModuleFileNameW(nullptr, own, 32768);
    if (length > 0 && length < 32768) parameters += (parameters.empty() ? L"" : L" ") + std::wstring(L"\"/PACKAGE=") + own + L"\"";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = current.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info) || !info.hProcess) {
        say(NO_SETUP_TEXT);
        return NOT_UNPACKED;
    }
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    return static_cast<int>(code);
}

int run() {
    OwnFile own;
    PackageSummary summary;
    if (!map_own_file(own) || check_package(own.bytes, own.size, &summary) != PACKAGE_READ || !summary.has_setup) {
        unmap_own_file(own);
        say(DAMAGED_TEXT);
        return DAMAGED;
    }
    Unpacking u;
    u.folder = make_unpack_folder();
    if (u.folder.empty()) {
        unmap_own_file(own);
        say(NO_FOLDER_TEXT);
        return NOT_UNPACKED;
    }
    if (display != DISPLAY_VERY_SILENT) u.window = open_unpack_window(wide(summary.title));
    int code = unpack(own, u);
    close_unpack_window(u.window);
    unmap_own_file(own);
    if (code == 0) code = run_setup(u.folder);
    remove_unpack_folder(u.folder);
    return code;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    search_system_folder_only();
    SetupOptions options = parse_setup_options(command_line_parameters(narrow(GetCommandLineW())));
    display = options.display;
    handed_over = options.handover;
    return run();
}
