#include "runtime/pixel_scale.h"

#include <algorithm>

namespace {

constexpr int FRACTION_BITS = 8;
constexpr int ONE = 1 << FRACTION_BITS;

// Where each result column (or row) samples the source: the pixel before
// the point, the one after, and the weight of the one after in 1/256.
struct Sample {
    int before, after, weight;
};

// The centre of result pixel i stands at (i + 0.5) * from / to - 0.5 in
// the source; points beyond the edges take the edge pixel.
std::vector<Sample> samples(int from, int to) {
    std::vector<Sample> result(to);
    for (int i = 0; i < to; ++i) {
        int64_t at = ((2 * static_cast<int64_t>(i) + 1) * from * ONE) / (2 * static_cast<int64_t>(to)) - ONE / 2;
        at = std::clamp<int64_t>(at, 0, static_cast<int64_t>(from - 1) * ONE);
        int before = static_cast<int>(at >> FRACTION_BITS);
        result[i] = Sample{before, std::min(before + 1, from - 1), static_cast<int>(at & (ONE - 1))};
    }
    return result;
}

uint32_t channel(uint32_t pixel, int shift) { return (pixel >> shift) & 0xFF; }

// a * (1 - w) + b * w per channel, w in 1/256.
uint32_t mix(uint32_t a, uint32_t b, int weight) {
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t value = (channel(a, shift) * (ONE - weight) + channel(b, shift) * weight + ONE / 2) >> FRACTION_BITS;
        result |= value << shift;
    }
    return result;
}

}  // namespace

std::vector<uint32_t> scale_pixels(const uint32_t* source, int width, int height, int new_width, int new_height) {
    if (width <= 0 || height <= 0 || new_width <= 0 || new_height <= 0) return {};
    std::vector<Sample> columns = samples(width, new_width);
    std::vector<Sample> rows = samples(height, new_height);
    std::vector<uint32_t> result(static_cast<size_t>(new_width) * new_height);
    for (int y = 0; y < new_height; ++y) {
        const uint32_t* above = source + static_cast<size_t>(rows[y].before) * width;
        const uint32_t* below = source + static_cast<size_t>(rows[y].after) * width;
        uint32_t* out = result.data() + static_cast<size_t>(y) * new_width;
        for (int x = 0; x < new_width; ++x) {
            const Sample& c = columns[x];
            out[x] = mix(mix(above[c.before], above[c.after], c.weight), mix(below[c.before], below[c.after], c.weight),
                         rows[y].weight);
        }
    }
    return result;
}
