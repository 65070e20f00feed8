#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "checker/folder.h"
#include "checker/previews.h"
#include "checker/report.h"
#include "runtime/code_page.h"

namespace {

// The upper case of the letters NTFS's table folds that most names use:
// Latin-1, Greek and Cyrillic; close enough for a listing's order.
unsigned upper(unsigned c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c == 0x3C2) return 0x3A3;  // final sigma
    if ((c >= 0x3B1 && c <= 0x3CB) || (c >= 0x430 && c <= 0x44F)) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

// A name as NTFS orders it: the UTF-16 units of its upper-case form.
std::u16string ntfs_key(const std::string& name) {
    std::u16string key;
    for (size_t i = 0; i < name.size();) {
        size_t length = std::min(utf8_length(static_cast<unsigned char>(name[i])), name.size() - i);
        unsigned code = length == 1 ? static_cast<unsigned char>(name[i])
                                    : static_cast<unsigned char>(name[i]) & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) code = code << 6 | (static_cast<unsigned char>(name[i + k]) & 0x3F);
        code = upper(code);
        if (code >= 0x10000) {
            key += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            code = 0xDC00 + ((code - 0x10000) & 0x3FF);
        }
        key += static_cast<char16_t>(code);
        i += length;
    }
    return key;
}

// A name that is not UTF-8, for messages: its valid parts, "?" for each
// byte of the rest.
std::string shown_name(const std::string& native) {
    std::string shown;
    for (size_t i = 0; i < native.size();) {
        size_t length = utf8_length(static_cast<unsigned char>(native[i]));
        if (i + length <= native.size() && is_utf8(std::string_view(native).substr(i, length))) {
            shown.append(native, i, length);
            i += length;
        } else {
            shown += '?';
            ++i;
        }
    }
    return shown;
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
        // Names on this disk are UTF-8; one that is not has no name on
        // Windows.
        e.representable = is_utf8(native);
        if (!e.representable) e.name = shown_name(native);
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
    std::vector<std::pair<std::u16string, FolderEntry>> keyed;
    for (FolderEntry& e : entries) keyed.emplace_back(ntfs_key(e.name), std::move(e));
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < keyed.size(); ++i) entries[i] = std::move(keyed[i].second);
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

std::vector<std::string> command_arguments(int argc, char** argv) { return {argv + 1, argv + argc}; }

void write_output_line(std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fputc('\n', stdout);
}

UserFolders user_folders() { return sample_user_folders(); }

void search_system_folder_only_on_windows() {}

void set_binary_output() {}
