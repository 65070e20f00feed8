// The uninstaller's own routines, in process (the record's rules are
// tested on the host): registry keys,
// windows to close, the folder walks and whole runs over a scratch
// installation.
#include <gtest/gtest.h>

#include "runtime/runtime.h"
#include "tests/support/scratch.h"
#include "uninstaller/uninstall.h"

namespace {

TEST(Removal, RegistryKeysByExactRootName) {
    std::string base = "Software\\TarvoKitTest" + std::to_string(GetCurrentProcessId());
    make_user_key(base + "\\Gone");
    make_user_key(base + "\\Kept");
    make_user_key(base + "\\Doubled");
    delete_registry_key("HKEY_CURRENT_USER\\" + base + "\\Gone");
    delete_registry_key("hkey_current_user\\" + base + "\\Kept");
    delete_registry_key("HKCU\\" + base + "\\Kept");
    // The root name followed by "\" is removed wherever it stands.
    delete_registry_key("HKEY_CURRENT_USER\\" + base + "\\hkey_current_user\\Doubled");
    EXPECT_FALSE(user_key_exists(base + "\\Gone"));
    EXPECT_TRUE(user_key_exists(base + "\\Kept"));
    EXPECT_FALSE(user_key_exists(base + "\\Doubled"));
    // One RegDeleteKeyA: a key that still has subkeys stays.
    delete_registry_key("HKEY_CURRENT_USER\\" + base);
    EXPECT_TRUE(user_key_exists(base));
    RegDeleteKeyA(HKEY_CURRENT_USER, (base + "\\Kept").c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, base.c_str());
}

// A 32-bit program's keys under HKEY_LOCAL_MACHINE\Software live in the
// registry's 32-bit view.
TEST(Removal, RegistryKeysGoInBothViews) {
    std::string path = "Software\\TarvoKitView" + std::to_string(GetCurrentProcessId());
    auto make = [&](REGSAM view) {
        HKEY key = nullptr;
        LONG made = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr,
                                    &key, nullptr);
        if (made == ERROR_SUCCESS) RegCloseKey(key);
        return made == ERROR_SUCCESS;
    };
    auto present = [&](REGSAM view) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    };
    ASSERT_TRUE(make(KEY_WOW64_32KEY));
    ASSERT_TRUE(make(KEY_WOW64_64KEY));
    delete_registry_key("HKEY_LOCAL_MACHINE\\" + path);
    EXPECT_FALSE(present(KEY_WOW64_32KEY));
    EXPECT_FALSE(present(KEY_WOW64_64KEY));
}

TEST(Removal, CloseRequestGoesToTheWindowOfThatExactTitle) {
    HWND window = CreateWindowExA(0, "STATIC", "Carnet - notes", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    close_program_window("Carnet - note");
    close_program_window("Carnet - notes");
    MSG msg;
    int closes = 0;
    while (PeekMessageA(&msg, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) ++closes;
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(IsWindow(window));  // asked, not forced
    DestroyWindow(window);
}

void make_sparse(const std::string& path, int64_t size) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD ignored;
    DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = size;
    SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
    SetEndOfFile(h);
    CloseHandle(h);
}

class Folders : public ::testing::Test {
protected:
    void SetUp() override { init_runtime(); }
    void TearDown() override { release_runtime(); }
    ScratchFolder dir;
};

// Sizes whose low 32 bits are 0, or that wrap a 32-bit total to 0, must
// not make a folder of user data look empty.
TEST_F(Folders, TreeSizesAre64Bit) {
    make_folder(dir / "four");
    make_sparse(dir / "four\\exactly_4_GiB.bin", 4LL << 30);
    EXPECT_EQ(folder_tree_size(dir / "four"), 4LL << 30);
    make_folder(dir / "wrap");
    make_sparse(dir / "wrap\\a.bin", 2LL << 30);
    make_sparse(dir / "wrap\\b.bin", 2LL << 30);
    EXPECT_EQ(folder_tree_size(dir / "wrap\\"), 4LL << 30);
    remove_empty_folders(dir.path(), 0);
    EXPECT_TRUE(exists(dir / "four\\exactly_4_GiB.bin"));
    EXPECT_TRUE(exists(dir / "wrap\\b.bin"));
    EXPECT_EQ(folder_tree_size(dir / "missing"), 1);
}

TEST_F(Folders, ManyFoldersAreMeasured) {
    // More pending folders at once than a fixed table of 100 could hold.
    for (int i = 0; i < 150; ++i) {
        std::string sub = dir.path() + "f";
        sub += std::to_string(i);
        make_folder(sub);
        write_bytes(sub + "\\one", "1");
    }
    EXPECT_EQ(folder_tree_size(dir.path()), 150);
}

TEST_F(Folders, EmptyFoldersGoBottomUpAndDataStays) {
    std::string root = dir / "install\\";
    make_folder(root);
    write_bytes(root + "Uninstall.exe", "running");
    make_folder(root + "zero");
    write_bytes(root + "zero\\ro.cfg", "");
    set_read_only(root + "zero\\ro.cfg", true);
    make_folder(root + "a");
    make_folder(root + "a\\b");
    make_folder(root + "a\\b\\c");
    make_folder(root + "data");
    make_folder(root + "data\\deep");
    write_bytes(root + "data\\deep\\notes.txt", "x");
    write_bytes(root + "data\\empty.txt", "");
    remove_empty_folders(root, 0);
    EXPECT_FALSE(exists(root + "zero"));
    EXPECT_FALSE(exists(root + "a"));
    EXPECT_TRUE(exists(root + "data\\deep\\notes.txt"));
    EXPECT_TRUE(exists(root + "data\\empty.txt"));  // its folder holds data
    EXPECT_TRUE(exists(root + "Uninstall.exe"));
}

// Wine cannot create junctions; it shows a Unix symbolic link as a folder
// that is a reparse point, which is what a junction looks like on Windows.
bool make_link(const std::string& link, const std::string& target) {
    using UnixName = char*(CDECL*)(const WCHAR*);
    auto unix_name = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (!unix_name) return false;
    auto to_unix = [&](const std::string& path) {
        std::wstring wide(path.begin(), path.end());
        char* name = unix_name(wide.c_str());
        std::string result = name ? name : "";
        HeapFree(GetProcessHeap(), 0, name);
        return result;
    };
    std::string command = "/bin/ln -s " + to_unix(target) + " " + to_unix(link);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA("Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return false;
    WaitForSingleObject(started.hProcess, 10000);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

TEST_F(Folders, LinksToTheUsersDataAreNeverEntered) {
    std::string root = dir / "install\\";
    std::string data = dir / "data\\";
    make_folder(root);
    make_folder(data);
    write_bytes(root + "Uninstall.exe", "running");
    write_bytes(data + "empty-but-mine.txt", "");
    make_folder(data + "inner");
    ASSERT_TRUE(make_link(root + "linked", data + "inner"));
    ASSERT_TRUE(make_link(root + "sub_linked", data.substr(0, data.size() - 1)));
    remove_empty_folders(root, 0);
    EXPECT_TRUE(exists(data + "empty-but-mine.txt"));
    EXPECT_TRUE(exists(data + "inner"));
    EXPECT_EQ(folder_tree_size(root), 7);  // the link's 0-byte target is not counted or walked
}

TEST_F(Folders, ClearFolderLeavesSubfolders) {
    std::string menu = dir / "menu\\";
    make_folder(menu);
    write_bytes(menu + "A.lnk", "link");
    write_bytes(menu + "ro.txt", "r");
    set_read_only(menu + "ro.txt", true);
    make_folder(menu + "other");
    write_bytes(menu + "other\\B.lnk", "link");
    clear_folder(menu);
    EXPECT_FALSE(exists(menu + "A.lnk"));
    EXPECT_FALSE(exists(menu + "ro.txt"));
    EXPECT_TRUE(exists(menu + "other\\B.lnk"));
    remove_tree(menu + "other");
    clear_folder(menu);
    EXPECT_FALSE(exists(menu));
}

// The clean-up walks a whole installation; the window answers meanwhile,
// as it does between the entries of the record.  A message waiting for the
// thread is taken during the walk.
TEST_F(Folders, TheCleanUpServicesTheWindowsMessages) {
    HWND window = CreateWindowExA(0, "STATIC", "Walk", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                  nullptr);
    ASSERT_NE(window, nullptr);
    std::string root = dir / "install\\";
    make_folder(root);
    make_folder(root + "empty");
    PostMessageA(window, WM_APP + 3, 0, 0);
    remove_empty_folders(root, 0);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, window, WM_APP + 3, WM_APP + 3, PM_NOREMOVE));
    EXPECT_FALSE(exists(root));
    DestroyWindow(window);
}

// Whole runs over a scratch installation that is the current folder, as
// it is for the uninstaller.
class Runs : public Folders {
protected:
    void SetUp() override {
        Folders::SetUp();
        GetCurrentDirectoryA(MAX_PATH, saved_folder);
        make_folder(install);
        SetCurrentDirectoryA(install.c_str());
        for (const char* name : {"App.exe", "data.cfg", "other.txt", "kept.txt"}) write_bytes(install + name, "x");
        make_folder(dir / "Tarvo");
        make_folder(menu1);
        make_folder(menu2);
        write_bytes(menu1 + "A.lnk", "l");
        write_bytes(menu2 + "A.lnk", "l");
    }
    void TearDown() override {
        SetCurrentDirectoryA(saved_folder);
        Folders::TearDown();
    }
    void record(const std::string& bytes) { write_bytes(install + "Uninstall.dat", bytes); }

    char saved_folder[MAX_PATH];
    std::string install = dir / "install\\";
    std::string menu1 = dir / "Tarvo\\menu1\\";
    std::string menu2 = dir / "Tarvo\\menu2\\";
};

TEST_F(Runs, FullRunActsOnEverySection) {
    record("[Langue]\r\nFR\r\n[Dossier du programme]\r\ndata.cfg\r\n[Autre]\r\n" + install +
           "other.txt\r\n  [Fichiers]  \r\n" + install + "App.exe\r\n" + install + "Uninstall.dat\r\n[Menu]\r\n" +
           menu1 + "\r\n[Menu]\r\n" + menu2);
    EXPECT_TRUE(run_uninstall(false));
    for (const char* gone : {"App.exe", "data.cfg", "other.txt", "Uninstall.dat"})
        EXPECT_FALSE(exists(install + gone)) << gone;
    EXPECT_TRUE(exists(install + "kept.txt"));
    EXPECT_TRUE(exists(menu1 + "A.lnk"));  // only the last "[Menu]" entry counts
    EXPECT_FALSE(exists(menu2));
}

TEST_F(Runs, UpdateKeepsDataFilesAndRemovesInstalledOnes) {
    record("[Langue]\nEN\n[Dossier du programme]\ndata.cfg\n[Autre]\n" + install + "other.txt\n[Fichiers]\n" +
           install + "App.exe\n[Menu]\n" + menu2 + "\n");
    EXPECT_TRUE(run_uninstall(true));
    EXPECT_TRUE(exists(install + "data.cfg"));
    EXPECT_TRUE(exists(install + "other.txt"));
    EXPECT_FALSE(exists(install + "App.exe"));
    EXPECT_FALSE(exists(install + "Uninstall.dat"));
    EXPECT_FALSE(exists(menu2));
}

TEST_F(Runs, AMenuLineOfAnyOtherShapeClearsNothing) {
    // What a record cut short, edited by hand or made with an empty program
    // name may hold instead of Programs\Tarvo\name\.
    std::string programs = dir / "Programs\\";
    make_folder(programs);
    make_folder(programs + "Tarvo");
    write_bytes(programs + "Other program.lnk", "l");
    write_bytes(programs + "Tarvo\\Tarvo Developpement.url", "u");
    for (const std::string& menu : {programs, programs + "Tarvo\\", programs + "Tarvo\\\\", programs + "Tarvo\\x\\..\\"}) {
        SCOPED_TRACE(menu);
        record("[Langue]\r\nFR\r\n[Menu]\r\n" + menu);
        EXPECT_TRUE(run_uninstall(false));
        EXPECT_TRUE(exists(programs + "Other program.lnk"));
        EXPECT_TRUE(exists(programs + "Tarvo\\Tarvo Developpement.url"));
    }
}

TEST_F(Runs, LinesBeforeAnyHeaderAndUnknownHeadersAreIgnored) {
    // Without headers nothing is acted on, but the record still goes.
    record(install + "App.exe\r\n" + install + "data.cfg");
    EXPECT_TRUE(run_uninstall(false));
    EXPECT_TRUE(exists(install + "App.exe"));
    EXPECT_FALSE(exists(install + "Uninstall.dat"));
    // "[fichiers]" and "[Other]" are entries of the current section; a lone
    // CR ends the last line.
    record("[Langue]\rFR\r[Autre]\r[fichiers]\r[Other]\r" + install + "data.cfg\r");
    EXPECT_TRUE(run_uninstall(false));
    EXPECT_FALSE(exists(install + "data.cfg"));
    EXPECT_TRUE(exists(install + "App.exe"));
}

TEST_F(Runs, AnUnreadableRecordRemovesNothing) {
    record("[Fichiers]\r\n" + install + "App.exe\r\n");
    HANDLE held = CreateFileA((install + "Uninstall.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(run_uninstall(false));
    CloseHandle(held);
    EXPECT_TRUE(exists(install + "App.exe"));
    EXPECT_TRUE(exists(install + "Uninstall.dat"));
}

}  // namespace
