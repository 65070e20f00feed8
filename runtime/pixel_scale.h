// Pictures brought to another size with a smooth filter, for the screens
// whose scale is not the 96 dpi the pictures were made for.  Pure pixel
// work, no system calls.
#pragma once

#include <cstdint>
#include <vector>

// `source` holds width x height pixels of four 8-bit channels, row after
// row.  Each pixel of the result takes the four source pixels around the
// point it stands for, weighted by their distance to it (bilinear), so a
// picture grows without steps and shrinks without dropping whole rows.
// Empty sizes give an empty result.
std::vector<uint32_t> scale_pixels(const uint32_t* source, int width, int height, int new_width, int new_height);
