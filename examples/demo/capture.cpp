#include "examples/demo/capture.h"

#include <vector>

#include "driver/driver.h"
#include "examples/demo/png.h"

namespace {

bool write_file(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}

}  // namespace

bool save_window_picture(HWND window, const std::string& path) {
    ScreenPixels picture = read_screen(outer_rect(window));
    if (picture.rgb.empty()) return false;
    std::string png = png_bytes(picture.width, picture.height, picture.rgb);
    return !png.empty() && write_file(path, png);
}
