// JPEG data through the decoder's memory source and libjpeg, to rows of
// B, G, R pixels as the image loader asks for them.
#include <vector>

#include "runtime/image_decoder.h"
#include "tests/fuzz/fuzz_target.h"

// The loader takes pictures up to 65535 pixels a side; a buffer for the
// largest takes 12 GB.  Here the rows of pictures above four million
// pixels are not read, so that a run never stops on the fuzzer's memory
// limit; their headers are still checked and the decoding ended.
constexpr size_t MAX_DECODED_PIXELS = size_t(1) << 22;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!JPEG_DECODER.check(data, size)) return 0;
    const int width = JPEG_DECODER.width();
    const int height = JPEG_DECODER.height();
    if (width <= 0 || height <= 0 || size_t(width) * size_t(height) > MAX_DECODED_PIXELS) {
        JPEG_DECODER.discard();
        return 0;
    }
    const size_t stride = size_t(width) * 3 + width % 4;
    std::vector<unsigned char> rows(stride * (size_t(height) + 1));
    JPEG_DECODER.decode(rows.data(), stride, 0);
    return 0;
}
