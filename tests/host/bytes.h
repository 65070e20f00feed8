// Texts for the host tests: readable UTF-8 in the test source, compared as
// the Windows-1252 bytes the kit uses.
#pragma once

#include <string>

// The Windows-1252 bytes of a UTF-8 text whose characters all lie in
// U+0000 to U+00FF (Windows-1252 and Latin-1 agree there, but for the C1
// range, which no text of the kit uses); "?" for anything else.
inline std::string cp1252(const std::string& utf8) {
    std::string bytes;
    for (size_t i = 0; i < utf8.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
            unsigned char next = static_cast<unsigned char>(utf8[++i]);
            unsigned code = (c & 0x1Fu) << 6 | (next & 0x3Fu);
            bytes += code >= 0xA0 ? static_cast<char>(code) : '?';
        } else {
            bytes += '?';
        }
    }
    return bytes;
}
