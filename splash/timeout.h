// The splash program's display time.
#pragma once

#include <cstdint>
#include <string>

constexpr int32_t DEFAULT_SPLASH_TICKS = 600;  // 6 seconds of 10 ms ticks

// Ticks of 10 ms for the seconds given on the command line ("" when none):
// seconds × 100 rounded to the nearest, halves to even.  0 or less is never
// reached by the tick counter, so such a splash stays until it is closed.
int32_t splash_ticks(const std::string& parameter);
