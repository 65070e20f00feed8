// File and folder operations, on real files under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "runtime/file.h"
#include "tests/support/scratch.h"

namespace {

class Files : public ::testing::Test {
protected:
    void TearDown() override { release_files(); }

    // Every line read_line yields from a file with these bytes, until
    // end_of_file says so (at most 1000 lines, so a reader stuck on one line
    // shows as a failure rather than a hang).
    std::vector<std::string> lines_of(const std::string& bytes) {
        std::string path = dir / "lines.txt";
        write_bytes(path, bytes);
        std::vector<std::string> lines;
        EXPECT_NE(read_file(0, path), 0);
        while (end_of_file(0) == 0 && lines.size() < 1000) lines.push_back(read_line());
        close_file(0);
        return lines;
    }

    ScratchFolder dir;
};

using Lines = std::vector<std::string>;

// How lines are cut is tested on the host; here the reader keeps to the
// cut across its buffer-fulls and keeps the file position in step.
TEST_F(Files, LoneCrAtEndEndsTheLastLineOnce) {
    std::string path = dir / "cr.txt";
    write_bytes(path, "A\r");
    ASSERT_NE(read_file(0, path), 0);
    EXPECT_EQ(read_line(), "A");
    EXPECT_EQ(end_of_file(0), -1);
    EXPECT_EQ(file_position(), 2);
    EXPECT_EQ(read_line(), "");
    EXPECT_EQ(end_of_file(0), -1);
}

TEST_F(Files, CrLfSplitAcrossTheReadBufferIsOneLineEnd) {
    // The CR is the last byte of one buffer-full and the LF the first of the
    // next, for any buffer size that is a power of two up to 64 KiB.
    for (size_t at : {4095u, 65535u}) {
        std::string bytes;
        while (bytes.size() + 1000 < at) bytes += std::string(999, 'x') + "\n";
        size_t last = at - bytes.size();
        bytes += std::string(last, 'y') + "\r\nnext";
        Lines lines = lines_of(bytes);
        ASSERT_EQ(lines.size(), at / 1000 + 2) << at;
        EXPECT_EQ(lines[lines.size() - 2], std::string(last, 'y'));
        EXPECT_EQ(lines.back(), "next");
    }
}

TEST_F(Files, OverlongLineIsCutAndTheReaderStaysInStep) {
    std::string bytes = std::string(LINE_LIMIT + 5000, 'a') + "\r\nsecond\r\n";
    Lines lines = lines_of(bytes);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(LINE_LIMIT, 'a'));
    EXPECT_EQ(lines[1], "second");
}

TEST_F(Files, PositionAndEndOfFileDoNotMoveTheReader) {
    std::string path = dir / "pos.txt";
    write_bytes(path, "one\r\ntwo\nthree");
    ASSERT_NE(read_file(3, path), 0);
    EXPECT_EQ(file_length(), 14);
    EXPECT_EQ(file_position(), 0);
    EXPECT_EQ(read_line(), "one");
    EXPECT_EQ(file_position(), 5);
    EXPECT_EQ(end_of_file(3), 0);
    EXPECT_EQ(file_position(), 5);
    EXPECT_EQ(read_line(), "two");
    file_seek(1);
    EXPECT_EQ(read_line(), "ne");
    EXPECT_EQ(file_position(), 5);
}

// The installer completes a record this way: skip line 1, overwrite the
// first two bytes of line 2, then append at the end.
TEST_F(Files, WriteAtThePositionReadLineReached) {
    std::string path = dir / "Uninstall.dat";
    write_bytes(path, "[Langue]\r\n??\r\n[Fichiers]\r\n");
    ASSERT_NE(open_file(0, path), 0);
    EXPECT_EQ(read_line(), "[Langue]");
    EXPECT_EQ(write_text("FR"), 2);
    file_seek(file_length());
    EXPECT_EQ(write_line("C:\\a.txt"), 10);
    EXPECT_EQ(write_text("C:\\Menu\\"), 8);
    EXPECT_EQ(write_text(""), 0);
    close_file(0);
    EXPECT_EQ(read_bytes(path), "[Langue]\r\nFR\r\n[Fichiers]\r\nC:\\a.txt\r\nC:\\Menu\\");
}

TEST_F(Files, OpenNeverTruncatesCreateDoes) {
    std::string path = dir / "f.txt";
    EXPECT_NE(open_file(0, path), 0);  // created when missing
    close_file(0);
    EXPECT_EQ(file_size(path), 0);
    write_bytes(path, "keep");
    ASSERT_NE(open_file(0, path), 0);
    close_file(0);
    EXPECT_EQ(read_bytes(path), "keep");
    ASSERT_NE(create_file(0, path), 0);
    EXPECT_EQ(write_line("new"), 5);
    close_file(0);
    EXPECT_EQ(read_bytes(path), "new\r\n");
    EXPECT_EQ(read_file(0, dir / "missing.txt"), 0);
}

TEST_F(Files, NumbersIdentifiersAndTheCurrentFile) {
    std::string a = dir / "a.txt", b = dir / "b.txt";
    write_bytes(a, "from a");
    write_bytes(b, "from b");
    intptr_t id1 = read_file(-1, a);
    intptr_t id2 = read_file(-1, b);
    ASSERT_NE(id1, 0);
    ASSERT_NE(id2, 0);
    EXPECT_NE(id1, id2);
    EXPECT_NE(id1, -1);
    EXPECT_EQ(read_line(), "from b");  // the most recent file is current
    // A failed open leaves the current file in place.
    EXPECT_EQ(read_file(5, dir / "missing.txt"), 0);
    EXPECT_EQ(end_of_file(static_cast<int>(id2)), -1);
    close_file(static_cast<int>(id2));
    EXPECT_EQ(read_line(), "");  // no current file now
    EXPECT_EQ(write_text("x"), 0);
    EXPECT_EQ(file_length(), -1);
    EXPECT_EQ(end_of_file(static_cast<int>(id1)), 0);
    close_file(static_cast<int>(id1));
    close_file(-1);  // harmless

    // A number far beyond the table's first size works, and reopening a
    // number closes what it held.
    ASSERT_NE(read_file(250, a), 0);
    ASSERT_NE(read_file(250, b), 0);
    EXPECT_EQ(read_line(), "from b");
    close_file(250);
    EXPECT_EQ(delete_file(a), 1);  // no handle on a is left open
}

TEST_F(Files, SizesOfFilesFoldersDrivesAndMissingPaths) {
    std::string empty = dir / "empty.txt";
    write_bytes(empty, "");
    write_bytes(dir / "three", "abc");
    EXPECT_EQ(file_size(empty), 0);
    EXPECT_EQ(file_size(dir / "three"), 3);
    EXPECT_EQ(file_size(dir.path()), -2);  // with its trailing "\"
    std::string no_slash = dir.path().substr(0, dir.path().size() - 1);
    EXPECT_EQ(file_size(no_slash), -2);
    EXPECT_EQ(file_size(dir / "missing"), -1);
    EXPECT_EQ(file_size(dir / "missing\\"), -1);
    EXPECT_EQ(file_size(""), -1);
    EXPECT_EQ(file_size(dir / "*"), -1);  // a wildcard names no file
    EXPECT_EQ(file_size("C:"), -2);
    EXPECT_EQ(file_size("c:\\"), -2);
    DWORD drives = GetLogicalDrives();
    char unused = 0;
    for (char d = 'Y'; d > 'D' && !unused; --d)
        if (!(drives & (1u << (d - 'A')))) unused = d;
    ASSERT_NE(unused, 0);
    EXPECT_EQ(file_size(std::string(1, unused) + ":"), -1);
    EXPECT_EQ(file_size(std::string(1, unused) + ":\\"), -1);
}

TEST_F(Files, SizeBeyondFourGibibytesIsNotTruncated) {
    // A sparse 5 GiB file: its low 32 bits alone would read as 1 GiB.
    std::string path = dir / "big.bin";
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD ignored;
    DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 5LL << 30;
    ASSERT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(h));
    CloseHandle(h);
    EXPECT_EQ(file_size(path), 5LL << 30);
    ASSERT_EQ(examine_directory(0, dir.path(), "big.bin"), 1);
    ASSERT_EQ(next_directory_entry(), ENTRY_FILE);
    EXPECT_EQ(directory_entry_size(), 5LL << 30);
}

TEST_F(Files, AReadOnlyFileIsOpenedForReadingOnly) {
    std::string path = dir / "locked.txt";
    write_bytes(path, "line one\r\nline two");
    set_read_only(path, true);
    EXPECT_EQ(open_file(0, path), 0);
    EXPECT_EQ(create_file(0, path), 0);
    EXPECT_EQ(read_bytes(path), "line one\r\nline two");
    ASSERT_NE(read_file(0, path), 0);
    EXPECT_EQ(read_line(), "line one");
    close_file(0);
    set_read_only(path, false);
    EXPECT_NE(open_file(0, path), 0);
    close_file(0);
}

TEST_F(Files, CopyOverwritesButNotAReadOnlyDestination) {
    std::string src = dir / "src", dst = dir / "dst";
    write_bytes(src, "new content");
    EXPECT_NE(copy_file(src, dir / "fresh"), 0);
    EXPECT_EQ(read_bytes(dir / "fresh"), "new content");
    write_bytes(dst, "old");
    EXPECT_NE(copy_file(src, dst), 0);
    EXPECT_EQ(read_bytes(dst), "new content");
    write_bytes(src, "newer");
    set_read_only(dst, true);
    EXPECT_EQ(copy_file(src, dst), 0);
    EXPECT_EQ(read_bytes(dst), "new content");
    EXPECT_EQ(copy_file(dir / "missing", dir / "x"), 0);

    // A destination that another program holds open cannot be replaced.
    std::string held = dir / "held";
    write_bytes(held, "in use");
    HANDLE h = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(copy_file(src, held), 0);
    CloseHandle(h);
    EXPECT_EQ(read_bytes(held), "in use");
}

TEST_F(Files, CreateDirectoryMakesOneLevel) {
    EXPECT_NE(create_directory(dir / "one"), 0);
    EXPECT_EQ(create_directory(dir / "one"), 0);  // exists
    EXPECT_EQ(create_directory(dir / "a\\b"), 0);  // parent missing
    EXPECT_EQ(file_size(dir / "one"), -2);
}

class Trees : public Files {
protected:
    // root\f1, root\ro (read-only), root\sub\f2, root\sub\deeper\f3
    std::string make_tree() {
        std::string root = dir / "root";
        make_folder(root);
        make_folder(root + "\\sub");
        make_folder(root + "\\sub\\deeper");
        write_bytes(root + "\\f1", "1");
        write_bytes(root + "\\ro", "r");
        set_read_only(root + "\\ro", true);
        write_bytes(root + "\\sub\\f2", "22");
        write_bytes(root + "\\sub\\deeper\\f3", "333");
        return root;
    }
};

TEST_F(Trees, DeleteWithoutRecursionKeepsSubfoldersAndTheFolder) {
    std::string root = make_tree();
    EXPECT_EQ(delete_directory(root, "", DELETE_FORCE), 0);
    EXPECT_FALSE(exists(root + "\\f1"));
    EXPECT_FALSE(exists(root + "\\ro"));
    EXPECT_TRUE(exists(root + "\\sub\\f2"));
    EXPECT_TRUE(exists(root + "\\sub\\deeper\\f3"));
    EXPECT_TRUE(exists(root));
}

TEST_F(Trees, DeleteRecursiveWithoutForceLeavesReadOnlyFiles) {
    std::string root = make_tree();
    EXPECT_EQ(delete_directory(root + "\\", "*.*", DELETE_RECURSIVE), 0);
    EXPECT_TRUE(exists(root + "\\ro"));
    EXPECT_FALSE(exists(root + "\\f1"));
    EXPECT_FALSE(exists(root + "\\sub"));
    EXPECT_TRUE(exists(root));
}

TEST_F(Trees, DeleteRecursiveWithForceRemovesEverything) {
    std::string root = make_tree();
    set_read_only(root + "\\sub\\deeper", true);
    EXPECT_NE(delete_directory(root, "*.*", DELETE_RECURSIVE | DELETE_FORCE), 0);
    EXPECT_FALSE(exists(root));
    EXPECT_EQ(delete_directory("", "", DELETE_RECURSIVE | DELETE_FORCE), 0);
    EXPECT_EQ(delete_directory(dir / "missing", "", DELETE_RECURSIVE), 0);
}

TEST_F(Trees, DeleteWithAPatternThatMatchesNothingLeavesTheFolder) {
    std::string root = make_tree();
    EXPECT_EQ(delete_directory(root, "*.none", DELETE_RECURSIVE | DELETE_FORCE), 0);
    EXPECT_TRUE(exists(root + "\\f1"));
    // An empty folder goes, whatever the pattern and the flags.
    make_folder(dir / "empty");
    EXPECT_NE(delete_directory(dir / "empty", "*.none", 0), 0);
    EXPECT_FALSE(exists(dir / "empty"));
}

TEST_F(Trees, ListingsOfAnEmptyAndAMissingFolder) {
    make_folder(dir / "empty");
    ASSERT_NE(examine_directory(0, dir / "empty", ""), 0);
    std::set<std::string> names;
    int kind;
    while ((kind = next_directory_entry()) != ENTRY_NONE) {
        EXPECT_EQ(kind, ENTRY_FOLDER);
        names.insert(directory_entry_name());
    }
    EXPECT_EQ(names, (std::set<std::string>{".", ".."}));
    EXPECT_EQ(next_directory_entry(), ENTRY_NONE);  // the listing is gone
    EXPECT_EQ(examine_directory(0, dir / "missing", "*.*"), 0);
    EXPECT_EQ(next_directory_entry(), ENTRY_NONE);
}

// A recursive walk that keeps one listing per depth, as the folder copy does.
void walk(const std::string& folder, const std::string& relative, int depth,
          std::vector<std::string>& found) {
    ASSERT_NE(examine_directory(depth, folder + relative, "*.*"), 0);
    int kind;
    while ((kind = next_directory_entry()) != ENTRY_NONE) {
        std::string name = directory_entry_name();
        if (kind == ENTRY_FILE) {
            found.push_back(relative + name + ":" + std::to_string(directory_entry_size()));
        } else if (name != "." && name != "..") {
            walk(folder, relative + name + "\\", depth + 1, found);
            select_directory(depth);
        }
    }
}

TEST_F(Trees, NestedListingsResumeWithSelectDirectory) {
    std::string root = make_tree();
    make_folder(root + "\\sub2");
    write_bytes(root + "\\sub2\\f4", "4444");
    write_bytes(root + "\\z_last", "zz");
    std::vector<std::string> found;
    walk(root + "\\", "", 0, found);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"f1:1", "ro:1", "sub2\\f4:4", "sub\\deeper\\f3:3",
                                               "sub\\f2:2", "z_last:2"}));
}

TEST_F(Trees, ListingIdentifiersAndTheCurrentDirectory) {
    std::string root = make_tree();
    int id = examine_directory(-1, root, "f*");
    ASSERT_GT(id, 0);
    EXPECT_NE(examine_directory(0, root + "\\sub", "f*"), 0);
    // A listing that cannot start leaves the current one as it was.
    EXPECT_EQ(examine_directory(5, root + "\\missing", "*.*"), 0);
    ASSERT_EQ(next_directory_entry(), ENTRY_FILE);
    EXPECT_EQ(directory_entry_name(), "f2");
    select_directory(id);
    ASSERT_EQ(next_directory_entry(), ENTRY_FILE);
    EXPECT_EQ(directory_entry_name(), "f1");
    EXPECT_EQ(next_directory_entry(), ENTRY_NONE);
    select_directory(0);
    EXPECT_EQ(next_directory_entry(), ENTRY_NONE);

    // "" lists the current directory.
    char saved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    SetCurrentDirectoryA((root + "\\sub\\deeper").c_str());
    ASSERT_NE(examine_directory(1, "", "f*"), 0);
    ASSERT_EQ(next_directory_entry(), ENTRY_FILE);
    EXPECT_EQ(directory_entry_name(), "f3");
    EXPECT_EQ(directory_entry_size(), 3);
    SetCurrentDirectoryA(saved);
}

}  // namespace
