#include "checker/report.h"

#include <algorithm>
#include <cstdio>

#include "runtime/text.h"

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

// The Windows-1252 byte of a character, or -1.
int windows1252_byte(unsigned code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<int>(code);
    for (int i = 0; i < 32; ++i)
        if (HIGH_CONTROLS[i] == code) return 0x80 + i;
    return -1;
}

size_t edit_distance(std::string_view a, std::string_view b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t above = row[j];
            size_t change = ascii_lower(a[i - 1]) == ascii_lower(b[j - 1]) ? 0 : 1;
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + change});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

void add_diagnostic(CheckReport& report, const std::string& file, int line, Severity severity,
                    const std::string& message) {
    report.diagnostics.push_back({file, line, severity, message});
}

std::string diagnostic_text(const Diagnostic& d) {
    std::string text = d.file;
    if (d.line > 0) {
        text += ':';
        text += std::to_string(d.line);
    }
    text += d.severity == SEVERITY_ERROR ? ": error: " : ": warning: ";
    return text + d.message;
}

int check_exit_code(const CheckReport& report) {
    int code = 0;
    for (const Diagnostic& d : report.diagnostics) code = std::max(code, static_cast<int>(d.severity));
    return code;
}

std::string nearest_name(std::string_view name, const std::vector<std::string>& known, size_t* distance) {
    std::string best;
    size_t best_distance = static_cast<size_t>(-1);
    // Names longer than any the kit reads are not worth a full comparison.
    std::string_view head = name.substr(0, 200);
    for (const std::string& candidate : known) {
        size_t d = edit_distance(head, candidate);
        if (d < best_distance) best = candidate, best_distance = d;
    }
    if (distance) *distance = best_distance;
    return best;
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

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
