// "BM" bitmap files held in memory: their headers checked against the data
// before anything draws from them.  Pure byte handling, no system calls.
#pragma once

#include <cstddef>
#include <vector>

// Widths and heights are kept in 16 bits; larger pictures are not loaded.
constexpr int MAX_IMAGE_SIDE = 0xFFFF;

// Sizes of the file's two headers, as Windows lays them out.
constexpr size_t BITMAP_FILE_HEADER_SIZE = 14;
constexpr size_t BITMAP_INFO_HEADER_SIZE = 40;

// A checked "BM" file, with its header rewritten as a plain 40-byte info
// header followed by its masks and colour table, so that the drawing code
// reads nothing past the data whatever header version the file has.
struct BitmapFile {
    std::vector<unsigned char> info;      // BITMAPINFO bytes: header, masks, colours
    const unsigned char* pixels = nullptr;  // inside the checked data
    int width = 0;
    int height = 0;  // rows, whichever way the file stores them
};

// True when data[0..length) is a bitmap file whose headers, colour table and
// rows all lie inside the data; file then describes it.
bool read_bitmap_file(const unsigned char* data, size_t length, BitmapFile& file);
