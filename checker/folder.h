// The checker's only contact with its system: listing folders, reading
// files (read-only), its command line and its output.  folder_posix.cpp
// serves the host, folder_win32.cpp the Windows console program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct FolderEntry {
    std::string native;       // the name as the disk holds it, to reach the entry
    std::string name;         // the name as UTF-8 text, as the installer sees it
    bool representable;       // false: the name is no Unicode text (its bad parts shown as "?" in `name`)
    bool folder;
    bool link;                // a symbolic link or junction: never followed
    int64_t size;             // bytes of a file
    uint32_t attributes;      // the Windows attributes kept by packages: read-only, hidden, system
};

// The entries of a folder ("." and ".." left out) in the order the installer
// meets them: on Windows the system's own order, on the host the order of
// an NTFS disk (names compared in upper case).  False when it cannot be
// listed.
bool list_folder(const std::string& folder, std::vector<FolderEntry>& entries);

// folder + separator + native name.
std::string native_path(const std::string& folder, const std::string& native_name);

// Up to `limit` bytes of a file; *whole is false when it holds more.  False
// when it cannot be read.
bool read_file_bytes(const std::string& path, size_t limit, std::string* bytes, bool* whole);

// The arguments after the program's name, as UTF-8: on Windows from the
// system's Unicode command line, so that a folder named in any language
// arrives whole.
std::vector<std::string> command_arguments(int argc, char** argv);

// One line of UTF-8 text on standard output: on a Windows console through
// its Unicode interface, written anywhere else as UTF-8 bytes.
void write_output_line(std::string_view utf8);

// On Windows, libraries loaded by name come from the system folder only,
// never from the tool's folder or the current one; called first.
void search_system_folder_only_on_windows();

// Standard output takes bytes as they are (no line-end translation).
void set_binary_output();

// The user's folders the previews assume: this user's on Windows, a typical
// user's on the host.
struct UserFolders;
UserFolders user_folders();
