// Tarvo: shows the author's logo for the number of seconds given on the
// command line, or until it is asked to close.
#include <windows.h>
#include <tlhelp32.h>

#include "runtime/runtime.h"
#include "splash/timeout.h"

extern const unsigned char logo_jpeg[];
extern const size_t logo_jpeg_size;

namespace {

constexpr int LOGO_IMAGE = 0;
constexpr int SPLASH_WINDOW = 0;
constexpr int LOGO_VIEW = 0;
constexpr int TICK_MS = 10;

void show_logo(HBITMAP logo) {
    HWND window = window_handle();
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (set_gadget_parent(window)) create_image_view(LOGO_VIEW, 0, 0, 0, 0, logo);
    int32_t timeout = splash_ticks(next_program_parameter());
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    // One message at most per pass; the count is tested after the increment,
    // so the loop runs exactly `timeout` passes when nothing closes it.
    int32_t ticks = 0;
    int event;
    do {
        event = poll_event();
        delay(TICK_MS);
        ++ticks;
    } while (event != EVENT_CLOSE_WINDOW && ticks != timeout);
}

// The process that started this one: the installer, which opens its wizard
// when the splash ends; 0 when it cannot be told.
DWORD parent_process_id() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == GetCurrentProcessId()) {
            parent = entry.th32ParentProcessID;
            break;
        }
    CloseHandle(snapshot);
    return parent;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    init_runtime();
    enable_jpeg_decoder();
    HBITMAP logo = reinterpret_cast<HBITMAP>(load_image_from_memory(LOGO_IMAGE, logo_jpeg, logo_jpeg_size));
    // The program has no window of its own yet, so "centred on the active
    // window" centres it on the screen.
    if (open_window(SPLASH_WINDOW, 0, 0, 300, 200, WINDOW_BORDERLESS | WINDOW_PARENT_CENTERED, "Maelwick"))
        show_logo(logo);
    // The splash holds the foreground as it ends; the installer may take it
    // over, so that its wizard opens in front and with the focus rather
    // than behind the windows of other programs.
    if (DWORD installer = parent_process_id()) AllowSetForegroundWindow(installer);
    release_runtime();
    return 0;
}
