#include "runtime/window_style.h"

uint32_t window_style(uint32_t flags) {
    uint32_t rest = flags & ~(WINDOW_SCREEN_CENTERED | WINDOW_PARENT_CENTERED);
    uint32_t style = rest & ~WINDOW_INVISIBLE;
    if (!(rest & WINDOW_INVISIBLE)) style |= NATIVE_VISIBLE;
    if (rest == 0 || rest == WINDOW_INVISIBLE) style |= NATIVE_CAPTION;
    return style;
}
