// Tarvo: shows the author's logo for the number of seconds given on the
// command line, or until it is asked to close.
#include <windows.h>

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

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    init_runtime();
    enable_jpeg_decoder();
    HBITMAP logo = reinterpret_cast<HBITMAP>(load_image_from_memory(LOGO_IMAGE, logo_jpeg, logo_jpeg_size));
    // The program has no window of its own yet, so "centred on the active
    // window" centres it on the screen.
    if (open_window(SPLASH_WINDOW, 0, 0, 300, 200, WINDOW_BORDERLESS | WINDOW_PARENT_CENTERED, "Maelwick"))
        show_logo(logo);
    release_runtime();
    return 0;
}
