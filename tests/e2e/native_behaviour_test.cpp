// What Windows asks of a program beyond its own windows: no code planted
// beside the programs runs, message boxes stay with the window the program
// works in, and installed copies lose the download mark of their source.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cctype>

#include "driver/kit.h"
#include "uninstaller/uninstall.h"

namespace {

constexpr DWORD LIMIT = 30000;

bool any_line_starts_with(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

// Asks the running program, from a thread of its own, to load the library
// `name` by its bare name, as any code of the program might.  Returns the
// low half of the library's handle (0: not loaded), or -1 when the thread
// could not be run.  The library stays loaded: the program is ended next.
long long load_in_program(const Program& program, const std::string& name) {
    HANDLE process = program.process();
    void* remote = VirtualAllocEx(process, nullptr, name.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return -1;
    long long loaded = -1;
    if (WriteProcessMemory(process, remote, name.c_str(), name.size() + 1, nullptr)) {
        // The system libraries sit at the same address in every process.
        auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
        HANDLE thread = CreateRemoteThread(process, nullptr, 0, load, remote, 0, nullptr);
        if (thread) {
            DWORD code = 0;
            if (WaitForSingleObject(thread, LIMIT) == WAIT_OBJECT_0 && GetExitCodeThread(thread, &code)) loaded = code;
            CloseHandle(thread);
        }
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return loaded;
}

// Test programs and the programs they start note themselves in one file.
class NativeBehaviour : public ::testing::Test {
protected:
    void SetUp() override { set_marker_log(markers); }
    void TearDown() override {
        set_marker_log("");
        set_marker_hold("");
        close_folder_windows();
        remove_shell_traces(ini.name, {ini.name});
    }

    // "Installer" into the target, without the program to run afterwards.
    void install_without_run_after(HWND wizard) {
        click_tab(wizard, PAGES, OPTIONS_PAGE);
        if (check_state(wizard, RUN_AFTER_BOX) == BST_CHECKED) click_control(wizard, RUN_AFTER_BOX);
        press_install(wizard, target);
    }

    // "Terminer", Setup's end and its Start-menu folder window closed.
    void finish(Program& setup, HWND result) { EXPECT_TRUE(finish_setup(setup, result, ini, LIMIT)); }

    ScratchFolder scratch;
    std::string target = scratch / "Installed";
    std::string markers = scratch / "markers.txt";
    SetupIni ini;
};

// A program named "explorer.exe" beside Setup (in the distribution, which
// is its current folder), then installed with the rest, and one beside the
// uninstaller: Setup opens the Start-menu folder and, on "Ouvrir le
// dossier", the install folder, the uninstaller opens its folder at the
// end; each time the system's Explorer opens them, never the planted one.
TEST_F(NativeBehaviour, AProgramNamedLikeExplorerBesideTheProgramsNeverRuns) {
    ini.name = "KitPlantedExplorer";
    Distribution dist(ini);
    dist.copy_program("marker.exe", "App.exe");
    dist.copy_program("marker.exe", "explorer.exe");
    dist.write("Uninstall.dat", "[Langue]\r\n--\r\n[Fichiers]\r\n");
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    install_without_run_after(wizard);
    HWND result = wait_installed(setup, ini, target, LIMIT);
    ASSERT_NE(result, nullptr);
    ASSERT_TRUE(exists(target + "\\explorer.exe"));
    EXPECT_TRUE(click_control(result, OPEN_FOLDER_BUTTON));
    EXPECT_TRUE(close_folder_window("Installed", LIMIT));
    finish(setup, result);

    std::string dir = scratch / "Other\\";
    make_folder(dir);
    ASSERT_TRUE(CopyFileA((program_folder() + "Uninstall.exe").c_str(), (dir + "Uninstall.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((program_folder() + "marker.exe").c_str(), (dir + "explorer.exe").c_str(), FALSE));
    write_bytes(dir + "installed.txt", "x");
    write_bytes(dir + "Uninstall.dat", "[Langue]\r\nFR\r\n[Fichiers]\r\n" + dir + "installed.txt\r\n");
    Program uninstaller = start_program(dir + "Uninstall.exe", dir, "");
    HWND window = wait_window(uninstaller, "D\xE9sinstallation", "", LIMIT);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(wait_control(window, UNINSTALL_BUTTON, LIMIT), nullptr);
    EXPECT_TRUE(click_control(window, UNINSTALL_BUTTON));
    EXPECT_NE(wait_message_box(uninstaller, LIMIT).box, nullptr);  // the closing note, after the folder window
    EXPECT_TRUE(close_folder_window("Other", LIMIT));
    answer_message_box(uninstaller, LIMIT);
    EXPECT_GE(wait_program_end(uninstaller, LIMIT), 0);
    EXPECT_FALSE(exists(dir + "installed.txt"));  // the run did happen

    EXPECT_FALSE(any_line_starts_with(read_lines(markers), "explorer.exe|"));
}

// A library planted in each program's folder is not loaded when asked for
// by its bare name: libraries come from the system folder only.  A plain
// program in the same folder, without that setting, does load it, so the
// plant would work.
TEST_F(NativeBehaviour, LibrariesComeFromTheSystemFolderOnlyInEachProgram) {
    ini.name = "KitPlantedLibrary";
    Distribution dist(ini);
    dist.copy_program("marker.exe", "App.exe");
    dist.copy_program("planted.dll", "kit_planted.dll");
    dist.copy_program("plain_window.exe", "plain_window.exe");
    dist.write("Uninstall.dat", "[Langue]\r\nFR\r\n[Fichiers]\r\n");

    Program plain = start_program(dist.path("plain_window.exe"), dist.path(), "");
    ASSERT_NE(wait_window(plain, "Plain window", "", LIMIT), nullptr);
    EXPECT_GT(load_in_program(plain, "kit_planted.dll"), 0);
    kill_program(plain);
    ASSERT_TRUE(any_line_starts_with(read_lines(markers), "planted|plain_window.exe"));

    std::string splash_folder = scratch / "Splash\\";
    make_folder(splash_folder);
    ASSERT_TRUE(CopyFileA((program_folder() + "Tarvo.exe").c_str(), (splash_folder + "Tarvo.exe").c_str(), FALSE));
    ASSERT_TRUE(
        CopyFileA((program_folder() + "planted.dll").c_str(), (splash_folder + "kit_planted.dll").c_str(), FALSE));
    Program splash = start_program(splash_folder + "Tarvo.exe", splash_folder, "");
    ASSERT_NE(wait_any_window(splash, "Maelwick", "", LIMIT), nullptr);
    EXPECT_EQ(load_in_program(splash, "kit_planted.dll"), 0);
    kill_program(splash);

    Program uninstaller = start_program(dist.path("Uninstall.exe"), dist.path(), "");
    HWND window = wait_window(uninstaller, "D\xE9sinstallation", "", LIMIT);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(load_in_program(uninstaller, "kit_planted.dll"), 0);
    kill_program(uninstaller);

    Program setup = dist.start_setup();
    HWND wizard = nullptr;
    ASSERT_TRUE(wait_until([&] { return (wizard = find_window(setup.id(), ini.title(), "")) != nullptr; }, LIMIT));
    EXPECT_EQ(load_in_program(setup, "kit_planted.dll"), 0);
    kill_program(setup);

    std::vector<std::string> lines = read_lines(markers);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.rfind("planted|", 0) == 0; }),
              1);
}

bool test_runs_elevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    bool elevated = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
                    elevation.TokenIsElevated;
    CloseHandle(token);
    return elevated;
}

// The file name of the process that started the running process `id`.
std::string parent_program(DWORD id) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return "";
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == id) parent = entry.th32ParentProcessID;
    std::string name;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more && parent; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == parent) name = entry.szExeFile;
    CloseHandle(snapshot);
    return name;
}

// Setup run elevated (as the tests run) has the program to run afterwards
// started by the desktop's Explorer, with the signed-in user's rights, in
// the install folder; run with the user's own rights, it starts it itself.
TEST_F(NativeBehaviour, TheProgramRunAfterwardsIsStartedWithTheUsersRights) {
    ini.name = "KitRunAfter";
    ini.run_after = "plain_window.exe";
    ini.shortcut1_target = "plain_window.exe";
    Distribution dist(ini);
    dist.copy_program("plain_window.exe", "plain_window.exe");
    dist.write("Uninstall.dat", "[Langue]\r\n--\r\n[Fichiers]\r\n");
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    press_install(wizard, target);
    HWND result = wait_installed(setup, ini, target, LIMIT);
    ASSERT_NE(result, nullptr);
    finish(setup, result);
    Program started = attach_program("plain_window.exe", LIMIT);
    ASSERT_TRUE(started.started());
    std::string parent = parent_program(started.id());
    for (char& c : parent) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(parent, test_runs_elevated() ? "explorer.exe" : "setup.exe");
    kill_program(started);
}

// The window a program's thread has active, as the system keeps it.
HWND active_window_of(HWND any_window_of_the_thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(any_window_of_the_thread, nullptr), &info)) return nullptr;
    return info.hwndActive;
}

// Whether `upper` lies above `lower` in the z-order of top-level windows.
bool is_above(HWND upper, HWND lower) {
    for (HWND w = GetWindow(upper, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
        if (w == lower) return true;
    return false;
}

// A file that cannot be copied while another program is in front: the box
// is owned by the always-on-top result window, lies above it, and gives the
// activation back to it when answered.  The install-time program holds the
// run until the other program is in front.
TEST_F(NativeBehaviour, ACopyFailureBoxIsOwnedByTheResultWindowWhileAnotherProgramIsInFront) {
    ini.name = "KitOwnedBox";
    ini.install_program = "prep.exe";
    Distribution dist(ini);
    dist.copy_program("marker.exe", "App.exe");
    dist.copy_program("marker.exe", "prep.exe");
    dist.write("data.txt", "new data");
    dist.write("Uninstall.dat", "[Langue]\r\n--\r\n[Fichiers]\r\n");
    make_folder(target);
    write_bytes(target + "\\data.txt", "old data");
    set_read_only(target + "\\data.txt", true);
    std::string hold = scratch / "hold";
    set_marker_hold(hold);

    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    install_without_run_after(wizard);
    Program prep = attach_program("prep.exe", LIMIT);
    ASSERT_TRUE(prep.started());
    HWND result = find_window(setup.id(), ini.title(), "");
    ASSERT_NE(result, nullptr);
    EXPECT_TRUE(GetWindowLongA(result, GWL_EXSTYLE) & WS_EX_TOPMOST);

    Program other = start_program(program_folder() + "plain_window.exe", scratch.path(), "");
    HWND other_window = wait_window(other, "Plain window", "", LIMIT);
    ASSERT_NE(other_window, nullptr);
    SetForegroundWindow(other_window);
    ASSERT_TRUE(wait_until([&] { return GetForegroundWindow() == other_window; }, LIMIT));

    write_bytes(hold, "");
    MessageBoxSeen seen = wait_message_box(setup, LIMIT);
    ASSERT_NE(seen.box, nullptr);
    EXPECT_EQ(seen.text.find("Le fichier 'data.txt' n'a pas pu"), 0u);
    EXPECT_EQ(GetWindow(seen.box, GW_OWNER), result);
    EXPECT_TRUE(is_above(seen.box, result));
    EXPECT_TRUE(is_above(seen.box, other_window));
    answer_message_box(setup, LIMIT);
    EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(result) && active_window_of(result) == result; }, LIMIT));

    ASSERT_EQ(wait_installed(setup, ini, target, LIMIT), result);
    kill_program(other);
    finish(setup, result);
    set_read_only(target + "\\data.txt", false);
}

// Where the file system keeps named streams, a file of a downloaded folder
// carries the download mark as its stream ":Zone.Identifier", which a copy
// takes along.  Whether it does is found on a file of the scratch folder: a
// stream is no entry of the folder's listing.
bool named_streams_kept(const std::string& folder) {
    write_bytes(folder + "probe.txt", "p");
    write_bytes(folder + "probe.txt:probe", "s");
    int entries = 0;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((folder + "probe*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE) {
        do ++entries;
        while (FindNextFileA(h, &data));
        FindClose(h);
    }
    DeleteFileA((folder + "probe.txt:probe").c_str());
    DeleteFileA((folder + "probe.txt").c_str());
    return entries == 1;
}

FILETIME write_time(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

// Installed copies lose the mark and keep their bytes, attributes and write
// time; the distribution keeps its marks.  Without named streams (Wine
// keeps a "stream" as a file of its own name) the mark cannot travel with
// a copy: a mark of that name is put beside where the copy will land, and
// the installer must remove it by that very name.
TEST_F(NativeBehaviour, InstalledCopiesLoseTheDownloadMarkAndNothingElse) {
    const std::string MARK = "[ZoneTransfer]\r\nZoneId=3\r\n";
    ini.name = "KitDownloadMark";
    Distribution dist(ini);
    dist.copy_program("marker.exe", "App.exe");
    dist.write("aide.txt", "aide");
    dist.write("lu.txt", "lecture seule");
    dist.write("Uninstall.dat", "[Langue]\r\n--\r\n[Fichiers]\r\n");
    set_read_only(dist.path("lu.txt"), true);
    const bool streams = named_streams_kept(scratch.path());
    if (streams) {
        for (const char* name : {"App.exe", "aide.txt", "lu.txt"}) write_bytes(dist.path(name) + ":Zone.Identifier", MARK);
    } else {
        std::printf("[ NOTE     ] this file system keeps no named streams: the mark is checked by its name\n");
        make_folder(target);
        for (const char* name : {"App.exe", "aide.txt"}) write_bytes(target + "\\" + name + ":Zone.Identifier", MARK);
    }
    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    install_without_run_after(wizard);
    HWND result = wait_installed(setup, ini, target, LIMIT);
    ASSERT_NE(result, nullptr);
    for (const char* name : {"App.exe", "aide.txt", "lu.txt"}) {
        SCOPED_TRACE(name);
        std::string installed = target + "\\" + name;
        EXPECT_FALSE(exists(installed + ":Zone.Identifier"));
        EXPECT_EQ(read_bytes(installed), read_bytes(dist.path(name)));
        EXPECT_EQ(GetFileAttributesA(installed.c_str()), GetFileAttributesA(dist.path(name).c_str()));
        FILETIME copied = write_time(installed), source = write_time(dist.path(name));
        EXPECT_EQ(CompareFileTime(&copied, &source), 0);
        if (streams) {
            EXPECT_EQ(read_bytes(dist.path(name) + ":Zone.Identifier"), MARK);
        }
    }
    finish(setup, result);
    set_read_only(target + "\\lu.txt", false);
    set_read_only(dist.path("lu.txt"), false);
}

}  // namespace
