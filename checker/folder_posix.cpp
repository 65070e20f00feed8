#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "checker/folder.h"
#include "checker/previews.h"
#include "checker/report.h"
#include "runtime/code_page.h"

namespace {

// NTFS keeps names in the order of their upper-case forms; for the
// Windows-1252 letters that is this, close enough for a listing's order.
unsigned char upper(unsigned char c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    return c;
}

bool ntfs_before(const FolderEntry& a, const FolderEntry& b) {
    size_t n = std::min(a.name.size(), b.name.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = upper(static_cast<unsigned char>(a.name[i]));
        unsigned char y = upper(static_cast<unsigned char>(b.name[i]));
        if (x != y) return x < y;
    }
    return a.name.size() < b.name.size();
}

}  // namespace

bool list_folder(const std::string& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    while (dirent* d = readdir(dir)) {
        std::string native = d->d_name;
        if (native == "." || native == "..") continue;
        FolderEntry e{native, native, true, false, false, 0, 0};
        // Names on this disk are UTF-8; one that is not, or holds a
        // character Windows-1252 lacks, has no name the installer can use.
        e.representable = utf8_to_windows1252(native, &e.name);
        if (!e.representable) e.name = utf8_to_windows1252_shown(native);
        struct stat facts;
        std::string path = native_path(folder, native);
        if (lstat(path.c_str(), &facts) == 0) {
            e.link = S_ISLNK(facts.st_mode);
            e.folder = S_ISDIR(facts.st_mode);
            if (e.link && stat(path.c_str(), &facts) == 0) e.folder = S_ISDIR(facts.st_mode);
            e.size = S_ISREG(facts.st_mode) ? static_cast<int64_t>(facts.st_size) : 0;
            // A file its owner may not write stands for a read-only one.
            if (!(facts.st_mode & S_IWUSR)) e.attributes = 0x1;
        }
        entries.push_back(e);
    }
    closedir(dir);
    std::stable_sort(entries.begin(), entries.end(), ntfs_before);
    return true;
}

std::string native_path(const std::string& folder, const std::string& native_name) {
    if (!folder.empty() && folder.back() == '/') return folder + native_name;
    return folder + "/" + native_name;
}

bool read_file_bytes(const std::string& path, size_t limit, std::string* bytes, bool* whole) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bytes->clear();
    char buffer[65536];
    bool failed = false;
    *whole = true;
    for (;;) {
        size_t room = limit - bytes->size();
        // One byte more than the room left shows whether the file goes on.
        size_t got = std::fread(buffer, 1, room < sizeof buffer ? room + 1 : sizeof buffer, f);
        if (got > room) {
            bytes->append(buffer, room);
            *whole = false;
            break;
        }
        bytes->append(buffer, got);
        if (got == 0) {
            failed = std::ferror(f) != 0;
            break;
        }
    }
    std::fclose(f);
    return !failed;
}

std::string absolute_folder(const std::string& folder) {
    char* resolved = realpath(folder.c_str(), nullptr);
    if (!resolved) return folder;
    std::string result = resolved;
    std::free(resolved);
    return result;
}

std::string console_text(std::string_view windows1252) { return windows1252_to_utf8(windows1252); }

UserFolders user_folders() { return sample_user_folders(); }

void search_system_folder_only_on_windows() {}

void set_binary_output() {}

const char* const CONSOLE_LINE_END = "\n";
