// Pictures in gadgets.  Image views: a notifying static control that paints
// its bitmap itself and takes the bitmap's size.  Image buttons: a button
// showing a bitmap (BM_SETIMAGE).  The bitmaps belong to the caller (the
// image table); the gadgets only show them.  Pictures are made for 96 dpi:
// at another scale a gadget shows a copy brought to that scale with a
// smooth filter, which it owns and makes again when the scale changes.
#include "runtime/gadget.h"
#include "runtime/control_styles.h"
#include "runtime/display_scale.h"
#include "runtime/gadget_internal.h"
#include "runtime/pixel_scale.h"
#include "runtime/window_internal.h"

namespace {

constexpr wchar_t BITMAP_PROPERTY[] = L"KitBitmap";         // the caller's bitmap
constexpr wchar_t SCALED_PROPERTY[] = L"KitScaledBitmap";   // the copy at the gadget's scale, owned

bool bitmap_size(HBITMAP bitmap, SIZE& size) {
    BITMAP info;
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return false;
    size = SIZE{info.bmWidth, info.bmHeight};
    return true;
}

BITMAPINFO top_down_32_bits(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// `source` brought to width x height; nullptr when it cannot be.
HBITMAP scaled_copy(HBITMAP source, SIZE from, int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(from.cx) * from.cy);
    BITMAPINFO info = top_down_32_bits(from.cx, from.cy);
    HDC screen = GetDC(nullptr);
    int rows = GetDIBits(screen, source, 0, from.cy, pixels.data(), &info, DIB_RGB_COLORS);
    HBITMAP copy = nullptr;
    if (rows == from.cy) {
        std::vector<uint32_t> result = scale_pixels(pixels.data(), from.cx, from.cy, width, height);
        BITMAPINFO to = top_down_32_bits(width, height);
        void* bits = nullptr;
        copy = CreateDIBSection(screen, &to, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (copy) CopyMemory(bits, result.data(), result.size() * sizeof result[0]);
    }
    ReleaseDC(nullptr, screen);
    return copy;
}

// The bitmap `gadget` shows for the caller's `bitmap`: itself at 96 dpi,
// else its copy at the gadget's scale, which replaces the one it had.
HBITMAP picture_at_scale(HWND gadget, HBITMAP bitmap) {
    SetPropW(gadget, BITMAP_PROPERTY, bitmap);
    if (HANDLE old = RemovePropW(gadget, SCALED_PROPERTY)) DeleteObject(old);
    int dpi = window_dpi(gadget);
    SIZE size;
    if (dpi == DESIGN_DPI || !bitmap_size(bitmap, size)) return bitmap;
    HBITMAP copy = scaled_copy(bitmap, size, scaled(size.cx, dpi), scaled(size.cy, dpi));
    if (!copy) return bitmap;
    SetPropW(gadget, SCALED_PROPERTY, copy);
    return copy;
}

void forget_pictures(HWND gadget) {
    RemovePropW(gadget, BITMAP_PROPERTY);
    if (HANDLE copy = RemovePropW(gadget, SCALED_PROPERTY)) DeleteObject(copy);
}

HBITMAP shown_picture(HWND view) {
    HANDLE copy = GetPropW(view, SCALED_PROPERTY);
    return static_cast<HBITMAP>(copy ? copy : GetPropW(view, BITMAP_PROPERTY));
}

void paint_image(HWND view) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(view, &ps);
    HBITMAP bitmap = shown_picture(view);
    SIZE size;
    if (bitmap_size(bitmap, size)) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(dc, 0, 0, size.cx, size.cy, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
    } else {
        FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
    }
    EndPaint(view, &ps);
}

LRESULT CALLBACK image_view_proc(HWND view, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT) {
        paint_image(view);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;  // WM_PAINT covers the whole view
    if (message == WM_NCDESTROY) forget_pictures(view);
    return call_base_proc(view, message, wparam, lparam);
}

// Shows `bitmap`: the area the view covered is repainted and the view takes
// the size of the picture it shows (4 more each way with a sunken edge) at
// its position.
void set_image(HWND view, HBITMAP bitmap) {
    HWND parent = GetParent(view);
    RECT old;
    GetWindowRect(view, &old);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&old), 2);
    InvalidateRect(parent, &old, TRUE);
    SIZE size;
    if (bitmap_size(picture_at_scale(view, bitmap), size)) {
        int edge = (GetWindowLongW(view, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) ? 4 : 0;
        SetWindowPos(view, nullptr, 0, 0, size.cx + edge, size.cy + edge,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(view, nullptr, FALSE);
}

void rescale_image_view(GadgetRecord& g, int) {
    set_image(g.window, static_cast<HBITMAP>(GetPropW(g.window, BITMAP_PROPERTY)));
}

// The button keeps the caller's bitmap and shows its copy at its scale;
// it answers with the caller's bitmap it showed before.
LRESULT CALLBACK image_button_proc(HWND button, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == BM_SETIMAGE && wparam == IMAGE_BITMAP) {
        HANDLE before = GetPropW(button, BITMAP_PROPERTY);
        HBITMAP shown = picture_at_scale(button, reinterpret_cast<HBITMAP>(lparam));
        call_base_proc(button, message, wparam, reinterpret_cast<LPARAM>(shown));
        return reinterpret_cast<LRESULT>(before);
    }
    LRESULT result = call_base_proc(button, message, wparam, lparam);
    if (message == WM_NCDESTROY) forget_pictures(button);
    return result;
}

}  // namespace

const GadgetKindOps IMAGE_VIEW_KIND{.rescale = rescale_image_view};

void show_scaled_images(HWND button) { subclass_control(button, image_button_proc); }

void rescale_button_image(GadgetRecord& g, int) {
    if (GetPropW(g.window, BITMAP_PROPERTY))
        SendMessageW(g.window, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(GetPropW(g.window, BITMAP_PROPERTY)));
}

intptr_t create_image_view(int number, int x, int y, int width, int height, HBITMAP bitmap,
                           uint32_t extended_style) {
    int id = begin_gadget(number);
    if (id < 0) return 0;
    GadgetRecord g;
    g.ops = &IMAGE_VIEW_KIND;
    g.place = GadgetPlace{x, y, width, height};
    g.window = create_control(id, gadget_parent(), L"STATIC", IMAGE_VIEW_STYLE, extended_style, g.place, "");
    if (g.window) {
        subclass_control(g.window, image_view_proc);
        set_image(g.window, bitmap);
    }
    return end_gadget(number, id, g);
}
