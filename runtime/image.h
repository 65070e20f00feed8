// Pictures held inside the programs, decoded into numbered screen bitmaps.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// Registers the JPEG decoder once; non-zero.  In the runtime_jpeg library:
// only the programs that call it link libjpeg.
int enable_jpeg_decoder();

// Decodes a complete image file held in memory (a JPEG, or a "BM" bitmap
// file) into image `number`, replacing any image of that number.  Returns the
// bitmap handle (the identifier for -1), 0 when no decoder accepts the data.
intptr_t load_image_from_memory(int number, const void* data, size_t length);
HBITMAP image_handle(int number);  // 0 when there is no such image

void release_images();
