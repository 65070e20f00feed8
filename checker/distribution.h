// A distribution folder as the installer will meet it: every file and
// folder in the order of the copy, with the names the installer uses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DistributionEntry {
    std::string path;     // relative, "\" between names, UTF-8
    std::string shown;    // the same for messages, "/" between names
    std::string native;   // the path on this disk
    bool folder = false;
    bool link = false;
    bool representable = true;  // every name on the way is Unicode text
    int64_t size = 0;
    uint32_t attributes = 0;    // read-only, hidden, system
    int depth = 0;              // 0 for an entry of the distribution folder itself
};

struct DistributionTree {
    std::string root;                            // the folder as given
    std::vector<DistributionEntry> entries;      // folders where the copy enters them
    std::vector<std::string> unlisted_folders;   // shown paths of folders that could not be listed
    bool cut_short = false;                      // more entries than the checker reads
};

// Reads the tree below `root`, links not followed.  False when the folder
// itself cannot be listed.  At most `entry_limit` entries are kept.
bool read_distribution(const std::string& root, size_t entry_limit, DistributionTree& tree);

// The entry at this relative path ("\" between names, compared byte for
// byte), or nullptr.
const DistributionEntry* find_entry(const DistributionTree& tree, const std::string& path);

// The last name of a relative path.
std::string entry_name(const std::string& path);
