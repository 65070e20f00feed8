// A PNG writer for screenshots: 8-bit RGB, no filtering, the image data in
// stored (uncompressed) deflate blocks.  No Win32 here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The bytes of a PNG file for width x height pixels given as rows of
// R, G, B bytes, top row first (3 * width * height bytes).  "" when the
// sizes do not fit the pixels.
std::string png_bytes(int width, int height, const std::vector<uint8_t>& rgb);

// The checksums the format asks for, exposed for checking.
uint32_t png_crc32(const std::string& bytes);
uint32_t zlib_adler32(const std::string& bytes);
