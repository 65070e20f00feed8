#include "installer/size_format.h"

#include "runtime/text.h"

std::string format_size(int64_t bytes, int unit, int decimals, int automatic) {
    if (automatic) {
        // Thresholds are powers of ten while the divisors are powers of two,
        // so 1,000 bytes read "0.98 Ko".
        unit = 0;
        decimals = 0;
        if (bytes >= 1000) unit = 1, decimals = 2;
        if (bytes >= 10000) unit = 1, decimals = 1;
        if (bytes >= 1000000) unit = 2, decimals = 2;
        if (bytes >= 10000000) unit = 2, decimals = 1;
    }
    double divisor = 1.0;
    const char* suffix = " octects";
    if (unit == 1) divisor = 1024.0, suffix = " Ko";
    if (unit == 2) divisor = 1048576.0, suffix = " Mo";
    float quotient = static_cast<float>(static_cast<double>(bytes) / divisor);
    return format_decimal(quotient, decimals) + suffix;
}
