// The uninstaller's clean-up walk over a tree held in memory: what it
// clears, what keeps a folder, and the tree sizes.
#include <gtest/gtest.h>

#include <map>

#include "uninstaller/folder_walk.h"

namespace {

struct Tree {
    std::map<std::string, std::vector<WalkEntry>> folders;  // "C:\I\" and below
    std::vector<std::string> unlisted;
    std::vector<std::string> said;  // "clear F", "cannot list F", in order
};

bool list(void* context, const std::string& folder, int, std::vector<WalkEntry>& entries) {
    Tree& tree = *static_cast<Tree*>(context);
    for (const std::string& u : tree.unlisted)
        if (u == folder) return false;
    entries = tree.folders[folder];
    return true;
}

void cannot_list(void* context, const std::string& folder) {
    static_cast<Tree*>(context)->said.push_back("cannot list " + folder);
}

void clear(void* context, const std::string& folder) { static_cast<Tree*>(context)->said.push_back("clear " + folder); }

const FolderWalkOps OPS = {list, cannot_list, clear};

WalkEntry file(const std::string& name, int64_t size) { return {name, false, false, size}; }
WalkEntry folder(const std::string& name, bool link = false) { return {name, true, link, 0}; }

TEST(FolderWalk, FoldersWithoutDataGoBottomUpAndDataKeepsEveryFolderAbove) {
    Tree tree;
    tree.folders["C:\\I\\"] = {file("Uninstall.exe", 1000), folder("empty"), folder("data"), folder("zero")};
    tree.folders["C:\\I\\empty\\"] = {folder("deeper")};
    tree.folders["C:\\I\\empty\\deeper\\"] = {};
    tree.folders["C:\\I\\data\\"] = {folder("sub"), file("notes.txt", 5)};
    tree.folders["C:\\I\\data\\sub\\"] = {};
    tree.folders["C:\\I\\zero\\"] = {file("a.txt", 0), file("b.txt", 0)};
    EXPECT_EQ(remove_empty_tree("C:\\I\\", 0, OPS, &tree), 1005);
    EXPECT_EQ(tree.said, (std::vector<std::string>{"clear C:\\I\\empty\\deeper\\", "clear C:\\I\\empty\\",
                                                   "clear C:\\I\\data\\sub\\", "clear C:\\I\\zero\\"}));
}

TEST(FolderWalk, LinksAndFoldersThatCannotBeListedKeepTheirFolders) {
    Tree tree;
    tree.folders["C:\\I\\"] = {folder("a"), folder("b")};
    tree.folders["C:\\I\\a\\"] = {folder("to-documents", true)};
    tree.folders["C:\\I\\b\\"] = {folder("locked")};
    tree.unlisted = {"C:\\I\\b\\locked\\"};
    EXPECT_EQ(remove_empty_tree("C:\\I\\", 0, OPS, &tree), WALK_FAILED);
    EXPECT_EQ(tree.said, (std::vector<std::string>{"cannot list C:\\I\\b\\locked\\"}));
}

TEST(FolderWalk, TreeSizesAre64BitAndLinksAreNotFollowed) {
    Tree tree;
    tree.folders["C:\\T\\"] = {file("web.url", 62), folder("Carnet"), folder("elsewhere", true)};
    tree.folders["C:\\T\\Carnet\\"] = {file("a.bin", 2LL << 30), file("b.bin", 2LL << 30)};
    tree.folders["C:\\T\\elsewhere\\"] = {file("big", 1 << 30)};
    EXPECT_EQ(tree_size("C:\\T\\", 100, OPS, &tree), (4LL << 30) + 62);
    tree.unlisted = {"C:\\T\\Carnet\\"};
    EXPECT_EQ(tree_size("C:\\T\\", 100, OPS, &tree), 1);  // cannot be measured: not empty
    EXPECT_TRUE(tree.said.empty());
}

}  // namespace
