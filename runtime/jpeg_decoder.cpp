// JPEG pictures held in memory, decoded with libjpeg (IJG 6b interface).
//
// A fatal library error longjmps back to the decoder's recovery point.  The
// jump crosses only the library's C frames and the plain functions of this
// file, so nothing here may hold a C++ object with a destructor; the state is
// one plain record.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#include "runtime/image_decoder.h"

static_assert(JPEG_LIB_VERSION == 62, "the decoder is written for the IJG 6b interface");

namespace {

struct JpegDecoder {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    jpeg_source_mgr source;
    jmp_buf recovery;
    const JOCTET* data;
    size_t length;
    bool data_handed_over;
    JSAMPARRAY row;  // one output row, in the library's image pool
    int width;
    int height;
};

JpegDecoder jpeg;

constexpr JOCTET END_OF_IMAGE[] = {0xFF, JPEG_EOI};

// The library's working memory for one picture; the programs' own need a
// few hundred kilobytes.
constexpr long MAX_DECODER_MEMORY = 64L << 20;

void on_fatal_error(j_common_ptr) {
    longjmp(jpeg.recovery, 1);
}

void init_source(j_decompress_ptr) {}
void term_source(j_decompress_ptr) {}

// The first request hands the library the whole block, which it then reads in
// place.  Only data that ends without an end-of-image marker asks again: it
// gets one, with the library's premature-end warning, so the missing rows come
// out blank instead of the library reading past the data.
boolean fill_input_buffer(j_decompress_ptr info) {
    if (!jpeg.data_handed_over) {
        jpeg.data_handed_over = true;
        info->src->next_input_byte = jpeg.data;
        info->src->bytes_in_buffer = jpeg.length;
        return TRUE;
    }
    WARNMS(info, JWRN_JPEG_EOF);
    info->src->next_input_byte = END_OF_IMAGE;
    info->src->bytes_in_buffer = sizeof END_OF_IMAGE;
    return TRUE;
}

// The library's usual skip: past the end of the data, the supplied
// end-of-image bytes are skipped over as often as needed.
void skip_input_data(j_decompress_ptr info, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* source = info->src;
    size_t left = static_cast<size_t>(count);
    while (left > source->bytes_in_buffer) {
        left -= source->bytes_in_buffer;
        fill_input_buffer(info);
    }
    source->next_input_byte += left;
    source->bytes_in_buffer -= left;
}

void attach_memory_source() {
    jpeg.data_handed_over = false;
    jpeg.source.next_input_byte = nullptr;
    jpeg.source.bytes_in_buffer = 0;
    jpeg.source.init_source = init_source;
    jpeg.source.fill_input_buffer = fill_input_buffer;
    jpeg.source.skip_input_data = skip_input_data;
    jpeg.source.resync_to_restart = jpeg_resync_to_restart;
    jpeg.source.term_source = term_source;
    jpeg.info.src = &jpeg.source;
}

// Reads the header and starts decompression to R, G, B rows at full size
// (grayscale too).  false when the picture cannot give such rows.
bool start_rgb_output() {
    if (jpeg_read_header(&jpeg.info, TRUE) != JPEG_HEADER_OK) return false;
    jpeg.info.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&jpeg.info);
    jpeg_start_decompress(&jpeg.info);
    if (jpeg.info.output_components != 3) return false;
    const JDIMENSION row_bytes = (jpeg.info.output_width * 3 + 3) & ~JDIMENSION(3);
    jpeg.row = (*jpeg.info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&jpeg.info), JPOOL_IMAGE,
                                              row_bytes, 1);
    jpeg.width = static_cast<int>(jpeg.info.output_width);
    jpeg.height = static_cast<int>(jpeg.info.output_height);
    return true;
}

// Non-zero when the data is a JPEG picture the library can decode; the
// decompression object then lives on until decode or discard.
int check_jpeg(const void* data, size_t length) {
    jpeg.data = static_cast<const JOCTET*>(data);
    jpeg.length = length;
    if (length < 2 || jpeg.data[0] != 0xFF || jpeg.data[1] != 0xD8) return 0;

    jpeg.info.err = jpeg_std_error(&jpeg.errors);
    jpeg.errors.error_exit = on_fatal_error;
    jpeg.errors.trace_level = 0;
    if (setjmp(jpeg.recovery) == 0) {
        jpeg_CreateDecompress(&jpeg.info, 62, sizeof(jpeg_decompress_struct));
        // A picture whose decoding would need more working memory than this
        // (a progressive one claiming tens of thousands of pixels a side
        // asks for gigabytes before its first row) is refused instead: the
        // library has no backing store to fall back on and stops with an
        // error.
        jpeg.info.mem->max_memory_to_use = MAX_DECODER_MEMORY;
        attach_memory_source();
        if (start_rgb_output()) return 1;
    }
    jpeg_destroy_decompress(&jpeg.info);
    return 0;
}

// Stores each R, G, B row as B, G, R at buffer + y * stride.
void read_rows(unsigned char* buffer, size_t stride) {
    while (jpeg.info.output_scanline < jpeg.info.output_height) {
        unsigned char* out = buffer + jpeg.info.output_scanline * stride;
        if (jpeg_read_scanlines(&jpeg.info, jpeg.row, 1) != 1) return;
        const JSAMPLE* in = jpeg.row[0];
        for (int x = 0; x < jpeg.width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
}

// A fatal library error ends the rows early; those already stored stay.
void decode_jpeg(unsigned char* buffer, size_t stride, int) {
    if (setjmp(jpeg.recovery) == 0) {
        read_rows(buffer, stride);
        jpeg_finish_decompress(&jpeg.info);
    }
    jpeg_destroy_decompress(&jpeg.info);
}

void discard_jpeg() {
    jpeg_destroy_decompress(&jpeg.info);
}

int jpeg_width() { return jpeg.width; }
int jpeg_height() { return jpeg.height; }

}  // namespace

const ImageDecoder JPEG_DECODER = {check_jpeg, decode_jpeg, discard_jpeg, jpeg_width, jpeg_height};
