// "BM" files: the header check, then every byte it vouches for is read, as
// the drawing code would read it, so that a check that lets a file claim
// more than it holds shows as a read past the input.
#include "runtime/bitmap_file.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || data[0] != 'B' || data[1] != 'M') return 0;
    BitmapFile file;
    if (!read_bitmap_file(data, size, file)) return 0;
    const unsigned char* info = file.info.data();
    const unsigned bits = info[14] | info[15] << 8;
    const size_t row_bytes = (size_t(file.width) * bits + 31) / 32 * 4;
    volatile unsigned sum = 0;
    for (unsigned char b : file.info) sum = sum + b;
    for (size_t i = 0; i < row_bytes * size_t(file.height); ++i) sum = sum + file.pixels[i];
    return 0;
}
