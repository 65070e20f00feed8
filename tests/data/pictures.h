// The test pictures of this folder, compiled into the test programs that
// decode them (kit_embed in their CMakeLists).
#pragma once

#include <cstddef>

extern const unsigned char test_blocks_jpg[];   // 32 x 32: red, green, blue and white blocks
extern const size_t test_blocks_jpg_size;
extern const unsigned char test_wide301_jpg[];  // 301 x 24: bands of red, green and blue
extern const size_t test_wide301_jpg_size;
extern const unsigned char test_gray_jpg[];     // 24 x 8, grey levels
extern const size_t test_gray_jpg_size;
