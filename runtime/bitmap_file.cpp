#include "runtime/bitmap_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// Compression codes of the info header.
constexpr uint32_t COMPRESSION_NONE = 0;       // BI_RGB
constexpr uint32_t COMPRESSION_BITFIELDS = 3;  // BI_BITFIELDS: three colour masks

// Offsets inside the 40-byte info header.
constexpr size_t INFO_SIZE = 0;
constexpr size_t INFO_WIDTH = 4;
constexpr size_t INFO_HEIGHT = 8;
constexpr size_t INFO_PLANES = 12;
constexpr size_t INFO_BIT_COUNT = 14;
constexpr size_t INFO_COMPRESSION = 16;
constexpr size_t INFO_COLOURS_USED = 32;

// The bitmap file header's offset of the first pixel row.
constexpr size_t FILE_PIXEL_OFFSET = 10;

uint16_t read16(const unsigned char* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

uint32_t read32(const unsigned char* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

void write32(unsigned char* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

bool valid_bit_count(unsigned bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

bool read_bitmap_file(const unsigned char* data, size_t length, BitmapFile& file) {
    if (!data || length < BITMAP_FILE_HEADER_SIZE + BITMAP_INFO_HEADER_SIZE) return false;
    const unsigned char* info = data + BITMAP_FILE_HEADER_SIZE;
    const uint32_t header_size = read32(info + INFO_SIZE);
    const int32_t width = static_cast<int32_t>(read32(info + INFO_WIDTH));
    const int32_t height = static_cast<int32_t>(read32(info + INFO_HEIGHT));
    const unsigned bits = read16(info + INFO_BIT_COUNT);
    const uint32_t compression = read32(info + INFO_COMPRESSION);
    const uint32_t colours_used = read32(info + INFO_COLOURS_USED);
    const uint32_t pixel_offset = read32(data + FILE_PIXEL_OFFSET);
    const bool masks = compression == COMPRESSION_BITFIELDS;

    if (header_size < BITMAP_INFO_HEADER_SIZE || header_size > length - BITMAP_FILE_HEADER_SIZE) return false;
    if (width <= 0 || width > MAX_IMAGE_SIDE || height == 0 || height < -MAX_IMAGE_SIDE ||
        height > MAX_IMAGE_SIDE || read16(info + INFO_PLANES) != 1)
        return false;
    if (compression != COMPRESSION_NONE && !(masks && (bits == 16 || bits == 32))) return false;
    if (!valid_bit_count(bits)) return false;
    const size_t colour_limit = bits <= 8 ? size_t(1) << bits : 256;
    const size_t colours = colours_used ? colours_used : (bits <= 8 ? colour_limit : 0);
    if (colours > colour_limit) return false;
    // Masks follow a 40-byte header and sit inside the larger ones, at the same place.
    const size_t mask_bytes = masks ? 3 * 4 : 0;
    const size_t table_at =
        BITMAP_FILE_HEADER_SIZE + std::max<size_t>(header_size, BITMAP_INFO_HEADER_SIZE + mask_bytes);
    const size_t table_bytes = colours * 4;
    const size_t row_bytes = (size_t(width) * bits + 31) / 32 * 4;
    const size_t rows = size_t(height < 0 ? -int64_t(height) : height);
    if (table_at + table_bytes > length || pixel_offset > length || row_bytes * rows > length - pixel_offset)
        return false;

    file.info.assign(BITMAP_INFO_HEADER_SIZE + mask_bytes + table_bytes, 0);
    std::memcpy(file.info.data(), info, BITMAP_INFO_HEADER_SIZE);
    write32(file.info.data() + INFO_SIZE, BITMAP_INFO_HEADER_SIZE);
    write32(file.info.data() + INFO_COLOURS_USED, static_cast<uint32_t>(colours));
    std::memcpy(file.info.data() + BITMAP_INFO_HEADER_SIZE, info + BITMAP_INFO_HEADER_SIZE, mask_bytes);
    std::memcpy(file.info.data() + BITMAP_INFO_HEADER_SIZE + mask_bytes, data + table_at, table_bytes);
    file.pixels = data + pixel_offset;
    file.width = width;
    file.height = static_cast<int>(rows);
    return true;
}
