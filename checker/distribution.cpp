#include "checker/distribution.h"

#include "checker/folder.h"

namespace {

// Deeper than any path Windows can hold: a loop through links the
// system did not show as links still ends.
constexpr int MAX_DEPTH = 130;

// False when the folder cannot be listed.
bool read_level(DistributionTree& tree, const std::string& native, const std::string& path,
                const std::string& shown, bool representable, int depth, size_t limit) {
    std::vector<FolderEntry> entries;
    if (!list_folder(native, entries)) return false;
    for (const FolderEntry& e : entries) {
        if (tree.entries.size() >= limit) {
            tree.cut_short = true;
            return true;
        }
        DistributionEntry d;
        d.path = path.empty() ? e.name : path + "\\" + e.name;
        d.shown = shown.empty() ? e.name : shown + "/" + e.name;
        d.native = native_path(native, e.native);
        d.folder = e.folder;
        d.link = e.link;
        d.representable = representable && e.representable;
        d.size = e.size;
        d.attributes = e.attributes;
        d.depth = depth;
        tree.entries.push_back(d);
        if (d.folder && !d.link && depth < MAX_DEPTH &&
            !read_level(tree, d.native, d.path, d.shown, d.representable, depth + 1, limit))
            tree.unlisted_folders.push_back(d.shown);
    }
    return true;
}

}  // namespace

bool read_distribution(const std::string& root, size_t entry_limit, DistributionTree& tree) {
    tree = DistributionTree{};
    tree.root = root;
    return read_level(tree, root, "", "", true, 0, entry_limit);
}

const DistributionEntry* find_entry(const DistributionTree& tree, const std::string& path) {
    for (const DistributionEntry& e : tree.entries)
        if (e.path == path) return &e;
    return nullptr;
}

std::string entry_name(const std::string& path) {
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
