#include "driver/driver.h"

#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

static const DWORD POLL_MS = 10;
// A program that takes longer than this to answer one message is hung.
static const DWORD SEND_LIMIT_MS = 5000;
// How long a click waits for the program to handle it; see click_control.
static const DWORD CLICK_LIMIT_MS = 2000;
static const UINT KILLED_EXIT_CODE = 0xDEAD;
static const int TEXT_CHARS = 4096;

static void print_failure(const char* file, int line, const std::string& message) {
    std::fprintf(stderr, "%s:%d: %s\n", file, line, message.c_str());
}

static FailureHandler failure_handler = print_failure;

// A null handler puts back the printing one.
FailureHandler set_failure_handler(FailureHandler handler) {
    return std::exchange(failure_handler, handler ? handler : print_failure);
}

void report_failure(const Where& where, const std::string& message) {
    failure_handler(where.file_name(), static_cast<int>(where.line()), message);
}

static std::string hex(unsigned long value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lX", value);
    return text;
}

static std::string until_nul(const std::string& buffer) {
    return buffer.substr(0, strnlen(buffer.data(), buffer.size()));
}

static std::string describe(HWND window) {
    return "window \"" + window_title(window) + "\" (" + window_class(window) + ")";
}

// ---- Processes ----

namespace {

// Whether process `id` is `root` or was started by it, directly or not.
bool descends_from(DWORD id, DWORD root) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    std::vector<std::pair<DWORD, DWORD>> parents;  // process, its parent
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        parents.push_back({entry.th32ProcessID, entry.th32ParentProcessID});
    CloseHandle(snapshot);
    for (int depth = 0; depth < 16 && id != 0; ++depth) {
        if (id == root) return true;
        DWORD parent = 0;
        for (auto [process, its_parent] : parents)
            if (process == id) parent = its_parent;
        id = parent;
    }
    return false;
}

struct WatchedWindows {
    DWORD root;
    std::vector<std::pair<DWORD, bool>>* known;  // process, whether it descends from root
    std::vector<std::string>* seen;
};

BOOL CALLBACK note_window(HWND window, LPARAM data) {
    auto& w = *reinterpret_cast<WatchedWindows*>(data);
    if (!IsWindowVisible(window)) return TRUE;
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    auto known = std::find_if(w.known->begin(), w.known->end(), [&](auto& k) { return k.first == id; });
    if (known == w.known->end()) known = w.known->insert(w.known->end(), {id, descends_from(id, w.root)});
    if (!known->second) return TRUE;
    std::string seen = window_title(window) + " (" + window_class(window) + ")";
    if (std::find(w.seen->begin(), w.seen->end(), seen) == w.seen->end()) w.seen->push_back(seen);
    return TRUE;
}

}  // namespace

WindowWatch::WindowWatch(const Program& program) : root_(program.id()) {
    thread_ = CreateThread(nullptr, 0, watch, this, 0, nullptr);
}

WindowWatch::~WindowWatch() { stop(); }

DWORD WINAPI WindowWatch::watch(void* self) {
    auto* w = static_cast<WindowWatch*>(self);
    std::vector<std::pair<DWORD, bool>> known;
    WatchedWindows watched{w->root_, &known, &w->seen_};
    while (!w->stopping_) {
        EnumWindows(note_window, reinterpret_cast<LPARAM>(&watched));
        Sleep(1);
    }
    return 0;
}

std::vector<std::string> WindowWatch::stop() {
    if (thread_) {
        stopping_ = true;
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    return seen_;
}

Program::~Program() {
    kill_program(*this);
    if (process_) CloseHandle(process_);
}

Program::Program(Program&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), id_(other.id_) {}

// The program this record held before goes with `other`.
Program& Program::operator=(Program&& other) noexcept {
    std::swap(process_, other.process_);
    std::swap(id_, other.id_);
    return *this;
}

// A buffer for the longest path the system takes (32767 characters and the
// NUL) holds any program's path.
std::string program_folder() {
    std::string path(32768, '\0');
    path.resize(GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of('\\') + 1);
}

namespace {

// The token a filtered administrator's programs get: the limited twin of
// the test's own full one; null when there is none.
HANDLE limited_token() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    bool got = GetTokenInformation(token, TokenLinkedToken, &linked, sizeof linked, &size);
    CloseHandle(token);
    return got ? linked.LinkedToken : nullptr;
}

// `folder` "" keeps the test's own current folder.
Program start_with_token(HANDLE token, const std::string& program, const std::string& folder,
                         const std::string& parameters, Where where) {
    std::string command = in_quotes(program);
    if (!parameters.empty()) command += " " + parameters;
    // The program and whatever it starts in turn (a folder window, say,
    // that outlives the test) get the null device as their standard
    // handles: an inherited output of the test would keep CTest waiting for
    // the test's end as long as any of them runs.
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE null_device = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = null_device;
    PROCESS_INFORMATION started = {};
    const char* directory = folder.empty() ? nullptr : folder.c_str();
    BOOL created = token ? CreateProcessAsUserA(token, program.c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                                                nullptr, directory, &startup, &started)
                         : CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          directory, &startup, &started);
    DWORD error = GetLastError();
    if (null_device != INVALID_HANDLE_VALUE) CloseHandle(null_device);
    if (!created) {
        report_failure(where, "cannot start " + program + " in \"" + folder + "\" (error " +
                                  std::to_string(error) + ")");
        return Program();
    }
    CloseHandle(started.hThread);
    return Program(started.hProcess, started.dwProcessId);
}


// The locale of ProgramLocale; "" for the test's own.
std::string program_locale;

DWORD process_named(const std::string& file_name, const std::vector<DWORD>& except = {});
std::vector<DWORD> processes_named(const std::string& file_name);

// The program started by Wine's loader under `program_locale`, through the
// Unix env program, and followed once its process is there.  (A Windows
// child takes its locale from Wine, not from the environment it is given.)
Program start_in_locale(const std::string& program, const std::string& folder, const std::string& parameters,
                        Where where) {
    char loader[MAX_PATH] = "/usr/lib/wine/wine64";
    GetEnvironmentVariableA("WINELOADER", loader, sizeof loader);
    // The locales are built into the build folder (scripts/provision), the
    // parent of the tests' bin folder, which Wine shows on drive Z:.
    std::string locales = program_folder().substr(2) + "..\\locales";
    for (char& c : locales) c = c == '\\' ? '/' : c;
    std::string command = "/usr/bin/env LOCPATH=" + locales + " LC_ALL=" + program_locale + " LANG=" +
                          program_locale + " " + loader + " " + in_quotes(program);
    if (!parameters.empty()) command += " " + parameters;
    std::string name = program.substr(program.find_last_of('\\') + 1);
    std::vector<DWORD> before = processes_named(name);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA("Z:\\usr\\bin\\env", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &started)) {
        report_failure(where, "cannot start " + program + " in the locale " + program_locale);
        return Program();
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    DWORD id = 0;
    if (!wait_until([&] { return (id = process_named(name, before)) != 0; }, 20000)) {
        report_failure(where, program + " did not start in the locale " + program_locale);
        return Program();
    }
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, id);
    return process ? Program(process, id) : Program();
}

}  // namespace

ProgramLocale::ProgramLocale(const std::string& locale) : before_(program_locale) { program_locale = locale; }
ProgramLocale::~ProgramLocale() { program_locale = before_; }

Program start_program(const std::string& program, const std::string& folder, const std::string& parameters,
                      Where where) {
    if (!program_locale.empty()) return start_in_locale(program, folder, parameters, where);
    return start_with_token(nullptr, program, folder, parameters, where);
}

Program start_program_limited(const std::string& program, const std::string& folder, const std::string& parameters,
                              Where where) {
    HANDLE token = limited_token();
    if (!token) {
        report_failure(where, "no limited token to start " + program + " with");
        return Program();
    }
    Program started = start_with_token(token, program, folder, parameters, where);
    CloseHandle(token);
    return started;
}

bool program_running(const Program& program) {
    return program.started() && WaitForSingleObject(program.process(), 0) == WAIT_TIMEOUT;
}

// Returns the exit code; -1 when the program was still running at the limit
// and had to be killed; -2 when there is no program.
long long wait_program_end(Program& program, DWORD limit_ms, Where where) {
    if (!program.started()) {
        report_failure(where, "no started program to wait for");
        return -2;
    }
    if (WaitForSingleObject(program.process(), limit_ms) == WAIT_TIMEOUT) {
        kill_program(program);
        report_failure(where, "program " + std::to_string(program.id()) + " did not end within " +
                          std::to_string(limit_ms) + " ms: killed");
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(program.process(), &code);
    return code;
}

void kill_program(Program& program) {
    if (!program_running(program)) return;
    TerminateProcess(program.process(), KILLED_EXIT_CODE);
    WaitForSingleObject(program.process(), SEND_LIMIT_MS);
}

bool wait_until(const std::function<bool()>& condition, DWORD limit_ms) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= limit_ms) return false;
        Sleep(POLL_MS);
    }
}

// The snapshot names each process by its program file, without a folder.
// The id of a running process whose program file is named `file_name`, 0
// when there is none.
namespace {

// The processes whose program file is named `file_name`.
std::vector<DWORD> processes_named(const std::string& file_name) {
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        const char* name = std::strrchr(entry.szExeFile, '\\');
        if (lstrcmpiA(name ? name + 1 : entry.szExeFile, file_name.c_str()) == 0) found.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return found;
}

// The first of them that is not among `except`; 0 when none.
DWORD process_named(const std::string& file_name, const std::vector<DWORD>& except) {
    for (DWORD id : processes_named(file_name))
        if (std::find(except.begin(), except.end(), id) == except.end()) return id;
    return 0;
}

}  // namespace

bool process_named_running(const std::string& file_name) { return process_named(file_name) != 0; }

std::string in_quotes(const std::string& text) {
    std::string result;
    result.reserve(text.size() + 2);
    result += '"';
    result += text;
    result += '"';
    return result;
}

long long run_console(const std::string& command_line, const std::string& output, DWORD limit_ms, Where where) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        report_failure(where, output + ": cannot be written");
        return -1;
    }
    STARTUPINFOA start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = file;
    start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    std::string command = command_line;
    long long code = -1;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &start,
                        &process)) {
        report_failure(where, "cannot start " + command_line);
    } else {
        Program program(process.hProcess, process.dwProcessId);
        CloseHandle(process.hThread);
        code = wait_program_end(program, limit_ms, where);
    }
    CloseHandle(file);
    return code;
}

Program attach_program(const std::string& file_name, DWORD limit_ms, Where where) {
    DWORD id = 0;
    if (!wait_until([&] { return (id = process_named(file_name)) != 0; }, limit_ms)) {
        report_failure(where, "no " + file_name + " started within " + std::to_string(limit_ms) + " ms");
        return Program();
    }
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, id);
    if (!process) {
        report_failure(where, "cannot reach " + file_name + " (error " + std::to_string(GetLastError()) + ")");
        return Program();
    }
    return Program(process, id);
}

// ---- Top-level windows ----

static BOOL CALLBACK collect_window(HWND window, LPARAM context) {
    auto* found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == found->first) found->second.push_back(window);
    return TRUE;
}

std::vector<HWND> top_windows(DWORD process_id) {
    std::pair<DWORD, std::vector<HWND>> found(process_id, {});
    EnumWindows(collect_window, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

// Another process's top-level title is read from the system's copy, without
// a message, so a busy program cannot block it.
std::string window_title(HWND window) {
    std::string title(GetWindowTextLengthA(window) + 1, '\0');
    title.resize(GetWindowTextA(window, title.data(), static_cast<int>(title.size())));
    return title;
}

std::string window_class(HWND window) {
    std::string name(257, '\0');  // class names hold at most 256 characters
    name.resize(GetClassNameA(window, name.data(), static_cast<int>(name.size())));
    return name;
}

bool window_answers(HWND window, DWORD limit_ms) {
    DWORD_PTR ignored;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, limit_ms,
                               &ignored) != 0;
}

// Window classes are named without regard to case, as the system does.
static bool class_is(HWND window, const std::string& class_name) {
    return class_name.empty() || lstrcmpiA(window_class(window).c_str(), class_name.c_str()) == 0;
}

HWND find_window(DWORD process_id, const std::string& title, const std::string& class_name) {
    for (HWND window : top_windows(process_id))
        if ((title.empty() || window_title(window) == title) && class_is(window, class_name))
            return window;
    return nullptr;
}

static std::string windows_of(const Program& program) {
    std::string list;
    for (HWND window : top_windows(program.id())) list += "\n  " + describe(window);
    if (!program_running(program)) list += "\n  (the program has ended)";
    return list.empty() ? " none" : list;
}

static HWND wait_top_window(const Program& program, const std::string& title,
                            const std::string& class_name, bool shown, DWORD limit_ms,
                            const Where& where) {
    HWND window = nullptr;
    wait_until([&] {
        window = find_window(program.id(), title, class_name);
        return window && (!shown || IsWindowVisible(window));
    }, limit_ms);
    if (window && (!shown || IsWindowVisible(window))) return window;
    report_failure(where, std::string("no ") + (shown ? "shown " : "") + "window titled \"" + title +
                      "\" of class \"" + class_name + "\" within " + std::to_string(limit_ms) +
                      " ms; the program's windows:" + windows_of(program));
    return nullptr;
}

// Programs build their windows hidden and show them when ready: acting on a
// window before it shows races with its construction.
HWND wait_window(const Program& program, const std::string& title, const std::string& class_name,
                 DWORD limit_ms, Where where) {
    return wait_top_window(program, title, class_name, true, limit_ms, where);
}

HWND wait_any_window(const Program& program, const std::string& title,
                     const std::string& class_name, DWORD limit_ms, Where where) {
    return wait_top_window(program, title, class_name, false, limit_ms, where);
}

// ---- Controls ----

struct ControlSearch {
    int id;
    const std::string* class_name;
    HWND found;
};

static BOOL CALLBACK match_control(HWND control, LPARAM context) {
    auto* search = reinterpret_cast<ControlSearch*>(context);
    if ((GetDlgCtrlID(control) & 0xFFFF) == (search->id & 0xFFFF) &&
        class_is(control, *search->class_name)) {
        search->found = control;
        return FALSE;
    }
    return TRUE;
}

// The whole tree, depth first in creation order: a panel's container comes
// before the tab control that shares its id, so ask for the class to tell them apart.
HWND find_control(HWND window, int id, const std::string& class_name) {
    ControlSearch search = {id, &class_name, nullptr};
    if (window) EnumChildWindows(window, match_control, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND wait_control(HWND window, int id, DWORD limit_ms, Where where) {
    HWND control = nullptr;
    wait_until([&] { return (control = find_control(window, id)) != nullptr; }, limit_ms);
    if (!control)
        report_failure(where, "no control " + std::to_string(id) + " within " +
                          std::to_string(limit_ms) + " ms in " + describe(window));
    return control;
}

static HWND need_control(HWND window, int id, const std::string& class_name, const Where& where) {
    if (!window || !IsWindow(window)) {
        report_failure(where, "no window to look for control " + std::to_string(id) + " in");
        return nullptr;
    }
    HWND control = find_control(window, id, class_name);
    if (!control)
        report_failure(where, "no control " + std::to_string(id) +
                          (class_name.empty() ? "" : " of class " + class_name) + " in " +
                          describe(window));
    return control;
}

// What a user can act on: shown, and neither it nor any window around it
// disabled (a page of another tab, a window under a modal box).
static HWND usable_control(HWND window, int id, const std::string& class_name,
                           const std::string& action, const Where& where) {
    HWND control = need_control(window, id, class_name, where);
    if (!control) return nullptr;
    std::string why;
    if (!IsWindowVisible(control)) why = "not visible";
    else if (!IsWindowEnabled(control)) why = "disabled";
    HWND root = GetAncestor(control, GA_ROOT);
    for (HWND around = control; why.empty() && around != root;) {
        around = GetParent(around);
        if (!IsWindowEnabled(around)) why = "inside a disabled window";
    }
    if (why.empty()) return control;
    report_failure(where, "cannot " + action + " control " + std::to_string(id) + " in " +
                      describe(window) + ": it is " + why);
    return nullptr;
}

// Sends to a window of the program under test; false (reported) when the
// window is gone or the program does not answer in time.
static bool send(HWND control, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result,
                 const Where& where) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(control, message, wparam, lparam, SMTO_NORMAL, SEND_LIMIT_MS,
                             &answer)) {
        report_failure(where, "message " + hex(message) + " to control " +
                          std::to_string(GetDlgCtrlID(control)) + " got no answer (error " +
                          std::to_string(GetLastError()) + ")");
        return false;
    }
    if (result) *result = static_cast<LRESULT>(answer);
    return true;
}

// Waits up to CLICK_LIMIT_MS for the program to handle the click, so that
// its effect can be read at once.  A handler still busy then (one that runs a
// modal message box, say) has the click all the same; post_click spares that wait.
bool click_control(HWND window, int id, Where where) {
    HWND control = usable_control(window, id, "", "click", where);
    if (!control) return false;
    DWORD_PTR ignored;
    SendMessageTimeoutA(control, BM_CLICK, 0, 0, SMTO_NORMAL, CLICK_LIMIT_MS, &ignored);
    return true;
}

bool post_click(HWND window, int id, Where where) {
    HWND control = usable_control(window, id, "", "click", where);
    return control && PostMessageA(control, BM_CLICK, 0, 0);
}

std::string control_text(HWND window, int id, Where where) {
    HWND control = need_control(window, id, "", where);
    LRESULT length = 0;
    if (!control || !send(control, WM_GETTEXTLENGTH, 0, 0, &length, where)) return "";
    std::string text(length + 1, '\0');
    LRESULT copied = 0;
    send(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied, where);
    text.resize(copied);
    return text;
}

// Returns BST_UNCHECKED (0), BST_CHECKED (1), BST_INDETERMINATE (2); -1 without the control.
int check_state(HWND window, int id, Where where) {
    HWND control = need_control(window, id, "", where);
    LRESULT state = -1;
    if (control) send(control, BM_GETCHECK, 0, 0, &state, where);
    return static_cast<int>(state);
}

// The control's own state, whatever its page or window.
bool control_enabled(HWND window, int id, Where where) {
    HWND control = need_control(window, id, "", where);
    return control && IsWindowEnabled(control);
}

// Shown on screen: the control and every window around it (its page) visible.
bool control_visible(HWND window, int id, Where where) {
    HWND control = need_control(window, id, "", where);
    return control && IsWindowVisible(control);
}

// An edit control tells its parent of the change (EN_UPDATE, EN_CHANGE) as it
// does for typed text.
bool type_text(HWND window, int id, const std::string& text, Where where) {
    HWND control = usable_control(window, id, "", "type into", where);
    return control && send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                           nullptr, where);
}

// Wine's ANSI form of LB_GETTEXT converts through a fixed 512-character
// stack buffer and overruns it on longer lines; the wide form with a buffer
// sized from LB_GETTEXTLEN does not.
static bool list_line(HWND control, LRESULT index, std::string* line, const Where& where) {
    DWORD_PTR length = 0, copied = 0;
    if (!SendMessageTimeoutW(control, LB_GETTEXTLEN, index, 0, SMTO_NORMAL, SEND_LIMIT_MS,
                             &length) ||
        static_cast<LRESULT>(length) < 0)
        return false;
    std::wstring wide(length + 1, L'\0');
    if (!SendMessageTimeoutW(control, LB_GETTEXT, index, reinterpret_cast<LPARAM>(wide.data()),
                             SMTO_NORMAL, SEND_LIMIT_MS, &copied) ||
        static_cast<LRESULT>(copied) < 0) {
        report_failure(where, "cannot read line " + std::to_string(index) + " of list " +
                          std::to_string(GetDlgCtrlID(control)));
        return false;
    }
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(copied), nullptr, 0,
                                    nullptr, nullptr);
    line->assign(bytes, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(copied), line->data(), bytes,
                        nullptr, nullptr);
    return true;
}

std::vector<std::string> list_lines(HWND window, int id, Where where) {
    std::vector<std::string> lines;
    HWND control = need_control(window, id, "", where);
    LRESULT count = 0;
    if (!control || !send(control, LB_GETCOUNT, 0, 0, &count, where)) return lines;
    std::string line;
    for (LRESULT index = 0; index < count && list_line(control, index, &line, where); ++index)
        lines.push_back(line);
    return lines;
}

// Index of the selected line or entry; -1 when none is selected or there is no control.
static int selection(HWND window, int id, UINT message, const Where& where) {
    HWND control = need_control(window, id, "", where);
    LRESULT index = -1;
    if (control) send(control, message, 0, 0, &index, where);
    return static_cast<int>(index);
}

int list_selection(HWND window, int id, Where where) {
    return selection(window, id, LB_GETCURSEL, where);
}

int combo_selection(HWND window, int id, Where where) {
    return selection(window, id, CB_GETCURSEL, where);
}

// Selecting by message raises no notification; a user's choice does, so the
// parent is told as the control would tell it.
static bool select_item(HWND window, int id, int index, UINT select, WORD notification,
                        const Where& where) {
    HWND control = usable_control(window, id, "", "select in", where);
    LRESULT result = -1;
    if (!control || !send(control, select, index, 0, &result, where)) return false;
    if (result < 0) {
        report_failure(where, "control " + std::to_string(id) + " has no item " + std::to_string(index));
        return false;
    }
    WPARAM command = MAKEWPARAM(GetDlgCtrlID(control), notification);
    return send(GetParent(control), WM_COMMAND, command, reinterpret_cast<LPARAM>(control),
                nullptr, where);
}

bool select_list_line(HWND window, int id, int index, Where where) {
    return select_item(window, id, index, LB_SETCURSEL, LBN_SELCHANGE, where);
}

bool select_combo_item(HWND window, int id, int index, Where where) {
    return select_item(window, id, index, CB_SETCURSEL, CBN_SELCHANGE, where);
}

// ---- Tab controls ----

// A block of memory inside the process that owns a window: the system copies
// no data between processes for common-control messages, so their
// structures must live in the target.
class RemoteBlock {
public:
    RemoteBlock(HWND window, size_t size) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               owner);
        if (process_)
            address_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, size,
                                                         MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~RemoteBlock() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    char* address() const { return address_; }
    bool write(size_t offset, const void* data, size_t size) const {
        return WriteProcessMemory(process_, address_ + offset, data, size, nullptr);
    }
    bool read(size_t offset, void* data, size_t size) const {
        return ReadProcessMemory(process_, address_ + offset, data, size, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    char* address_ = nullptr;
};

static bool reachable(const RemoteBlock& block, const Where& where) {
    if (block.address()) return true;
    report_failure(where, "cannot reach the memory of the program (error " +
                      std::to_string(GetLastError()) + ")");
    return false;
}

static bool tab_rectangle(HWND tab, int index, RECT* rect, const Where& where) {
    RemoteBlock block(tab, sizeof(RECT));
    LRESULT found = 0;
    if (!reachable(block, where) ||
        !send(tab, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(block.address()), &found,
              where))
        return false;
    if (!found) {
        report_failure(where, "tab control " + std::to_string(GetDlgCtrlID(tab)) + " has no tab " +
                          std::to_string(index));
        return false;
    }
    return block.read(0, rect, sizeof *rect);
}

// The mouse goes down and up at the centre of the tab, so the control
// switches pages and tells its parent exactly as for a user's click.
bool click_tab(HWND window, int id, int index, Where where) {
    HWND tab = usable_control(window, id, WC_TABCONTROLA, "click a tab of", where);
    RECT rect;
    if (!tab || !tab_rectangle(tab, index, &rect, where)) return false;
    LPARAM centre = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    return send(tab, WM_LBUTTONDOWN, MK_LBUTTON, centre, nullptr, where) &&
           send(tab, WM_LBUTTONUP, 0, centre, nullptr, where);
}

int selected_tab(HWND window, int id, Where where) {
    HWND tab = need_control(window, id, WC_TABCONTROLA, where);
    LRESULT index = -1;
    if (tab) send(tab, TCM_GETCURSEL, 0, 0, &index, where);
    return static_cast<int>(index);
}

// ---- Texts in UTF-16 ----

static std::wstring wide_text(HWND control, const Where& where) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, SEND_LIMIT_MS, &length)) {
        report_failure(where, "no answer to WM_GETTEXTLENGTH");
        return L"";
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                        SEND_LIMIT_MS, &copied);
    text.resize(copied);
    return text;
}

// The entries of a list or combo box: the system copies these texts
// between processes.
static void add_entries(HWND control, UINT count_message, UINT length_message, UINT text_message,
                        std::vector<std::wstring>& texts) {
    DWORD_PTR count = 0;
    SendMessageTimeoutW(control, count_message, 0, 0, SMTO_ABORTIFHUNG, SEND_LIMIT_MS, &count);
    for (DWORD_PTR index = 0; index < count; ++index) {
        DWORD_PTR length = 0;
        SendMessageTimeoutW(control, length_message, index, 0, SMTO_ABORTIFHUNG, SEND_LIMIT_MS, &length);
        std::wstring entry(length + 1, L'\0');
        DWORD_PTR copied = 0;
        SendMessageTimeoutW(control, text_message, index, reinterpret_cast<LPARAM>(entry.data()), SMTO_ABORTIFHUNG,
                            SEND_LIMIT_MS, &copied);
        entry.resize(std::min<DWORD_PTR>(copied, length));
        texts.push_back(L"  " + entry);
    }
}

static void add_tab_captions(HWND tab, std::vector<std::wstring>& texts, const Where& where) {
    LRESULT count = 0;
    if (!send(tab, TCM_GETITEMCOUNT, 0, 0, &count, where)) return;
    RemoteBlock block(tab, sizeof(TCITEMW) + TEXT_CHARS * sizeof(wchar_t));
    if (!reachable(block, where)) return;
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = reinterpret_cast<wchar_t*>(block.address() + sizeof item);
    item.cchTextMax = TEXT_CHARS;
    for (LRESULT index = 0; index < count; ++index) {
        std::wstring caption(TEXT_CHARS, L'\0');
        LRESULT found = 0;
        if (!block.write(0, &item, sizeof item) || !block.write(sizeof item, caption.data(), sizeof(wchar_t)) ||
            !send(tab, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(block.address()), &found, where) || !found ||
            !block.read(sizeof item, caption.data(), caption.size() * sizeof(wchar_t))) {
            report_failure(where, "cannot read the caption of tab " + std::to_string(index));
            return;
        }
        texts.push_back(L"  " + caption.substr(0, caption.find(L'\0')));
    }
}

std::vector<std::wstring> shown_texts(HWND window, Where where) {
    std::vector<std::wstring> texts{wide_text(window, where)};
    std::vector<HWND> controls;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM found) {
            reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&controls));
    for (HWND control : controls) {
        std::string kind = window_class(control);
        texts.push_back(std::wstring(kind.begin(), kind.end()) + L": " + wide_text(control, where));
        if (lstrcmpiA(kind.c_str(), "ListBox") == 0)
            add_entries(control, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT, texts);
        else if (lstrcmpiA(kind.c_str(), "ComboBox") == 0)
            add_entries(control, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT, texts);
        else if (lstrcmpiA(kind.c_str(), WC_TABCONTROLA) == 0)
            add_tab_captions(control, texts, where);
    }
    return texts;
}

std::vector<std::string> tab_captions(HWND window, int id, Where where) {
    std::vector<std::string> captions;
    HWND tab = need_control(window, id, WC_TABCONTROLA, where);
    LRESULT count = 0;
    if (!tab || !send(tab, TCM_GETITEMCOUNT, 0, 0, &count, where)) return captions;
    RemoteBlock block(tab, sizeof(TCITEMA) + TEXT_CHARS);
    if (!reachable(block, where)) return captions;
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = block.address() + sizeof(TCITEMA);
    item.cchTextMax = TEXT_CHARS;
    for (LRESULT index = 0; index < count; ++index) {
        std::string caption(TEXT_CHARS, '\0');
        LRESULT found = 0;
        if (!block.write(0, &item, sizeof item) || !block.write(sizeof item, caption.data(), 1) ||
            !send(tab, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(block.address()), &found,
                  where) ||
            !found || !block.read(sizeof item, caption.data(), caption.size())) {
            report_failure(where, "cannot read the caption of tab " + std::to_string(index));
            break;
        }
        captions.push_back(until_nul(caption));
    }
    return captions;
}

// ---- Message boxes ----

// Only a shown box: a box being built has no text yet.
HWND find_message_box(DWORD process_id) {
    for (HWND window : top_windows(process_id))
        if (class_is(window, "#32770") && IsWindowVisible(window)) return window;
    return nullptr;
}

MessageBoxSeen wait_message_box(const Program& program, DWORD limit_ms, Where where) {
    MessageBoxSeen seen;
    wait_until([&] { return (seen.box = find_message_box(program.id())) != nullptr; }, limit_ms);
    if (!seen.box) {
        report_failure(where, "no message box within " + std::to_string(limit_ms) +
                          " ms; the program's windows:" + windows_of(program));
        return seen;
    }
    seen.title = window_title(seen.box);
    seen.text = control_text(seen.box, MESSAGE_BOX_TEXT, where);
    return seen;
}

// The OK button is IDOK; a box whose only button has another id is answered
// with that button.
static HWND ok_button(HWND box) {
    HWND button = find_control(box, IDOK, "Button");
    for (int id = IDCANCEL; !button && id <= IDCONTINUE; ++id)
        button = find_control(box, id, "Button");
    return button;
}

MessageBoxSeen answer_message_box(const Program& program, DWORD limit_ms, Where where) {
    MessageBoxSeen seen = wait_message_box(program, limit_ms, where);
    if (!seen.box) return seen;
    HWND button = ok_button(seen.box);
    if (!button) {
        report_failure(where, "message box \"" + seen.title + "\" has no button to press");
        return seen;
    }
    send(button, BM_CLICK, 0, 0, nullptr, where);
    if (!wait_until([&] { return !IsWindow(seen.box); }, SEND_LIMIT_MS))
        report_failure(where, "message box \"" + seen.title + "\" still open after its button was pressed");
    return seen;
}

HWND focused_control(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool wait_active(HWND window, DWORD limit_ms, Where where) {
    bool active = wait_until(
        [&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndActive == window;
        },
        limit_ms);
    if (!active) report_failure(where, "the window did not become active within " + std::to_string(limit_ms) + " ms");
    return active;
}

bool press_key(HWND window, UINT key, Where where) {
    // The focused control of that window; the window itself while the focus
    // is elsewhere (a window over it that just closed): the program looks
    // for the focus itself when it takes the key.
    HWND target = focused_control(window);
    if (!target || !IsWindow(target) || (target != window && !IsChild(window, target))) target = window;
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
    if (PostMessageA(target, WM_KEYDOWN, key, scan | 1) &&
        PostMessageA(target, WM_KEYUP, key, scan | 1 | (LPARAM{1} << 30) | (LPARAM{1} << 31)))
        return true;
    report_failure(where, "the key could not be posted to " + window_class(target));
    return false;
}

// The rectangle goes at one address in the program's memory and, where it
// can, at the same address in this one: a system that copies the message's
// rectangle from the sender finds it there as well.
bool send_scale_change(HWND window, int dpi, const RECT& suggested, Where where) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process_id);
    void* there = process ? VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                          : nullptr;
    bool written = there && WriteProcessMemory(process, there, &suggested, sizeof suggested, nullptr);
    void* here = written ? VirtualAlloc(there, sizeof suggested, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE) : nullptr;
    if (here == there) memcpy(here, &suggested, sizeof suggested);
    DWORD_PTR answer = 0;
    bool sent = written && SendMessageTimeoutA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(there),
                                               SMTO_ABORTIFHUNG, SEND_LIMIT_MS, &answer);
    if (here) VirtualFree(here, 0, MEM_RELEASE);
    if (there) VirtualFreeEx(process, there, 0, MEM_RELEASE);
    if (process) CloseHandle(process);
    if (!sent) report_failure(where, "WM_DPICHANGED could not be sent to " + window_title(window));
    return sent;
}

bool request_close(HWND window, Where where) {
    if (!window || !IsWindow(window)) {
        report_failure(where, "no window to close");
        return false;
    }
    return PostMessageA(window, WM_CLOSE, 0, 0);
}

// ---- Shortcuts ----

static void read_link_values(IShellLinkA* link, ShortcutValues* values) {
    std::string buffer(TEXT_CHARS, '\0');
    link->GetPath(buffer.data(), TEXT_CHARS, nullptr, SLGP_RAWPATH);
    values->target = until_nul(buffer);
    buffer.assign(TEXT_CHARS, '\0');
    link->GetArguments(buffer.data(), TEXT_CHARS);
    values->arguments = until_nul(buffer);
    buffer.assign(TEXT_CHARS, '\0');
    link->GetWorkingDirectory(buffer.data(), TEXT_CHARS);
    values->working_folder = until_nul(buffer);
    buffer.assign(TEXT_CHARS, '\0');
    link->GetDescription(buffer.data(), TEXT_CHARS);
    values->description = until_nul(buffer);
    link->GetHotkey(&values->hot_key);
    buffer.assign(TEXT_CHARS, '\0');
    link->GetIconLocation(buffer.data(), TEXT_CHARS, &values->icon_index);
    values->icon_file = until_nul(buffer);
}

// The show command as the link file holds it: a 32-bit field at offset 0x3C
// of the 0x4C-byte header.  Wine's link object does not load it (it always
// reports SW_SHOWNORMAL), so it is read from the file; -1 when unreadable.
static int stored_show_command(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    unsigned char header[0x4C];
    DWORD got = 0;
    bool read = ReadFile(file, header, sizeof header, &got, nullptr) && got == sizeof header &&
                header[0] == 0x4C;
    CloseHandle(file);
    if (!read) return -1;
    return header[0x3C] | header[0x3D] << 8 | header[0x3E] << 16 | header[0x3F] << 24;
}

static std::wstring wide(const std::string& text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring result(length, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, result.data(), length);
    return result;
}

ShortcutValues read_shortcut(const std::string& path, Where where) {
    ShortcutValues values;
    HRESULT com = CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, reinterpret_cast<void**>(&link));
    if (SUCCEEDED(result))
        result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(result)) result = file->Load(wide(path).c_str(), STGM_READ);
    if (SUCCEEDED(result)) {
        read_link_values(link, &values);
        values.show_command = stored_show_command(path);
        values.read = true;
    } else {
        report_failure(where, "cannot read shortcut " + path + " (result " + hex(result) + ")");
    }
    if (file) file->Release();
    if (link) link->Release();
    if (SUCCEEDED(com)) CoUninitialize();
    return values;
}

// ---- Geometry ----

SIZE client_size(HWND window) {
    RECT rect = {};
    GetClientRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

RECT outer_rect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

DWORD window_style(HWND window) {
    return static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
}

DWORD window_ex_style(HWND window) {
    return static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
}

bool is_topmost(HWND window) { return (window_ex_style(window) & WS_EX_TOPMOST) != 0; }

RECT place_in_parent(HWND control) {
    RECT rect = outer_rect(control);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

namespace {

constexpr char DESKTOP_KEY[] = "Control Panel\\Desktop";
constexpr char LOG_PIXELS[] = "LogPixels";

void write_log_pixels(const DWORD* dpi) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, DESKTOP_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    if (dpi) {
        RegSetValueExA(key, LOG_PIXELS, 0, REG_DWORD, reinterpret_cast<const BYTE*>(dpi), sizeof *dpi);
    } else {
        RegDeleteValueA(key, LOG_PIXELS);
    }
    RegCloseKey(key);
}

}  // namespace

DisplayScale::DisplayScale(int dpi) {
    DWORD size = sizeof before_;
    had_value_ = RegGetValueA(HKEY_CURRENT_USER, DESKTOP_KEY, LOG_PIXELS, RRF_RT_REG_DWORD, nullptr, &before_, &size) ==
                 ERROR_SUCCESS;
    DWORD value = static_cast<DWORD>(dpi);
    write_log_pixels(&value);
}

DisplayScale::~DisplayScale() { write_log_pixels(had_value_ ? &before_ : nullptr); }

COLORREF ScreenPixels::at(int x, int y) const {
    size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return RGB(rgb[i], rgb[i + 1], rgb[i + 2]);
}

// The bitmap is 24-bit B, G, R, rows padded to four bytes.
ScreenPixels read_screen(const RECT& area) {
    RECT screen_rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, rect{};
    ScreenPixels result;
    if (!IntersectRect(&rect, &area, &screen_rect)) return result;
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool read = false;
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        read = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        SelectObject(memory, old);
    }
    if (read) {
        size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
        const auto* from = static_cast<const unsigned char*>(bits);
        result.width = width;
        result.height = height;
        result.rgb.resize(static_cast<size_t>(width) * height * 3);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    result.rgb[(static_cast<size_t>(y) * width + x) * 3 + c] = from[y * stride + x * 3 + 2 - c];
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return result;
}

ScreenPixels client_pixels(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return read_screen(client);
}
