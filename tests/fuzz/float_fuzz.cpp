// Decimal numbers as the splash program reads its seconds: text_to_float,
// the tick count, and the number printed back.
#include <string>

#include "runtime/text.h"
#include "splash/timeout.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(fuzz_bytes(data, size));
    float value = text_to_float(text);
    splash_ticks(text);
    int decimals = size > 0 ? static_cast<int8_t>(data[0]) : -1;
    format_decimal(value, decimals);
    return 0;
}
