#include "runtime/code_page.h"

namespace {

// The characters of Windows-1252's bytes 0x80 to 0x9F; 0 where it has none.
const unsigned short HIGH_CONTROLS[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void append_utf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The Windows-1252 byte of a character, or -1.  The five bytes the code
// page leaves undefined stand for their own code points both ways.
int windows1252_byte(unsigned code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<int>(code);
    if (code < 0xA0 && !HIGH_CONTROLS[code - 0x80]) return static_cast<int>(code);
    for (int i = 0; i < 32; ++i)
        if (HIGH_CONTROLS[i] == code) return 0x80 + i;
    return -1;
}

}  // namespace

std::string windows1252_to_utf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        unsigned byte = static_cast<unsigned char>(c);
        unsigned code = byte;
        if (byte >= 0x80 && byte < 0xA0 && HIGH_CONTROLS[byte - 0x80]) code = HIGH_CONTROLS[byte - 0x80];
        append_utf8(out, code);
    }
    return out;
}

namespace {

// One character of UTF-8 text at `at`: its code and length; false for bytes
// that are not UTF-8.
bool next_utf8(std::string_view text, size_t at, unsigned* code, size_t* length) {
    unsigned char lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) *code = lead, *length = 1;
    else if ((lead & 0xE0) == 0xC0) *code = lead & 0x1F, *length = 2;
    else if ((lead & 0xF0) == 0xE0) *code = lead & 0x0F, *length = 3;
    else if ((lead & 0xF8) == 0xF0) *code = lead & 0x07, *length = 4;
    else return false;
    if (at + *length > text.size()) return false;
    for (size_t k = 1; k < *length; ++k) {
        unsigned char next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) return false;
        *code = *code << 6 | (next & 0x3F);
    }
    // Overlong forms are not UTF-8.
    return !((*length == 2 && *code < 0x80) || (*length == 3 && *code < 0x800) || (*length == 4 && *code < 0x10000));
}

}  // namespace

std::string utf8_to_windows1252_shown(std::string_view text) {
    std::string result;
    for (size_t i = 0; i < text.size();) {
        unsigned code = 0;
        size_t length = 1;
        int byte = next_utf8(text, i, &code, &length) ? windows1252_byte(code) : -1;
        result += byte < 0 ? '?' : static_cast<char>(byte);
        i += length;
    }
    return result;
}

bool is_utf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        unsigned code = 0;
        size_t length = 1;
        if (!next_utf8(text, i, &code, &length) || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
        i += length;
    }
    return true;
}

std::string decode_stored_text(std::string_view bytes) {
    std::string_view mark = UTF8_MARK;
    if (bytes.substr(0, mark.size()) != mark) return windows1252_to_utf8(bytes);
    bytes.remove_prefix(mark.size());
    return is_utf8(bytes) ? std::string(bytes) : windows1252_to_utf8(bytes);
}

std::string decode_stored_line(std::string_view line, bool utf8_form) {
    return utf8_form && is_utf8(line) ? std::string(line) : windows1252_to_utf8(line);
}

// Windows-1252 bytes that begin as the mark does ("ï»¿") would read back
// as the mark: such a text takes the UTF-8 form.
std::string encode_stored_text(std::string_view text) {
    std::string single_bytes;
    if (utf8_to_windows1252(text, &single_bytes) && single_bytes.compare(0, 3, UTF8_MARK) != 0) return single_bytes;
    return UTF8_MARK + std::string(text);
}

bool utf8_to_windows1252(std::string_view text, std::string* out) {
    std::string result;
    for (size_t i = 0; i < text.size();) {
        unsigned code = 0;
        size_t length = 1;
        if (!next_utf8(text, i, &code, &length)) return false;
        int byte = windows1252_byte(code);
        if (byte < 0) return false;
        result += static_cast<char>(byte);
        i += length;
    }
    *out = result;
    return true;
}
