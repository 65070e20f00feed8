// The end-to-end driver, proved against driver_target.exe: every action is
// checked through what the target shows in its status text or states.
#include "driver/driver.h"
#include "driver/scratch.h"

#include <shlobj.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

// The ids driver_target.cpp gives its controls.
const int ID_MESSAGE = 101;
const int ID_CHECK = 102;
const int ID_EDIT = 103;
const int ID_LIST = 104;
const int ID_COMBO = 105;
const int ID_PANEL = 106;
const int ID_QUIT = 107;
const int ID_STATUS = 108;
const int ID_DISABLED = 109;
const int ID_DEEP_ONE = 201;
const int ID_DEEP_TWO = 202;
const int ID_ABSENT = 999;  // no control of the target has it

const char* const TITLE = "Driver target";
const char* const CLASS = "DriverTargetWindow";
const DWORD START_LIMIT_MS = 10000;  // a first start in a fresh prefix is slow
const DWORD LIMIT_MS = 5000;

std::string target_path() { return program_folder() + "driver_target.exe"; }

std::string status(HWND window, Where where = Where::current()) {
    return control_text(window, ID_STATUS, where);
}

bool status_becomes(HWND window, const std::string& expected) {
    return wait_until([&] { return status(window) == expected; }, LIMIT_MS);
}

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        target = start_program(target_path(), scratch.path(), "");
        ASSERT_TRUE(target.started());
        window = wait_window(target, TITLE, CLASS, START_LIMIT_MS);
        ASSERT_TRUE(window);
    }

    ScratchFolder scratch;  // declared first: goes after the program has been ended
    Program target;
    HWND window = nullptr;
};

TEST(DriverProcess, StartsInItsFolderWithItsParameters) {
    ScratchFolder scratch;
    Program target = start_program(target_path(), scratch.path(), "one \"two three\" hidden");
    ASSERT_TRUE(target.started());
    std::string folder = scratch.path().substr(0, scratch.path().size() - 1);
    std::string expected = "one \"two three\" hidden\r\n" + folder;
    wait_until([&] { return read_bytes(scratch / "started.txt") == expected; }, START_LIMIT_MS);
    EXPECT_EQ(read_bytes(scratch / "started.txt"), expected);

    HWND hidden = wait_any_window(target, TITLE, CLASS, START_LIMIT_MS);
    ASSERT_TRUE(hidden);
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_NONFATAL_FAILURE(wait_window(target, TITLE, CLASS, 100), "no shown window");
    EXPECT_TRUE(wait_control(hidden, ID_DEEP_TWO, LIMIT_MS));

    Program missing;
    EXPECT_NONFATAL_FAILURE(missing = start_program(scratch / "absent.exe", "", ""), "absent.exe");
    EXPECT_FALSE(missing.started());
}

TEST(DriverProcess, EndsByCloseRequestOrQuitButtonWithTheirExitCodes) {
    ScratchFolder scratch;
    Program closed = start_program(target_path(), scratch.path(), "");
    Program quit = start_program(target_path(), scratch.path(), "");
    HWND closed_window = wait_window(closed, TITLE, CLASS, START_LIMIT_MS);
    HWND quit_window = wait_window(quit, TITLE, CLASS, START_LIMIT_MS);
    ASSERT_TRUE(closed_window && quit_window);

    EXPECT_TRUE(request_close(closed_window));
    EXPECT_TRUE(click_control(quit_window, ID_QUIT));
    EXPECT_EQ(wait_program_end(closed, LIMIT_MS), 0);
    EXPECT_EQ(wait_program_end(quit, LIMIT_MS), 3);
    EXPECT_FALSE(program_running(closed));
}

TEST(DriverProcess, ProgramsStillRunningAreKilled) {
    ScratchFolder scratch;
    Program stays = start_program(target_path(), scratch.path(), "");
    ASSERT_TRUE(wait_window(stays, TITLE, CLASS, START_LIMIT_MS));
    long long code = 0;
    DWORD start = GetTickCount();
    EXPECT_NONFATAL_FAILURE(code = wait_program_end(stays, 200), "killed");
    EXPECT_LT(GetTickCount() - start, LIMIT_MS);
    EXPECT_EQ(code, -1);
    EXPECT_FALSE(program_running(stays));

    // The record is the test's guard: leaving its scope ends the program.
    HANDLE watch = nullptr;
    {
        Program left = start_program(target_path(), scratch.path(), "");
        ASSERT_TRUE(wait_window(left, TITLE, CLASS, START_LIMIT_MS));
        DuplicateHandle(GetCurrentProcess(), left.process(), GetCurrentProcess(), &watch,
                        SYNCHRONIZE, FALSE, 0);
        ASSERT_TRUE(watch);
        EXPECT_TRUE(program_running(left));
    }
    EXPECT_EQ(WaitForSingleObject(watch, 0), WAIT_OBJECT_0);
    CloseHandle(watch);
}

TEST(DriverProcess, ARunningProgramIsFoundByItsFileNameAndAnswers) {
    ScratchFolder scratch;
    Program target = start_program(target_path(), scratch.path(), "");
    HWND window = wait_window(target, TITLE, CLASS, START_LIMIT_MS);
    ASSERT_TRUE(window);
    EXPECT_TRUE(process_named_running("driver_target.exe"));
    EXPECT_TRUE(process_named_running("Driver_Target.EXE"));
    EXPECT_FALSE(process_named_running("driver_target"));
    EXPECT_TRUE(window_answers(window));

    EXPECT_TRUE(request_close(window));
    EXPECT_EQ(wait_program_end(target, LIMIT_MS), 0);
    EXPECT_FALSE(process_named_running("driver_target.exe"));
    EXPECT_FALSE(window_answers(window));
}

TEST_F(DriverTest, FindsTopLevelWindowsShownOrNot) {
    EXPECT_GE(top_windows(target.id()).size(), 2u);
    EXPECT_EQ(find_window(target.id(), TITLE, ""), window);
    HWND helper = find_window(target.id(), "", "drivertargethelper");
    ASSERT_TRUE(helper);
    EXPECT_EQ(window_title(helper), "Driver target helper");
    EXPECT_FALSE(IsWindowVisible(helper));
    EXPECT_EQ(find_window(target.id(), TITLE, "DriverTargetHelper"), nullptr);
    EXPECT_EQ(find_window(GetCurrentProcessId(), TITLE, ""), nullptr);

    // A window that never comes is reported with the windows that are there.
    EXPECT_NONFATAL_FAILURE(wait_window(target, "Absent", "", 100), "Driver target helper");
}

TEST_F(DriverTest, FindsControlsAnywhereInTheTree) {
    HWND deep = find_control(window, ID_DEEP_ONE);
    ASSERT_TRUE(deep);
    int depth = 0;
    for (HWND around = GetParent(deep); around && around != window; around = GetParent(around))
        ++depth;
    EXPECT_EQ(depth, 4);  // holder, page, tab control, panel container

    HWND container = find_control(window, ID_PANEL);
    HWND tab = find_control(window, ID_PANEL, "SysTabControl32");
    ASSERT_TRUE(container && tab);
    EXPECT_EQ(window_class(container), "DriverTargetRelay");
    EXPECT_EQ(GetParent(tab), container);

    const std::string absent = "no control " + std::to_string(ID_ABSENT);
    EXPECT_EQ(find_control(window, ID_ABSENT), nullptr);
    EXPECT_NONFATAL_FAILURE(wait_control(window, ID_ABSENT, 50), absent + " within 50 ms");
    EXPECT_NONFATAL_FAILURE(control_text(window, ID_ABSENT), absent);
}

TEST_F(DriverTest, ClicksArriveAndStatesReadBack) {
    EXPECT_EQ(control_text(window, ID_MESSAGE), "Message");
    EXPECT_EQ(check_state(window, ID_CHECK), BST_UNCHECKED);
    EXPECT_TRUE(click_control(window, ID_CHECK));
    EXPECT_EQ(check_state(window, ID_CHECK), BST_CHECKED);
    EXPECT_EQ(status(window), "check 1");
    EXPECT_TRUE(click_control(window, ID_CHECK));
    EXPECT_EQ(check_state(window, ID_CHECK), BST_UNCHECKED);
    EXPECT_EQ(status(window), "check 0");

    EXPECT_TRUE(control_enabled(window, ID_MESSAGE));
    EXPECT_FALSE(control_enabled(window, ID_DISABLED));
    EXPECT_NONFATAL_FAILURE(click_control(window, ID_DISABLED), "disabled");
    EXPECT_EQ(status(window), "check 0");

    EXPECT_TRUE(click_control(window, ID_DEEP_ONE));
    EXPECT_EQ(status(window), "deep one");
}

TEST_F(DriverTest, TypedTextIsNotifiedToTheProgram) {
    const std::string typed = "C:\\Program files\\Élan";
    EXPECT_TRUE(type_text(window, ID_EDIT, typed));
    EXPECT_EQ(control_text(window, ID_EDIT), typed);
    EXPECT_EQ(status(window), "edit " + typed);
}

TEST_F(DriverTest, ListLinesAndSelections) {
    const std::vector<std::string> lines = {"première ligne", "second line",
                                            "long " + std::string(600, '-') + " end"};
    EXPECT_EQ(list_lines(window, ID_LIST), lines);
    EXPECT_EQ(list_selection(window, ID_LIST), -1);
    EXPECT_TRUE(select_list_line(window, ID_LIST, 1));
    EXPECT_EQ(list_selection(window, ID_LIST), 1);
    EXPECT_EQ(status(window), "list 1");

    EXPECT_EQ(combo_selection(window, ID_COMBO), -1);
    EXPECT_TRUE(select_combo_item(window, ID_COMBO, 2));
    EXPECT_EQ(combo_selection(window, ID_COMBO), 2);
    EXPECT_EQ(control_text(window, ID_COMBO), "gamma");
    EXPECT_EQ(status(window), "combo 2");
    EXPECT_NONFATAL_FAILURE(select_combo_item(window, ID_COMBO, 7), "no item 7");
    EXPECT_EQ(combo_selection(window, ID_COMBO), 2);
}

TEST_F(DriverTest, TabClicksSwitchPages) {
    EXPECT_EQ(tab_captions(window, ID_PANEL), (std::vector<std::string>{"Page un", "Page deux"}));
    EXPECT_EQ(selected_tab(window, ID_PANEL), 0);
    EXPECT_TRUE(control_visible(window, ID_DEEP_ONE));
    EXPECT_FALSE(control_visible(window, ID_DEEP_TWO));
    EXPECT_NONFATAL_FAILURE(click_control(window, ID_DEEP_TWO), "not visible");

    EXPECT_TRUE(click_tab(window, ID_PANEL, 1));
    EXPECT_EQ(selected_tab(window, ID_PANEL), 1);
    EXPECT_EQ(status(window), "tab 1");
    EXPECT_FALSE(control_visible(window, ID_DEEP_ONE));
    EXPECT_TRUE(control_visible(window, ID_DEEP_TWO));
    EXPECT_TRUE(click_control(window, ID_DEEP_TWO));
    EXPECT_EQ(status(window), "deep two");

    EXPECT_TRUE(click_tab(window, ID_PANEL, 0));
    EXPECT_EQ(selected_tab(window, ID_PANEL), 0);
    EXPECT_TRUE(control_visible(window, ID_DEEP_ONE));
    EXPECT_NONFATAL_FAILURE(click_tab(window, ID_PANEL, 5), "no tab 5");
}

TEST_F(DriverTest, MessageBoxIsReadThenAnswered) {
    EXPECT_EQ(find_message_box(target.id()), nullptr);
    ASSERT_TRUE(post_click(window, ID_MESSAGE));
    MessageBoxSeen seen = wait_message_box(target, LIMIT_MS);
    ASSERT_TRUE(seen.box);
    EXPECT_EQ(seen.title, "Attention é");
    EXPECT_EQ(seen.text, "Première ligne\nSecond line");
    // Reading leaves the box up, and the window under it takes no clicks.
    EXPECT_EQ(find_message_box(target.id()), seen.box);
    EXPECT_NONFATAL_FAILURE(click_control(window, ID_CHECK), "inside a disabled window");

    MessageBoxSeen answered = answer_message_box(target, LIMIT_MS);
    EXPECT_EQ(answered.box, seen.box);
    EXPECT_EQ(answered.title, "Attention é");
    EXPECT_FALSE(IsWindow(seen.box));
    EXPECT_TRUE(status_becomes(window, "box returned 1")) << status(window);
    EXPECT_EQ(check_state(window, ID_CHECK), BST_UNCHECKED);
}

TEST_F(DriverTest, ClickWhoseHandlerRunsAModalBoxReturns) {
    DWORD start = GetTickCount();
    EXPECT_TRUE(click_control(window, ID_MESSAGE));
    EXPECT_LT(GetTickCount() - start, LIMIT_MS);
    EXPECT_EQ(answer_message_box(target, LIMIT_MS).text, "Première ligne\nSecond line");
    EXPECT_TRUE(status_becomes(window, "box returned 1")) << status(window);
}

TEST_F(DriverTest, GeometryAndStyles) {
    SIZE client = client_size(window);
    EXPECT_EQ(client.cx, 400);
    EXPECT_EQ(client.cy, 330);
    RECT outer = outer_rect(window);
    EXPECT_GE(outer.right - outer.left, 400);
    EXPECT_GT(outer.bottom - outer.top, 330);  // the caption lies outside the client area
    EXPECT_TRUE(window_style(window) & WS_CAPTION);
    EXPECT_FALSE(window_style(window) & WS_SYSMENU);
    EXPECT_TRUE(window_ex_style(window) & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(is_topmost(window));
    EXPECT_FALSE(is_topmost(find_window(target.id(), "", "DriverTargetHelper")));
}

// Writes a shortcut the way the shell's link interface does; true when saved.
bool write_shortcut(const std::string& path, const ShortcutValues& values) {
    HRESULT com = CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, reinterpret_cast<void**>(&link));
    if (SUCCEEDED(result)) {
        link->SetPath(values.target.c_str());
        link->SetArguments(values.arguments.c_str());
        link->SetWorkingDirectory(values.working_folder.c_str());
        link->SetDescription(values.description.c_str());
        link->SetShowCmd(values.show_command);
        link->SetHotkey(values.hot_key);
        link->SetIconLocation(values.icon_file.c_str(), values.icon_index);
        result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    }
    if (SUCCEEDED(result)) {
        std::wstring wide(MAX_PATH, L'\0');
        wide.resize(MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), MAX_PATH));
        result = file->Save(wide.c_str(), TRUE);
    }
    if (file) file->Release();
    if (link) link->Release();
    if (SUCCEEDED(com)) CoUninitialize();
    return SUCCEEDED(result);
}

TEST(DriverShortcut, ReadsBackEveryValue) {
    ScratchFolder scratch;
    write_bytes(scratch / "Program é.exe", "MZ");
    ShortcutValues written;
    written.target = scratch / "Program é.exe";
    written.arguments = "/a \"b c\"";
    written.working_folder = scratch.path();
    written.description = "Description é";
    written.show_command = SW_SHOWMINNOACTIVE;
    written.hot_key = MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_ALT);
    written.icon_file = scratch / "icons.dll";
    written.icon_index = 2;
    ASSERT_TRUE(write_shortcut(scratch / "Program.lnk", written));

    ShortcutValues read = read_shortcut(scratch / "Program.lnk");
    EXPECT_TRUE(read.read);
    EXPECT_EQ(read.target, written.target);
    EXPECT_EQ(read.arguments, written.arguments);
    EXPECT_EQ(read.working_folder, written.working_folder);
    EXPECT_EQ(read.description, written.description);
    EXPECT_EQ(read.show_command, written.show_command);
    EXPECT_EQ(read.hot_key, written.hot_key);
    EXPECT_EQ(read.icon_file, written.icon_file);
    EXPECT_EQ(read.icon_index, written.icon_index);

    ShortcutValues absent;
    EXPECT_NONFATAL_FAILURE(absent = read_shortcut(scratch / "Absent.lnk"), "Absent.lnk");
    EXPECT_FALSE(absent.read);
}

TEST(DriverReports, FailuresPointAtTheCallingLine) {
    ::testing::TestPartResultArray failures;
    int line = 0;
    {
        ::testing::ScopedFakeTestPartResultReporter intercept(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD,
            &failures);
        line = __LINE__ + 1;
        control_text(nullptr, ID_STATUS);
    }
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures.GetTestPartResult(0).line_number(), line);
    EXPECT_NE(std::string(failures.GetTestPartResult(0).file_name()).find("driver_test.cpp"),
              std::string::npos);
}

// What the handler set in place of the tests' one receives.
struct HandedFailure {
    std::string file;
    int line;
    std::string message;
};
std::vector<HandedFailure> handed;

void keep_failure(const char* file, int line, const std::string& message) {
    handed.push_back({file, line, message});
}

TEST(DriverReports, FailuresGoToTheHandlerSet) {
    handed.clear();
    FailureHandler tests_handler = set_failure_handler(keep_failure);
    int line = __LINE__ + 1;
    bool clicked = click_control(nullptr, ID_CHECK);
    set_failure_handler(tests_handler);
    EXPECT_FALSE(clicked);
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0].line, line);
    EXPECT_NE(handed[0].file.find("driver_test.cpp"), std::string::npos);
    EXPECT_NE(handed[0].message.find("control " + std::to_string(ID_CHECK)), std::string::npos)
        << handed[0].message;
    // The tests' handler is back: the next failure is a test failure again.
    EXPECT_NONFATAL_FAILURE(click_control(nullptr, ID_CHECK), "no window");
}

}  // namespace
