// The uninstaller's walks over the install folder, apart from the disk: the
// uninstaller runs them over the disk, the author's checker over a listing
// it took and changes as the uninstaller would.  Pure rules, no system calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct WalkEntry {
    std::string name;
    bool folder;
    bool link;     // a junction or symbolic link: what it leads to is not the installation's
    int64_t size;  // bytes of a file
};

// How a walk reaches its folders.  Folders are passed with their "\".
struct FolderWalkOps {
    // The entries of folder, "." and ".." left out, listed under listing
    // number `level`; false when the folder cannot be listed.
    bool (*list)(void* context, const std::string& folder, int level, std::vector<WalkEntry>& entries);
    // Said once for each folder that cannot be listed during a clean-up.
    void (*cannot_list)(void* context, const std::string& folder);
    // Deletes the files directly in a folder that holds no byte, then the
    // folder itself when nothing is left in it.
    void (*clear)(void* context, const std::string& folder);
};

constexpr int64_t WALK_FAILED = -1;

// The clean-up after an uninstall: bottom-up, every folder of the tree whose
// files hold no byte is cleared.  A folder with data, a link or a folder
// that cannot be listed somewhere below it stays.  Returns the bytes left
// under folder, or WALK_FAILED when something below it had to stay for
// another reason than its bytes.  Adding the children's results instead of
// measuring each folder's tree again keeps the walk linear in the tree.
int64_t remove_empty_tree(const std::string& folder, int level, const FolderWalkOps& ops, void* context);

// Total bytes under folder, links not followed; 1 when some folder of the
// tree cannot be listed (listing number `listing`).  Sizes and the total are
// 64-bit: a 4 GiB file, or sizes that would wrap a 32-bit total to 0, must
// never make a folder of data look empty.
int64_t tree_size(const std::string& folder, int listing, const FolderWalkOps& ops, void* context);
