#include "uninstaller/folder_walk.h"

int64_t remove_empty_tree(const std::string& folder, int level, const FolderWalkOps& ops, void* context) {
    std::vector<WalkEntry> entries;
    if (!ops.list(context, folder, level, entries)) {
        ops.cannot_list(context, folder);
        return WALK_FAILED;
    }
    int64_t total = 0;
    bool failed = false;
    for (const WalkEntry& entry : entries) {
        if (!entry.folder) {
            total += entry.size;
        } else if (entry.link) {
            failed = true;  // what a link leads to is not ours: keep the folder
        } else {
            int64_t below = remove_empty_tree(folder + entry.name + "\\", level + 1, ops, context);
            if (below == WALK_FAILED) failed = true;
            else total += below;
        }
    }
    if (failed) return WALK_FAILED;
    if (total == 0) ops.clear(context, folder);
    return total;
}

int64_t tree_size(const std::string& folder, int listing, const FolderWalkOps& ops, void* context) {
    int64_t total = 0;
    bool failed = false;
    std::vector<std::string> pending{folder};
    std::vector<WalkEntry> entries;
    while (!pending.empty()) {
        std::string current = pending.back();
        pending.pop_back();
        if (!ops.list(context, current, listing, entries)) {
            failed = true;
            continue;
        }
        for (const WalkEntry& entry : entries) {
            if (!entry.folder) total += entry.size;
            else if (!entry.link) pending.push_back(current + entry.name + "\\");
        }
    }
    return failed ? 1 : total;
}
