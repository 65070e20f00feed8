#include "splash/timeout.h"

#include <cfenv>
#include <cmath>

#include "runtime/text.h"

int32_t splash_ticks(const std::string& parameter) {
    if (parameter.empty()) return DEFAULT_SPLASH_TICKS;
    float ticks = text_to_float(parameter) * 100.0f;
    // Beyond the 32-bit range the count saturates instead of wrapping.
    if (!(ticks < 2147483520.0f)) return INT32_MAX;
    if (ticks < -2147483648.0f) return INT32_MIN;
    std::fesetround(FE_TONEAREST);
    return static_cast<int32_t>(std::nearbyint(ticks));
}
