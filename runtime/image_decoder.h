// The registry of image decoders behind load_image_from_memory.
#pragma once

#include <cstddef>

// One picture format.  The loader asks each registered decoder in turn to
// check the data; the first that accepts becomes current and keeps its state
// until the loader calls decode or discard, exactly once.
struct ImageDecoder {
    // Non-zero when the decoder accepts the data and has read its header.
    int (*check)(const void* data, size_t length);
    // Writes height rows of width B, G, R pixels, row y at buffer + y * stride,
    // then ends the decoding.  Rows it cannot decode are left as they are.
    void (*decode)(unsigned char* buffer, size_t stride, int flags);
    // Ends an accepted decoding without reading the pixels.
    void (*discard)();
    int (*width)();
    int (*height)();
};

// Adds a decoder after those already registered; a decoder registered before
// is left where it is.  Non-zero when the decoder is registered, 0 when the
// registry is full.
int register_image_decoder(const ImageDecoder* decoder);

extern const ImageDecoder JPEG_DECODER;
