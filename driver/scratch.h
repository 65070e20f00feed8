// A scratch folder of the caller's own, and plain file and registry helpers
// that do not go through the kit's runtime: what they read and write is
// checked against the programs, so they must not share the programs' code.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed with all its
// content (read-only files included) when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder's path, with a trailing "\".
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

// Removes a folder tree without the runtime; read-only files go too.
void remove_tree(const std::string& folder);

void write_bytes(const std::string& path, const std::string& bytes);
std::string read_bytes(const std::string& path);  // "" when the file cannot be read
// The lines of a text without their line ends (LF or CR LF); a last line
// without an end counts when it is not empty.
std::vector<std::string> split_lines(const std::string& bytes);
std::vector<std::string> read_lines(const std::string& path);  // split_lines of the file
bool exists(const std::string& path);
long long file_size_of(const std::string& path);  // -1 when missing, -2 for a folder
void make_folder(const std::string& path);
void set_read_only(const std::string& path, bool on);

// One file or folder of a tree: its path relative to the tree's folder (a
// folder's ends with "\") and its size in bytes, -2 for a folder.
struct TreeEntry {
    std::string path;
    long long size;
    bool is_folder() const { return size == -2; }
};
// Everything below `folder` (ending with "\"), sorted by path: a folder
// comes before what it holds.
std::vector<TreeEntry> list_tree(const std::string& folder);
// Copies the tree below `from` into `to` (both ending with "\"); false when
// a file or folder could not be copied.
bool copy_tree(const std::string& from, const std::string& to);

// A link `link` to the folder `target`, as Wine makes one: a symbolic link
// of the Unix file system, which Windows programs list as a reparse point
// (Wine makes no junction of its own).  False when it could not be made.
bool make_folder_link(const std::string& link, const std::string& target);
// Removes such a link, never what it leads to.
void remove_folder_link(const std::string& link);

// Keys under HKEY_CURRENT_USER, for the records' "[Registre]" entries.
bool user_key_exists(const std::string& path);
void make_user_key(const std::string& path);
