// Setup and Uninstall keep answering the system during their long runs: a
// probe in this process sends WM_NULL to the program's visible window every
// 100 ms, each try given one second, as Windows does before it takes a
// window for hung.  The runs leave exactly what they leave unprobed, and the
// user can start nothing while they work.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>

#include "driver/kit.h"
#include "runtime/path_text.h"
#include "uninstaller/uninstall.h"

namespace {

constexpr DWORD LIMIT = 30000;
constexpr DWORD RUN_LIMIT = 120000;
constexpr DWORD PROBE_PERIOD_MS = 100;
constexpr int FOLDERS = 200;
constexpr int FILES_PER_FOLDER = 50;  // 10,000 files
const char* const UNINSTALL_TITLE = "D\xE9sinstallation";
const char* const CLOSING_NOTE = "Terminer la d\xE9sinstallation.txt";
const char* const LICENCE_TITLE = "Concepteur et licence";

// Sends WM_NULL every PROBE_PERIOD_MS to the shown window of that title of a
// process, until stopped or until `over` holds before a try.  A try fails
// when the window, still there, gave no answer within a second; while no
// such window shows (between the wizard and the result window) nothing is
// tried.
class Probe {
public:
    Probe(DWORD process_id, const std::string& title, std::function<bool()> over = [] { return false; })
        : process_id_(process_id), title_(title), over_(std::move(over)), thread_([this] { run(); }) {}
    ~Probe() { stop(); }

    void stop() {
        stopped_ = true;
        if (thread_.joinable()) thread_.join();
    }
    int tries() const { return tries_; }
    int failures() const { return failures_; }
    DWORD longest_ms() const { return longest_ms_; }

private:
    void run() {
        while (!stopped_ && !over_()) {
            HWND window = find_window(process_id_, title_, "");
            if (window && IsWindowVisible(window)) {
                DWORD start = GetTickCount();
                bool answered = window_answers(window, 1000);
                DWORD spent = GetTickCount() - start;
                if (answered || IsWindow(window)) {
                    ++tries_;
                    if (!answered) ++failures_;
                    longest_ms_ = std::max<DWORD>(longest_ms_, spent);
                }
            }
            Sleep(PROBE_PERIOD_MS);
        }
    }

    DWORD process_id_;
    std::string title_;
    std::function<bool()> over_;
    std::atomic<bool> stopped_{false};
    std::atomic<int> tries_{0}, failures_{0};
    std::atomic<DWORD> longest_ms_{0};
    std::thread thread_;
};

// Every try answered, and enough of them that the probe saw the run.
void expect_answered(const Probe& probe, int at_least, const char* run, Where where = Where::current()) {
    SCOPED_TRACE(::testing::Message() << "called from line " << where.line());
    std::printf("%s: %d tries, %d unanswered, longest answer %lu ms\n", run, probe.tries(), probe.failures(),
                static_cast<unsigned long>(probe.longest_ms()));
    EXPECT_GE(probe.tries(), at_least) << run;
    EXPECT_EQ(probe.failures(), 0) << run;
}

// An installation's scratch folder, the marker log of the programs it
// starts, and the traces it leaves in the user's shell folders.  Programs
// still held when a test ends are let go.
class Responsive : public ::testing::Test {
protected:
    void SetUp() override {
        set_marker_log(markers);
        ini.run_after = "";
    }
    void TearDown() override {
        set_marker_log("");
        set_marker_hold("");
        write_bytes(release, "");
        close_folder_windows();
        remove_shell_traces(ini.name, {});
    }

    // "Terminer", Setup's end and its Start-menu folder window closed.
    void finish(Program& setup, HWND result) { EXPECT_TRUE(finish_setup(setup, result, ini, LIMIT)); }

    ScratchFolder scratch;
    std::string dir = scratch / "Installed\\";
    std::string markers = scratch / "markers.txt";
    std::string release = scratch / "release";  // lets held programs go
    SetupIni ini;
};

// The generated part of the distribution: FOLDERS folders of files that
// hold their own names, so that a file copied under another's name shows,
// and last, in any order of names, a folder of empty folders.
constexpr int EMPTY_FOLDERS = 200;
const char* const LAST_FILE_FOLDER = "d199";

struct GeneratedFile {
    std::string path;  // relative to the distribution
    std::string bytes;
};

std::vector<GeneratedFile> generate_files(const Distribution& dist) {
    std::vector<GeneratedFile> files;
    char path[32];
    for (int folder = 0; folder < FOLDERS; ++folder) {
        std::snprintf(path, sizeof path, "d%03d", folder);
        make_folder(dist.path(path));
    }
    for (int i = 0; i < FOLDERS * FILES_PER_FOLDER; ++i) {
        std::snprintf(path, sizeof path, "d%03d\\f%05d.txt", i / FILES_PER_FOLDER, i);
        files.push_back({path, std::string(path) + std::string(i % 7, '.')});
        dist.write(files.back().path, files.back().bytes);
    }
    make_folder(dist.path("zz"));
    for (int folder = 0; folder < EMPTY_FOLDERS; ++folder) {
        std::snprintf(path, sizeof path, "zz\\e%03d", folder);
        make_folder(dist.path(path));
    }
    return files;
}

std::string size_text(long long total) {
    char text[64];
    // The quotient is a single-precision number, as the result page has it.
    float quotient = static_cast<float>(total >= 1000000 ? total / 1048576.0 : total / 1024.0);
    std::snprintf(text, sizeof text, total >= 1000000 ? "%.2f Mo" : "%.1f Ko", static_cast<double>(quotient));
    return text;
}

std::vector<std::string> paths_and_sizes(const std::vector<TreeEntry>& tree) {
    std::vector<std::string> lines;
    for (const TreeEntry& entry : tree) lines.push_back(entry.path + " " + std::to_string(entry.size));
    return lines;
}

TEST_F(Responsive, TenThousandFilesInstalledAndRemovedWhileTheWindowsAnswer) {
    ini.name = "KitResponsive";
    Distribution dist(ini);
    dist.write("Uninstall.dat", "[Langue]\r\n--\r\n[Fichiers]\r\n");
    std::vector<GeneratedFile> files = generate_files(dist);

    // What is installed: the distribution less Setup.exe, the record's
    // template, as it was before the run, counted in the size.
    std::vector<TreeEntry> expected_tree;
    std::vector<std::string> expected_files;
    long long total = 0;
    for (const TreeEntry& entry : list_tree(dist.path())) {
        if (entry.path == "Setup.exe") continue;
        expected_tree.push_back(entry);
        if (entry.is_folder()) continue;
        expected_files.push_back("   >   " + entry.path);
        total += entry.size;
    }
    ASSERT_EQ(expected_files.size(), files.size() + 3);  // Uninstall.exe, Uninstall.dat, setup.ini

    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    Probe installing(setup.id(), ini.title());
    press_install(wizard, dir);
    HWND result = wait_installed(setup, ini, dir, RUN_LIMIT);
    installing.stop();
    ASSERT_NE(result, nullptr);
    expect_answered(installing, 20, "installation");

    // The log: the heading, one line per file in the order of the copy,
    // the size and the result.
    std::vector<std::string> log = list_lines(result, LOG_LIST);
    ASSERT_EQ(log.size(), 4 + expected_files.size() + 4);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 4),
              (std::vector<std::string>{"R\xE9pertoire d'installation :", dir, "",
                                        "Fichiers install\xE9s sur l'ordinateur :"}));
    std::vector<std::string> copied(log.begin() + 4, log.end() - 4);
    std::vector<std::string> sorted = copied;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_TRUE(sorted == expected_files) << "the log's file lines differ from the distribution";
    EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
              (std::vector<std::string>{"", "Espace occup\xE9 sur le disque dur : " + size_text(total), "",
                                        "Installation r\xE9ussie."}));

    // The record: the template with its language, every file in the order
    // of the copy, the update-information file, the uninstaller's shortcut.
    std::string menu = start_menu_folder(ini.name);
    std::string record = "[Langue]\r\nFR\r\n[Fichiers]\r\n";
    for (const std::string& line : copied) record += dir + line.substr(7) + "\r\n";
    record += menu + "Mise \xE0 jour.Txt\r\n" + menu + "D\xE9sinstallation.lnk\r\n[Menu]\r\n" + menu;
    EXPECT_TRUE(read_bytes(dir + "Uninstall.dat") == record) << "the record differs";

    // The installed tree, and every generated file with its own bytes.
    for (TreeEntry& entry : expected_tree)
        if (entry.path == "Uninstall.dat") entry.size = static_cast<long long>(record.size());
    EXPECT_TRUE(paths_and_sizes(list_tree(dir)) == paths_and_sizes(expected_tree)) << "the installed tree differs";
    std::vector<std::string> wrong;
    for (const GeneratedFile& file : files)
        if (read_bytes(dir + file.path) != file.bytes) wrong.push_back(file.path);
    for (const char* kit_file : {"Uninstall.exe", "setup.ini"})
        if (read_bytes(dir + kit_file) != read_bytes(dist.path(kit_file))) wrong.push_back(kit_file);
    EXPECT_EQ(wrong, std::vector<std::string>{});
    finish(setup, result);

    // The uninstallation, probed until the last folder of files is gone:
    // the clean-up of the empty folders that follows answers the last try.
    // Then the uninstaller shows the folder and pauses before its message.
    Program uninstaller = start_program(dir + "Uninstall.exe", dir, "");
    HWND window = wait_window(uninstaller, UNINSTALL_TITLE, "", LIMIT);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(wait_control(window, CANCEL_BUTTON, LIMIT), nullptr);
    std::string last_folder = dir + LAST_FILE_FOLDER;
    Probe removing(uninstaller.id(), UNINSTALL_TITLE, [&] { return !exists(last_folder); });
    EXPECT_TRUE(post_click(window, UNINSTALL_BUTTON));
    MessageBoxSeen closing = answer_message_box(uninstaller, RUN_LIMIT);
    removing.stop();
    EXPECT_EQ(closing.title, UNINSTALL_TITLE);
    EXPECT_GE(wait_program_end(uninstaller, LIMIT), 0);
    expect_answered(removing, 5, "uninstallation");

    // What stays: the uninstaller, which was running, and its note.
    std::vector<std::string> left;
    for (const TreeEntry& entry : list_tree(dir)) left.push_back(entry.path);
    EXPECT_EQ(left, (std::vector<std::string>{CLOSING_NOTE, "Uninstall.exe"}));
    EXPECT_FALSE(exists(menu));
}

// The programs the runs start and wait for (an install-time program, a
// "[Lancer]" entry) are held until the test lets them go: meanwhile the
// windows answer, the runs go no further, and a click on the result
// window's banner, which would open the licence window, starts nothing.
TEST_F(Responsive, WaitsForStartedProgramsAnswerAndStartNothing) {
    ini.name = "KitResponsiveWait";
    ini.install_program = "prep.exe";
    Distribution dist(ini);
    dist.copy_program("marker.exe", "prep.exe");
    dist.copy_program("marker.exe", "hold.exe");
    dist.write("App.exe", "app");
    dist.write("Uninstall.dat", "[Langue]\r\n--\r\n[Lancer]\r\n" + dir + "hold.exe\r\n[Fichiers]\r\n");
    set_marker_hold(release);

    auto [setup, wizard] = dist.start_wizard();
    ASSERT_NE(wizard, nullptr);
    press_install(wizard, dir);
    ASSERT_TRUE(wait_until([] { return process_named_running("prep.exe"); }, LIMIT));
    HWND result = find_window(setup.id(), ini.title(), "");
    ASSERT_NE(result, nullptr);
    {
        Probe waiting(setup.id(), ini.title());
        EXPECT_TRUE(post_click(result, RESULT_BANNER));
        Sleep(2000);
        waiting.stop();
        expect_answered(waiting, 10, "install-time program");
    }
    EXPECT_FALSE(exists(dir + "App.exe"));  // the copy waits for the program
    EXPECT_TRUE(process_named_running("prep.exe"));
    write_bytes(release, "");
    result = wait_installed(setup, ini, dir, LIMIT);
    ASSERT_NE(result, nullptr);
    // The banner opens the licence window now, once: the click taken during
    // the wait left nothing behind that would open a second one.
    EXPECT_TRUE(licence_window_answers(setup, result, RESULT_BANNER));
    EXPECT_FALSE(wait_until([&] { return find_window(setup.id(), LICENCE_TITLE, "") != nullptr; }, 1500));
    finish(setup, result);
    ASSERT_TRUE(DeleteFileA(release.c_str()));

    Program uninstaller = start_program(dir + "Uninstall.exe", dir, "");
    HWND window = wait_window(uninstaller, UNINSTALL_TITLE, "", LIMIT);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(wait_control(window, CANCEL_BUTTON, LIMIT), nullptr);
    EXPECT_TRUE(post_click(window, UNINSTALL_BUTTON));
    ASSERT_TRUE(wait_until([] { return process_named_running("hold.exe"); }, LIMIT));
    {
        Probe waiting(uninstaller.id(), UNINSTALL_TITLE);
        Sleep(2000);
        waiting.stop();
        expect_answered(waiting, 10, "\"[Lancer]\" program");
    }
    EXPECT_TRUE(exists(dir + "App.exe"));  // the files after "[Lancer]" wait for it
    write_bytes(release, "");
    MessageBoxSeen closing = answer_message_box(uninstaller, LIMIT);
    EXPECT_EQ(closing.title, UNINSTALL_TITLE);
    EXPECT_GE(wait_program_end(uninstaller, LIMIT), 0);
    EXPECT_FALSE(exists(dir + "App.exe"));
    std::vector<std::string> ran = read_lines(markers);
    ASSERT_EQ(ran.size(), 2u);
    EXPECT_EQ(ran[0].substr(0, 16), "prep.exe||shown|");
    EXPECT_EQ(ran[1].substr(0, 17), "hold.exe||hidden|");
}

}  // namespace
