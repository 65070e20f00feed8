// The entry point every fuzz target defines: libFuzzer calls it with each
// input it makes, and the replay driver with each file of the corpus.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

inline std::string_view fuzz_bytes(const uint8_t* data, size_t size) {
    return std::string_view(reinterpret_cast<const char*>(data), size);
}
