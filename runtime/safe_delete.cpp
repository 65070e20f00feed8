#include "runtime/safe_delete.h"

#include <windows.h>

#include <vector>

#include "runtime/file.h"
#include "runtime/folder_rights.h"
#include "runtime/path_text.h"
#include "runtime/unicode.h"

namespace {

struct HeldFolder {
    std::string path;  // with "\"
    HANDLE handle;
};

// The folders held from the last deletion's base down to its file's
// folder: consecutive deletions in one folder hold it only once.
std::vector<HeldFolder> held;

bool is_reparse(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The attributes a handle shows.  (The whole of GetFileInformationByHandle
// costs, under Wine, three times the deletion itself.)
DWORD handle_attributes(HANDLE handle) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag)) return INVALID_FILE_ATTRIBUTES;
    return tag.FileAttributes;
}

// How many names the file has; 1 when that cannot be told.
DWORD name_count(HANDLE handle) {
    FILE_STANDARD_INFO standard{};
    if (!GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard)) return 1;
    return standard.NumberOfLinks;
}

// Opens without following a link (unless `follow`).  Shared for reading and
// writing only when held, so that nobody renames or removes a held folder
// meanwhile.
HANDLE open_entry(const std::string& path, DWORD access, bool hold, bool follow = false) {
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | (hold ? 0 : FILE_SHARE_DELETE);
    return CreateFileW(file_path(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
}

bool dispose(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
}

// Removes the link `path` itself.  Only a handle that shows the link is
// used: a system that opens what a link leads to instead (Wine does, for a
// folder's) would otherwise remove that.
void remove_link(const std::string& path) {
    HANDLE link = open_entry(path, DELETE | FILE_READ_ATTRIBUTES, false);
    if (link == INVALID_HANDLE_VALUE) return;
    if (is_reparse(handle_attributes(link))) dispose(link);
    CloseHandle(link);
}

void release_from(size_t first) {
    for (size_t i = first; i < held.size(); ++i) CloseHandle(held[i].handle);
    held.resize(first);
}

// Holds every folder from `base` down to `folder` (both with "\").  False
// when one below the base is a link (it is removed as a link) or one cannot
// be held.  The base is the system's name for one of the program's folders
// (the install folder, the user's desktop): when that is a link, the user
// put it there (a desktop kept on another drive, a moved program folder),
// and it is followed.
bool hold_down_to(const std::string& base, const std::string& folder) {
    // The files of a folder come one after the other.
    if (!held.empty() && held.front().path == base && held.back().path == folder) return true;
    std::vector<std::string> wanted{base};
    for (size_t at = base.size(); at < folder.size();) {
        size_t slash = folder.find('\\', at);
        if (slash == std::string::npos) break;
        wanted.push_back(folder.substr(0, slash + 1));
        at = slash + 1;
    }
    size_t keep = 0;
    while (keep < held.size() && keep < wanted.size() && held[keep].path == wanted[keep]) ++keep;
    release_from(keep);
    for (size_t i = keep; i < wanted.size(); ++i) {
        // Named without its "\": with it, the name is that of what a link
        // leads to.
        std::string path = wanted[i].size() > 3 ? wanted[i].substr(0, wanted[i].size() - 1) : wanted[i];
        bool below_base = i > 0;
        if (below_base && is_reparse(GetFileAttributesW(file_path(path).c_str()))) {
            remove_link(path);
            return false;
        }
        HANDLE handle = open_entry(path, FILE_READ_ATTRIBUTES, true, !below_base);
        if (handle == INVALID_HANDLE_VALUE) return false;
        if (below_base && is_reparse(handle_attributes(handle))) {
            CloseHandle(handle);
            remove_link(path);
            return false;
        }
        held.push_back({wanted[i], handle});
    }
    return true;
}

std::string parent_of(const std::string& path) { return path.substr(0, path.rfind('\\') + 1); }

bool inside(const std::string& base, const std::string& path) {
    return path.size() > base.size() && path_inside(path, base);
}

// Forced, a read-only, hidden or system file loses those attributes and
// goes, unless it has another name: the attributes are the file's, and that
// name keeps them.  True when it went.
bool delete_kept_file(const std::string& path) {
    constexpr DWORD KEPT_BY = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    HANDLE file = CreateFileW(file_path(path).c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool gone = false;
    DWORD attributes = handle_attributes(file);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & KEPT_BY) && !is_reparse(attributes) &&
        name_count(file) == 1) {
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        gone = SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) && dispose(file);
    }
    CloseHandle(file);
    return gone;
}

}  // namespace

int delete_below(const std::string& base, const std::string& path, bool force) {
    std::string from = inside(with_backslash(base), path) ? with_backslash(base) : path_root(path);
    if (from.empty() || !hold_down_to(from, parent_of(path))) return file_size(path) == -1 ? 1 : 0;
    // Opened as a file, for deletion when closed: a folder, or a link to one
    // that the system would follow (Wine does), is refused, and so is a file
    // that is read-only or in use; a link to a file is opened itself.
    HANDLE file = CreateFileW(file_path(path).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return 1;
    }
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return 1;
    return force && error == ERROR_ACCESS_DENIED && delete_kept_file(path) ? 1 : 0;
}

int remove_folder_below(const std::string& base, const std::string& path) {
    std::string folder = path;
    while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    std::string from = inside(with_backslash(base), folder) ? with_backslash(base) : path_root(folder);
    // The folder itself may be held from a deletion in it.
    release_held_folders();
    if (from.empty() || !hold_down_to(from, parent_of(folder))) return file_size(folder) == -1 ? 1 : 0;
    bool link_by_name = is_reparse(GetFileAttributesW(file_path(folder).c_str()));
    HANDLE handle = open_entry(folder, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, false);
    if (handle == INVALID_HANDLE_VALUE) return file_size(folder) == -1 ? 1 : 0;
    DWORD attributes = handle_attributes(handle);
    bool gone = false;
    if (is_reparse(attributes)) {
        gone = dispose(handle);  // the link alone
    } else if (!link_by_name && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);
        gone = dispose(handle);  // refused while anything is left in it
    }
    CloseHandle(handle);
    release_held_folders();
    return gone ? 1 : 0;
}

bool is_link(const std::string& path) {
    std::string p = path;
    while (p.size() > 3 && p.back() == '\\') p.pop_back();
    return is_reparse(GetFileAttributesW(file_path(p).c_str()));
}

std::string path_root(const std::string& path) {
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return path.substr(0, 3);
    if (path.rfind("\\\\", 0) == 0) {
        size_t server = path.find('\\', 2);
        size_t share = server == std::string::npos ? server : path.find('\\', server + 1);
        if (share != std::string::npos) return path.substr(0, share + 1);
    }
    return "";
}

void release_held_folders() { release_from(0); }
