// Carnet: the program of the sample distribution.  One notes window; its
// text lives in "Carnet.txt" beside the program, read at start and written
// when the window closes, and the window's place is remembered under
// HKEY_CURRENT_USER\Software\Tarvo Exemple\Carnet.  So an uninstallation has
// a registry key to remove and a file of the user's own to keep.
//
// Plain Win32, ANSI functions, no part of the kit linked in.  The notes edit
// has control id 1.  A close request from another program (the uninstaller
// posts WM_CLOSE to the window titled "Carnet de notes") saves like the close
// box does.
//
//   Carnet.exe              the notes window
//   Carnet.exe /attendre    no window: waits until no Carnet window is left
//                           (10 seconds at most), then ends
//
// The uninstaller does not wait for a window it asks to close; its record
// runs "Carnet.exe /attendre" right after the close request, and waits for
// that, so that Carnet has saved and ended before its key and files go.
#include <windows.h>

#include <string>

namespace {

constexpr int NOTES_EDIT = 1;
constexpr int BAND_HEIGHT = 30;
constexpr int MARGIN = 6;
constexpr COLORREF BAND_COLOUR = RGB(46, 84, 132);
constexpr COLORREF BAND_TEXT_COLOUR = RGB(255, 255, 255);
constexpr COLORREF PAPER_COLOUR = RGB(255, 251, 226);
constexpr COLORREF INK_COLOUR = RGB(30, 30, 60);

const char* const WINDOW_CLASS = "CarnetWindow";
const char* const WINDOW_TITLE = "Carnet de notes";
const char* const BAND_TEXT = "Mes notes";
const char* const NOTES_FILE = "Carnet.txt";
const char* const PLACE_KEY = "Software\\Tarvo Exemple\\Carnet";
const char* const PLACE_VALUES[4] = {"Gauche", "Haut", "Largeur", "Hauteur"};

// The program's one state record.  The font and brushes are made in
// WinMain and released there, after the window is gone.
struct Carnet {
    HWND window = nullptr;
    HWND notes = nullptr;
    HFONT text_font = nullptr;
    HFONT band_font = nullptr;
    HBRUSH paper = nullptr;
    HBRUSH band = nullptr;
    std::string notes_path;
};

Carnet carnet;

std::string program_path() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// The notes file is looked for beside the program, whatever folder the
// program was started from.
std::string notes_file_path() {
    std::string program = program_path();
    return program.substr(0, program.find_last_of('\\') + 1) + NOTES_FILE;
}

// The edit control shows line breaks only as CR LF: a lone LF or CR from a
// file written by another editor becomes CR LF.
std::string with_crlf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (c == '\r' || c == '\n') out += "\r\n";
        else out += c;
    }
    return out;
}

// "" when the file is missing or cannot be read.
std::string read_notes() {
    HANDLE file = CreateFileA(carnet.notes_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    std::string text;
    std::string block(65536, '\0');
    DWORD got = 0;
    while (ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &got, nullptr) && got > 0)
        text.append(block.data(), got);
    CloseHandle(file);
    return with_crlf(text);
}

std::string notes_text() {
    int length = GetWindowTextLengthA(carnet.notes);
    std::string text(length + 1, '\0');
    text.resize(GetWindowTextA(carnet.notes, text.data(), length + 1));
    return text;
}

// Written as a whole, Windows-1252 bytes with CR LF, as the edit holds them.
void save_notes() {
    std::string text = notes_text();
    HANDLE file = CreateFileA(carnet.notes_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// The window's normal place (not minimised or maximised), in screen pixels.
void save_place() {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(carnet.window, &placement)) return;
    const RECT& r = placement.rcNormalPosition;
    DWORD values[4] = {static_cast<DWORD>(r.left), static_cast<DWORD>(r.top),
                       static_cast<DWORD>(r.right - r.left), static_cast<DWORD>(r.bottom - r.top)};
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, PLACE_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    for (int i = 0; i < 4; ++i)
        RegSetValueExA(key, PLACE_VALUES[i], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&values[i]),
                       sizeof values[i]);
    RegCloseKey(key);
}

struct WindowPlace {
    int x, y, width, height;
};

// The remembered place, or the system's choice when none is remembered or
// the remembered one lies on no screen any more.
WindowPlace load_place() {
    WindowPlace place = {CW_USEDEFAULT, CW_USEDEFAULT, 440, 340};
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, PLACE_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return place;
    DWORD values[4] = {};
    bool complete = true;
    for (int i = 0; i < 4; ++i) {
        DWORD type = 0, size = sizeof values[i];
        if (RegQueryValueExA(key, PLACE_VALUES[i], nullptr, &type, reinterpret_cast<BYTE*>(&values[i]),
                             &size) != ERROR_SUCCESS || type != REG_DWORD)
            complete = false;
    }
    RegCloseKey(key);
    WindowPlace saved = {static_cast<int>(values[0]), static_cast<int>(values[1]), static_cast<int>(values[2]),
                         static_cast<int>(values[3])};
    RECT on_screen = {saved.x, saved.y, saved.x + saved.width, saved.y + saved.height};
    if (complete && saved.width >= 200 && saved.height >= 150 &&
        MonitorFromRect(&on_screen, MONITOR_DEFAULTTONULL) != nullptr)
        place = saved;
    return place;
}

void paint_band() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(carnet.window, &paint);
    RECT client;
    GetClientRect(carnet.window, &client);
    RECT band = {0, 0, client.right, BAND_HEIGHT};
    FillRect(dc, &band, carnet.band);
    RECT below = {0, BAND_HEIGHT, client.right, client.bottom};
    FillRect(dc, &below, carnet.paper);
    HGDIOBJ old_font = SelectObject(dc, carnet.band_font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, BAND_TEXT_COLOUR);
    RECT text = {MARGIN + 4, 0, client.right - MARGIN, BAND_HEIGHT};
    DrawTextA(dc, BAND_TEXT, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    SelectObject(dc, old_font);
    EndPaint(carnet.window, &paint);
}

void create_notes_edit() {
    carnet.notes = CreateWindowExA(0, "EDIT", "",
                                   WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                       ES_WANTRETURN | ES_NOHIDESEL,
                                   0, 0, 0, 0, carnet.window, reinterpret_cast<HMENU>(NOTES_EDIT),
                                   GetModuleHandleA(nullptr), nullptr);
    SendMessageA(carnet.notes, WM_SETFONT, reinterpret_cast<WPARAM>(carnet.text_font), FALSE);
    SendMessageA(carnet.notes, EM_SETLIMITTEXT, 0, 0);  // 0: as much as the system allows
    SendMessageA(carnet.notes, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(4, 4));
    SetWindowTextA(carnet.notes, read_notes().c_str());
}

// Below the band, with a margin all round; nothing shows when too small.
void place_notes_edit(int width, int height) {
    int w = width - 2 * MARGIN, h = height - BAND_HEIGHT - 2 * MARGIN;
    MoveWindow(carnet.notes, MARGIN, BAND_HEIGHT + MARGIN, w > 0 ? w : 0, h > 0 ? h : 0, TRUE);
}

LRESULT CALLBACK carnet_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE: carnet.window = window; create_notes_edit(); return 0;
    case WM_SIZE: place_notes_edit(LOWORD(lparam), HIWORD(lparam)); return 0;
    case WM_SETFOCUS: SetFocus(carnet.notes); return 0;
    case WM_PAINT: paint_band(); return 0;
    case WM_CTLCOLOREDIT:
        SetTextColor(reinterpret_cast<HDC>(wparam), INK_COLOUR);
        SetBkColor(reinterpret_cast<HDC>(wparam), PAPER_COLOUR);
        return reinterpret_cast<LRESULT>(carnet.paper);
    case WM_ENDSESSION: if (wparam) { save_notes(); save_place(); } return 0;
    case WM_CLOSE: save_notes(); save_place(); DestroyWindow(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, message, wparam, lparam);
    }
}

HFONT make_font(int points, int weight) {
    HDC screen = GetDC(nullptr);
    int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma");
}

bool open_carnet_window(HINSTANCE instance, int show) {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = carnet_procedure;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    window_class.hbrBackground = carnet.paper;
    window_class.lpszClassName = WINDOW_CLASS;
    if (!RegisterClassA(&window_class)) return false;
    WindowPlace place = load_place();
    HWND window = CreateWindowExA(0, WINDOW_CLASS, WINDOW_TITLE, WS_OVERLAPPEDWINDOW, place.x, place.y, place.width,
                                  place.height, nullptr, nullptr, instance, nullptr);
    if (!window) return false;
    ShowWindow(window, show);
    UpdateWindow(window);
    return true;
}

// Each Carnet window's process in turn, until none is left or the time is
// up.  A window whose process cannot be opened is waited for by polling.
void wait_for_carnet_windows() {
    constexpr DWORD LIMIT_MS = 10000;
    DWORD start = GetTickCount();
    HWND window;
    while ((window = FindWindowA(WINDOW_CLASS, nullptr)) != nullptr) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= LIMIT_MS) return;
        DWORD process_id = 0;
        GetWindowThreadProcessId(window, &process_id);
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, process_id);
        if (process) {
            WaitForSingleObject(process, LIMIT_MS - elapsed);
            CloseHandle(process);
        } else {
            Sleep(50);
        }
    }
}

bool is_wait_request(const char* command_line) {
    std::string text = command_line ? command_line : "";
    size_t first = text.find_first_not_of(' ');
    size_t last = text.find_last_not_of(' ');
    return first != std::string::npos && text.substr(first, last - first + 1) == "/attendre";
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show) {
    if (is_wait_request(command_line)) {
        wait_for_carnet_windows();
        return 0;
    }
    carnet.notes_path = notes_file_path();
    carnet.text_font = make_font(10, FW_NORMAL);
    carnet.band_font = make_font(11, FW_BOLD);
    carnet.paper = CreateSolidBrush(PAPER_COLOUR);
    carnet.band = CreateSolidBrush(BAND_COLOUR);
    if (open_carnet_window(instance, show)) {
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    DeleteObject(carnet.band);
    DeleteObject(carnet.paper);
    DeleteObject(carnet.band_font);
    DeleteObject(carnet.text_font);
    return 0;
}
