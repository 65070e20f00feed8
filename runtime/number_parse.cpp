// A number read from text.  Apart from the other text helpers because it
// brings in the C library's decimal conversion, which only the programs that
// read a number should carry.
#include "runtime/text.h"

#include <cstdlib>

namespace {

bool digit(char c) { return c >= '0' && c <= '9'; }
bool blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

float text_to_float(const std::string& text) {
    // Only a plain decimal number is taken: no hexadecimal, "inf" or "nan"
    // as the C library would also accept.
    size_t i = 0;
    while (i < text.size() && (blank(text[i]) || text[i] == '\n' || text[i] == '\r')) ++i;
    size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < text.size() && digit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && digit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return 0.0f;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t e = i + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
        if (e < text.size() && digit(text[e])) {
            i = e;
            while (i < text.size() && digit(text[i])) ++i;
        }
    }
    std::string number = text.substr(start, i - start);
    return static_cast<float>(std::strtod(number.c_str(), nullptr));
}
