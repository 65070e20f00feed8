// Test support: a scratch folder of the test's own, and plain file helpers
// that do not go through the runtime under test.
#pragma once

#include <windows.h>

#include <string>

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
bool exists(const std::string& path);
long long file_size_of(const std::string& path);  // -1 when missing, -2 for a folder
void make_folder(const std::string& path);
void set_read_only(const std::string& path, bool on);

// Keys under HKEY_CURRENT_USER, for the records' "[Registre]" entries.
bool user_key_exists(const std::string& path);
void make_user_key(const std::string& path);
