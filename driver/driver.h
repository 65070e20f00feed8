// The driver: starts programs as processes and acts on their windows from
// outside, as a user would, by control id.
//
// A function that cannot do what it was asked reports a failure at its
// caller's line (the defaulted `where` argument) and returns a value the
// caller can check.  The find_* functions only look and report nothing.
// Texts are Windows-1252 bytes.
#pragma once

#include <windows.h>

#include <functional>
#include <source_location>
#include <string>
#include <vector>

using Where = std::source_location;

// Where failures go: the program that uses the driver sets the handler
// before its first driver call (the tests make each failure a non-fatal
// test failure at that line).  Without one, failures are printed on stderr.
using FailureHandler = void (*)(const char* file, int line, const std::string& message);
FailureHandler set_failure_handler(FailureHandler handler);  // returns the handler it replaces
void report_failure(const Where& where, const std::string& message);

// A started program.  Owns its process handle; a program still running when
// its record goes is killed, so a failing test leaves nothing behind.
class Program {
public:
    Program() = default;
    Program(HANDLE process, DWORD id) : process_(process), id_(id) {}
    ~Program();
    Program(Program&& other) noexcept;
    Program& operator=(Program&& other) noexcept;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return process_ != nullptr; }
    HANDLE process() const { return process_; }
    DWORD id() const { return id_; }

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// Processes: what a test waits for is polled every few milliseconds up to a limit.
std::string program_folder();  // the running test program's folder, with "\"
Program start_program(const std::string& program, const std::string& folder,
                      const std::string& parameters, Where where = Where::current());
// As an administrator's programs start under UAC: with the limited twin of
// the test's full token, reporting itself not elevated.
Program start_program_limited(const std::string& program, const std::string& folder,
                              const std::string& parameters, Where where = Where::current());
// The programs start_program starts from now on run in this Unix locale
// ("" for the test's own, the default): Wine takes the system code page
// from it, so such a program runs as on a Polish (pl_PL.UTF-8: 1250),
// Russian (1251), Greek (1253) or Japanese (ja_JP.UTF-8: 932) Windows.
// They are then started through the Unix system and followed once they
// run; the locale before comes back when the object goes.
class ProgramLocale {
public:
    explicit ProgramLocale(const std::string& locale);
    ~ProgramLocale();
    ProgramLocale(const ProgramLocale&) = delete;
    ProgramLocale& operator=(const ProgramLocale&) = delete;

private:
    std::string before_;
};
bool program_running(const Program& program);
long long wait_program_end(Program& program, DWORD limit_ms, Where where = Where::current());
void kill_program(Program& program);
bool wait_until(const std::function<bool()>& condition, DWORD limit_ms);
// Whether a process runs whose program file is named `file_name` ("App.exe").
bool process_named_running(const std::string& file_name);
// The text in double quotes, as a command line names a path with blanks.
std::string in_quotes(const std::string& text);
// Runs a console program to its end with its standard output going to the
// file `output` (made anew); its exit code, or -1 when it did not start or
// did not end within the limit (it is then killed).
long long run_console(const std::string& command_line, const std::string& output, DWORD limit_ms,
                      Where where = Where::current());
// Such a process, started by another program, once it runs (waiting up to
// the limit); not started when none came.
Program attach_program(const std::string& file_name, DWORD limit_ms, Where where = Where::current());

// Watches, from its start until it is stopped, every shown top-level
// window of a program and of the programs it starts in turn (a splash, an
// uninstaller, a folder window), looking several hundred times a second.
class WindowWatch {
public:
    explicit WindowWatch(const Program& program);
    ~WindowWatch();
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;
    // Stops watching; the titles (and classes) of the windows seen, each once.
    std::vector<std::string> stop();

private:
    static DWORD WINAPI watch(void* self);
    DWORD root_;
    HANDLE thread_ = nullptr;
    volatile bool stopping_ = false;
    std::vector<std::string> seen_;
};

// Top-level windows of a process, shown or not.  "" matches any title or class.
std::vector<HWND> top_windows(DWORD process_id);
HWND find_window(DWORD process_id, const std::string& title, const std::string& class_name);
// wait_window waits for a shown window, wait_any_window for one shown or not.
HWND wait_window(const Program& program, const std::string& title, const std::string& class_name,
                 DWORD limit_ms, Where where = Where::current());
HWND wait_any_window(const Program& program, const std::string& title,
                     const std::string& class_name, DWORD limit_ms,
                     Where where = Where::current());
std::string window_title(HWND window);
std::string window_class(HWND window);
// Whether the window's program takes a message within `limit_ms`: it waits
// in a message loop, neither busy nor hung.
bool window_answers(HWND window, DWORD limit_ms = 1000);

// Controls anywhere below `window` (panels, tab controls, their pages).
// A window shown while its controls are still being made needs wait_control.
HWND find_control(HWND window, int id, const std::string& class_name = "");
HWND wait_control(HWND window, int id, DWORD limit_ms, Where where = Where::current());
bool click_control(HWND window, int id, Where where = Where::current());
bool post_click(HWND window, int id, Where where = Where::current());
std::string control_text(HWND window, int id, Where where = Where::current());
int check_state(HWND window, int id, Where where = Where::current());
bool control_enabled(HWND window, int id, Where where = Where::current());
bool control_visible(HWND window, int id, Where where = Where::current());
bool type_text(HWND window, int id, const std::string& text, Where where = Where::current());
std::vector<std::string> list_lines(HWND window, int id, Where where = Where::current());
int list_selection(HWND window, int id, Where where = Where::current());
bool select_list_line(HWND window, int id, int index, Where where = Where::current());
int combo_selection(HWND window, int id, Where where = Where::current());
bool select_combo_item(HWND window, int id, int index, Where where = Where::current());

// Tab controls ("SysTabControl32") by id, below their panel container.
bool click_tab(HWND window, int id, int index, Where where = Where::current());
int selected_tab(HWND window, int id, Where where = Where::current());
std::vector<std::string> tab_captions(HWND window, int id, Where where = Where::current());

// Message boxes: top-level "#32770" windows of the process.  The box's text
// is its static control MESSAGE_BOX_TEXT.
constexpr int MESSAGE_BOX_TEXT = 0xFFFF;
struct MessageBoxSeen {
    HWND box = nullptr;  // null when none came
    std::string title;
    std::string text;
};
HWND find_message_box(DWORD process_id);
MessageBoxSeen wait_message_box(const Program& program, DWORD limit_ms,
                                Where where = Where::current());
MessageBoxSeen answer_message_box(const Program& program, DWORD limit_ms,
                                  Where where = Where::current());

bool request_close(HWND window, Where where = Where::current());

// The keyboard, as the program receives it: the control of the window's
// program that has the focus (null for none), and a key pressed and let go
// there (posted to the focused control, else to the window).
HWND focused_control(HWND window);
// Waits until the window is the active one of its program, the window the
// program takes keys for (after a window over it has closed, say); false,
// reported, when it is not within the limit.
bool wait_active(HWND window, DWORD limit_ms, Where where = Where::current());
bool press_key(HWND window, UINT key, Where where = Where::current());

// WM_DPICHANGED as Windows sends it when a window moves to a screen of
// another scale: the new scale and the suggested rectangle, which is
// written into the program's memory for it to read.
bool send_scale_change(HWND window, int dpi, const RECT& suggested, Where where = Where::current());

// A shortcut file as the shell reads it back.
struct ShortcutValues {
    bool read = false;
    std::string target;
    std::string arguments;
    std::string working_folder;
    std::string description;
    int show_command = 0;
    WORD hot_key = 0;
    std::string icon_file;
    int icon_index = 0;
};
ShortcutValues read_shortcut(const std::string& path, Where where = Where::current());

// Window geometry and styles.
SIZE client_size(HWND window);
RECT outer_rect(HWND window);
DWORD window_style(HWND window);
DWORD window_ex_style(HWND window);
bool is_topmost(HWND window);
// Every text a window shows, read in UTF-16 whatever the code pages of the
// program and of the test: its title, then each descendant in tree order as
// "class: text", with the entries of its list box, combo box or tab
// control after it, one per line.
std::vector<std::wstring> shown_texts(HWND window, Where where = Where::current());

// A control's rectangle in its parent's client area.
RECT place_in_parent(HWND control);

// The display scale of the programs started from now on (Wine reads it from
// LogPixels under HKEY_CURRENT_USER\Control Panel\Desktop when a program
// starts); the scale before comes back when the object goes.
class DisplayScale {
public:
    explicit DisplayScale(int dpi);
    ~DisplayScale();
    DisplayScale(const DisplayScale&) = delete;
    DisplayScale& operator=(const DisplayScale&) = delete;

private:
    DWORD before_ = 0;
    bool had_value_ = false;
};

// What the screen shows: R, G, B bytes per pixel, rows top first.  Read
// from the screen, not from the window's program, which may be busy.
struct ScreenPixels {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // empty when the screen could not be read
    COLORREF at(int x, int y) const;
};
ScreenPixels read_screen(const RECT& area);  // screen coordinates, clipped to the screen
ScreenPixels client_pixels(HWND window);     // the window's client area
