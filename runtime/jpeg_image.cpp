// JPEG pictures for the image loader.  A program that shows one asks for the
// decoder at its start; kept apart from the loader so that the programs that
// never ask do not carry libjpeg.
#include "runtime/image.h"
#include "runtime/image_decoder.h"

int enable_jpeg_decoder() {
    register_image_decoder(&JPEG_DECODER);
    return 1;
}
