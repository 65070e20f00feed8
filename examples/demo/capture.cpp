#include "examples/demo/capture.h"

#include <vector>

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

// The window's rectangle on the screen, clipped to the screen; empty when
// the window lies off screen.
RECT visible_rect(HWND window) {
    RECT rect = {}, screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, clipped = {};
    if (GetWindowRect(window, &rect)) IntersectRect(&clipped, &rect, &screen);
    return clipped;
}

// Copies the screen area into R, G, B rows.  The bitmap is 24-bit BGR,
// bottom-up unless the height is negative, with rows padded to 4 bytes.
bool read_screen(const RECT& rect, std::vector<uint8_t>* rgb) {
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    BITMAPINFO info = {};
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
        const uint8_t* from = static_cast<const uint8_t*>(bits);
        rgb->resize(static_cast<size_t>(width) * height * 3);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    (*rgb)[(static_cast<size_t>(y) * width + x) * 3 + c] = from[y * stride + x * 3 + 2 - c];
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return read;
}

}  // namespace

bool save_window_picture(HWND window, const std::string& path) {
    RECT rect = visible_rect(window);
    if (IsRectEmpty(&rect)) return false;
    std::vector<uint8_t> rgb;
    if (!read_screen(rect, &rgb)) return false;
    std::string png = png_bytes(rect.right - rect.left, rect.bottom - rect.top, rgb);
    return !png.empty() && write_file(path, png);
}
