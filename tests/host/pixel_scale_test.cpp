// Pictures brought to another display scale: what stays exact (the size
// asked for, a plain colour, the edges, each channel on its own) and that a
// step between two colours becomes a ramp.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "runtime/pixel_scale.h"

namespace {

TEST(PixelScale, APlainColourStaysPlainAtEverySize) {
    struct Case {
        int width, height, new_width, new_height;
    };
    for (const Case& c : {Case{1, 1, 3, 3}, Case{300, 125, 375, 157}, Case{5, 3, 2, 2}, Case{4, 4, 4, 4}}) {
        std::vector<uint32_t> source(static_cast<size_t>(c.width) * c.height, 0xFF2A9D8F);
        std::vector<uint32_t> result = scale_pixels(source.data(), c.width, c.height, c.new_width, c.new_height);
        ASSERT_EQ(result.size(), static_cast<size_t>(c.new_width) * c.new_height);
        for (uint32_t pixel : result) EXPECT_EQ(pixel, 0xFF2A9D8Fu) << c.new_width << " x " << c.new_height;
    }
    uint32_t one = 0;
    EXPECT_TRUE(scale_pixels(&one, 1, 1, 0, 5).empty());
    EXPECT_TRUE(scale_pixels(&one, 0, 1, 2, 2).empty());
}

TEST(PixelScale, AStepBecomesARampBetweenEdgesThatKeepTheirColours) {
    // Black beside white, twice as wide: the outer pixels keep the colours,
    // the inner ones take a quarter and three quarters of the way.
    const uint32_t step[] = {0x00000000, 0x00FFFFFF};
    EXPECT_EQ(scale_pixels(step, 2, 1, 4, 1), (std::vector<uint32_t>{0x00000000, 0x00404040, 0x00BFBFBF, 0x00FFFFFF}));
    // Each channel is mixed on its own, none spills into another.
    const uint32_t channels[] = {0x000000FF, 0xFF000000};
    EXPECT_EQ(scale_pixels(channels, 1, 2, 1, 4), (std::vector<uint32_t>{0x000000FF, 0x400000BF, 0xBF000040, 0xFF000000}));
}

TEST(PixelScale, TheSameSizeIsACopy) {
    std::vector<uint32_t> source;
    for (uint32_t i = 0; i < 12; ++i) source.push_back(i * 0x01030507u);
    EXPECT_EQ(scale_pixels(source.data(), 4, 3, 4, 3), source);
}

}  // namespace
