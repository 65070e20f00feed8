// Starting programs and reading parameters, with a real helper program
// (parameter_writer.exe, built beside this test) under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "runtime/runtime.h"
#include "runtime/version_code.h"
#include "tests/support/scratch.h"
#include "tests/unit/ui_fixture.h"

namespace {

std::string own_folder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string file(path, length);
    return file.substr(0, file.rfind('\\') + 1);
}

// What parameter_writer wrote: its folder, its parameters, "END" + the call after "".
std::string written(const std::string& folder, const std::vector<std::string>& parameters) {
    std::string text = folder + "\r\n";
    for (const std::string& p : parameters) text += p + "\r\n";
    return text + "END\r\n";
}

class Programs : public ::testing::Test {
protected:
    void SetUp() override { init_runtime(); }
    void TearDown() override { release_runtime(); }

    std::string writer = own_folder() + "parameter_writer.exe";
    ScratchFolder dir;
};

TEST_F(Programs, RunWaitReturnsOnlyAfterTheProgramEnded) {
    std::string output = dir / "waited.txt";
    intptr_t process = run_program(writer, "\"" + output + "\" 400", "", RUN_WAIT);
    ASSERT_NE(process, 0);
    EXPECT_TRUE(exists(output));
    EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(process), 0), WAIT_OBJECT_0);
}

// While it waits, the caller's window answers what other threads (and the
// system) send it, and a close request or a click that was waiting raises
// nothing; the call still returns only once the program has ended.
TEST_F(Programs, RunWaitKeepsTheWindowsAnswering) {
    HWND window = reinterpret_cast<HWND>(open_window(0, 0, 0, 200, 100, 0, "Waiting"));
    ASSERT_NE(window, nullptr);
    ASSERT_NE(set_gadget_parent(window), 0);
    HWND button = reinterpret_cast<HWND>(create_button(1, 10, 10, 80, 24, "One"));
    drain_events();
    PostMessageA(window, WM_CLOSE, 0, 0);
    PostMessageA(button, BM_CLICK, 0, 0);
    std::atomic<int> tries{0}, answered{0};
    std::atomic<bool> waiting{true}, probed{false};
    std::thread probe([&] {
        DWORD_PTR ignored;
        while (waiting) {
            ++tries;
            if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored)) ++answered;
            Sleep(100);
        }
        probed = true;
    });
    std::string output = dir / "slow.txt";
    intptr_t process = run_program(writer, "\"" + output + "\" 1500", "", RUN_WAIT);
    bool ended = process && WaitForSingleObject(reinterpret_cast<HANDLE>(process), 0) == WAIT_OBJECT_0;
    waiting = false;
    // A try under way when the wait ended is answered here.
    MSG msg;
    while (!probed) {
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        Sleep(1);
    }
    probe.join();
    EXPECT_TRUE(ended);
    EXPECT_TRUE(exists(output));
    EXPECT_GE(tries, 5);
    EXPECT_EQ(answered, tries.load());
    EXPECT_EQ(drain_events(), std::vector<Delivered>{});
}

TEST_F(Programs, WithoutWaitTheCallReturnsAtOnce) {
    std::string output = dir / "later.txt";
    intptr_t process = run_program(writer, "\"" + output + "\" 1000", "", RUN_HIDDEN);
    ASSERT_NE(process, 0);
    EXPECT_FALSE(exists(output));
    EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(process), 20000), WAIT_OBJECT_0);
    EXPECT_TRUE(exists(output));
}

// The parameters are split by next_program_parameter inside the helper: a
// quoted one comes whole without its quotes, and after the last one every
// call gives "".  The working folder is the caller's, else the program's own.
TEST_F(Programs, ParametersAndWorkingFolder) {
    std::string output = dir / "parameters.txt";
    std::string parameters = "\"" + output + "\" 0 \"Program files\\Mon programme\" Update";
    ASSERT_NE(run_program(writer, parameters, dir.path(), RUN_WAIT), 0);
    std::string folder = dir.path().substr(0, dir.path().size() - 1);
    EXPECT_EQ(read_bytes(output),
              written(folder, {output, "0", "Program files\\Mon programme", "Update"}));

    ASSERT_NE(run_program(writer, "\"" + output + "\" 0", "", RUN_WAIT), 0);
    std::string exe_folder = own_folder().substr(0, own_folder().size() - 1);
    EXPECT_EQ(read_bytes(output), written(exe_folder, {output, "0"}));
}

TEST_F(Programs, BareNameStartsFromTheCurrentFolder) {
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(own_folder().c_str());
    std::string output = dir / "bare.txt";
    intptr_t process = run_program("parameter_writer.exe", "\"" + output + "\" 0", "", RUN_WAIT);
    SetCurrentDirectoryA(previous);
    ASSERT_NE(process, 0);
    EXPECT_TRUE(exists(output));
}

TEST_F(Programs, MissingProgramsFail) {
    EXPECT_EQ(run_program("", "", "", RUN_WAIT), 0);
    EXPECT_EQ(run_program(dir / "absent.exe", "", "", RUN_WAIT), 0);
}

// The log a bare /LOG asks for: in the temporary folder, named after the
// program (a character no file name has made "_") and the time.
TEST(RunLog, TheTemporaryLogIsNamedAfterTheProgramAndTheTime) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    auto expected = [&](const SYSTEMTIME& t) {
        char path[MAX_PATH + 64];
        std::snprintf(path, sizeof path, "%sSetup Car_net %04u-%02u-%02u %02u-%02u-%02u.log", temp, t.wYear, t.wMonth,
                      t.wDay, t.wHour, t.wMinute, t.wSecond);
        return std::string(path);
    };
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    std::string path = temporary_log_path("Setup Car:net");
    GetLocalTime(&after);
    EXPECT_TRUE(path == expected(before) || path == expected(after)) << path;
}

// The codes of each version are tested on the host; here the system's own
// numbers are handed to that mapping.  Wine reports Windows 7 or 10 by
// default, neither of them a version of the list.
TEST(System, WindowsVersionMapsTheSystemsNumbers) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(windows_version(),
              windows_version_code(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion));
    EXPECT_GE(version.dwMajorVersion, 6u);
    EXPECT_EQ(windows_version(), 100);
}

}  // namespace
