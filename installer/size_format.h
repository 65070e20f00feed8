// The disk-space text of the result page.  Pure text work.
#pragma once

#include <cstdint>
#include <string>

// bytes in unit 0 (" octects"), 1 (" Ko", 1024) or 2 (" Mo", 1048576) with
// that many decimals; with `automatic` non-zero the unit and decimals are
// chosen from the byte count and the given ones are ignored.
std::string format_size(int64_t bytes, int unit, int decimals, int automatic);
