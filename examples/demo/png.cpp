#include "examples/demo/png.h"

namespace {

// A stored deflate block holds at most 65535 bytes.
constexpr size_t STORED_BLOCK_LIMIT = 65535;

void put_u32(std::string& out, uint32_t value) {
    out += static_cast<char>(value >> 24);
    out += static_cast<char>(value >> 16);
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value);
}

// Length, type, data, and the CRC of type and data.
void put_chunk(std::string& out, const char* type, const std::string& data) {
    put_u32(out, static_cast<uint32_t>(data.size()));
    std::string typed = std::string(type, 4) + data;
    out += typed;
    put_u32(out, png_crc32(typed));
}

// A zlib stream (RFC 1950) whose deflate data (RFC 1951) is a run of
// stored blocks: header byte, then LEN and its complement, little-endian.
std::string zlib_stored(const std::string& raw) {
    std::string out = "\x78\x01";  // deflate, 32 KiB window, no preset dictionary
    size_t at = 0;
    do {
        size_t length = raw.size() - at < STORED_BLOCK_LIMIT ? raw.size() - at : STORED_BLOCK_LIMIT;
        bool last = at + length == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        out += static_cast<char>(length & 0xFF);
        out += static_cast<char>(length >> 8);
        out += static_cast<char>(~length & 0xFF);
        out += static_cast<char>((~length >> 8) & 0xFF);
        out.append(raw, at, length);
        at += length;
    } while (at < raw.size());
    put_u32(out, zlib_adler32(raw));
    return out;
}

}  // namespace

uint32_t png_crc32(const std::string& bytes) {
    static uint32_t table[256];
    static bool made = false;
    if (!made) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        made = true;
    }
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

uint32_t zlib_adler32(const std::string& bytes) {
    constexpr uint32_t MOD = 65521;
    uint32_t a = 1, b = 0;
    for (unsigned char byte : bytes) {
        a = (a + byte) % MOD;
        b = (b + a) % MOD;
    }
    return (b << 16) | a;
}

std::string png_bytes(int width, int height, const std::vector<uint8_t>& rgb) {
    if (width <= 0 || height <= 0 ||
        rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3)
        return "";
    std::string header;
    put_u32(header, static_cast<uint32_t>(width));
    put_u32(header, static_cast<uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter choice, no interlace
    std::string raw;
    size_t row = static_cast<size_t>(width) * 3;
    raw.reserve((row + 1) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        raw += '\0';  // filter type 0: the row as it is
        raw.append(reinterpret_cast<const char*>(rgb.data()) + row * static_cast<size_t>(y), row);
    }
    std::string out = "\x89PNG\r\n\x1A\n";
    put_chunk(out, "IHDR", header);
    put_chunk(out, "IDAT", zlib_stored(raw));
    put_chunk(out, "IEND", "");
    return out;
}
