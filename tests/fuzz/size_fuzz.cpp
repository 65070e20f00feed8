// The disk-space text for every 64-bit byte count, unit and number of
// decimals.
#include <cstring>

#include "installer/size_format.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int64_t bytes = 0;
    std::memcpy(&bytes, data, size < sizeof bytes ? size : sizeof bytes);
    int unit = size > 8 ? static_cast<int8_t>(data[8]) : 0;
    int decimals = size > 9 ? static_cast<int8_t>(data[9]) : 0;
    int automatic = size > 10 ? data[10] & 1 : 1;
    format_size(bytes, unit, decimals, automatic);
    format_size(bytes, 0, 0, 1);
    return 0;
}
