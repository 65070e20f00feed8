// A number written as text.  Apart from the other text helpers because it
// brings in the C library's formatted printing, which only the programs that
// show a number should carry.
#include "runtime/text.h"

#include <algorithm>
#include <cstdio>

std::string format_decimal(float value, int decimals) {
    char buffer[400];  // the widest float in "%f" has 39 integer digits
    if (decimals < 0) {
        std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(value));
    } else {
        std::snprintf(buffer, sizeof buffer, "%.*f", std::min(decimals, 100), static_cast<double>(value));
    }
    return buffer;
}
