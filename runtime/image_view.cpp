// Image views: a notifying static control that paints its bitmap itself and
// takes the bitmap's size.  The bitmap belongs to the caller (the image
// table); the view only shows it.
#include "runtime/gadget.h"
#include "runtime/control_styles.h"
#include "runtime/gadget_internal.h"

namespace {

constexpr char BITMAP_PROPERTY[] = "KitBitmap";

bool bitmap_size(HBITMAP bitmap, SIZE& size) {
    BITMAP info;
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return false;
    size = SIZE{info.bmWidth, info.bmHeight};
    return true;
}

void paint_image(HWND view) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(view, &ps);
    HBITMAP bitmap = static_cast<HBITMAP>(GetPropA(view, BITMAP_PROPERTY));
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
    if (message == WM_NCDESTROY) RemovePropA(view, BITMAP_PROPERTY);
    return call_base_proc(view, message, wparam, lparam);
}

// Shows `bitmap`: the area the view covered is repainted and the view takes
// the bitmap's size (4 more each way with a sunken edge) at its position.
void set_image(HWND view, HBITMAP bitmap) {
    HWND parent = GetParent(view);
    RECT old;
    GetWindowRect(view, &old);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&old), 2);
    InvalidateRect(parent, &old, TRUE);
    SetPropA(view, BITMAP_PROPERTY, bitmap);
    SIZE size;
    if (bitmap_size(bitmap, size)) {
        int edge = (GetWindowLongA(view, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) ? 4 : 0;
        SetWindowPos(view, nullptr, 0, 0, size.cx + edge, size.cy + edge,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(view, nullptr, FALSE);
}

}  // namespace

const GadgetKindOps IMAGE_VIEW_KIND{};

intptr_t create_image_view(int number, int x, int y, int width, int height, HBITMAP bitmap,
                           uint32_t extended_style) {
    int id = begin_gadget(number);
    if (id < 0) return 0;
    GadgetRecord g;
    g.ops = &IMAGE_VIEW_KIND;
    g.window = create_control(id, gadget_parent(), "STATIC", IMAGE_VIEW_STYLE, extended_style,
                              {x, y, width, height}, "");
    if (g.window) {
        subclass_control(g.window, image_view_proc);
        set_image(g.window, bitmap);
    }
    return end_gadget(number, id, g);
}
