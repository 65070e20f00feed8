// The JPEG decoder over libjpeg, from bytes in memory to B, G, R rows:
// colours, row layout, and data cut short or damaged.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "runtime/image_decoder.h"
#include "tests/data/pictures.h"


namespace {

using Bytes = std::vector<unsigned char>;

struct Rgb {
    int r, g, b;
};

// The colours of the test pictures.
constexpr Rgb RED{200, 30, 40}, GREEN{20, 180, 60}, BLUE{30, 60, 210}, WHITE{250, 250, 250};

struct Picture {
    int width = 0, height = 0;
    size_t stride = 0;
    Bytes bgr;
    // Within 3 of the colour in each channel, allowing for the coding's
    // rounding.
    bool near(int x, int y, Rgb want) const {
        const unsigned char* p = &bgr[y * stride + x * 3];
        return std::abs(p[2] - want.r) <= 3 && std::abs(p[1] - want.g) <= 3 && std::abs(p[0] - want.b) <= 3;
    }
};

// Decodes as the image loader does: rows padded to four bytes.  width 0
// when the decoder refuses the data.
Picture decode(const Bytes& data) {
    Picture p;
    if (!JPEG_DECODER.check(data.data(), data.size())) return p;
    p.width = JPEG_DECODER.width();
    p.height = JPEG_DECODER.height();
    p.stride = size_t(p.width) * 3 + p.width % 4;
    p.bgr.assign(p.stride * (p.height + 1), 0);
    JPEG_DECODER.decode(p.bgr.data(), p.stride, 0);
    return p;
}

Bytes blocks() { return Bytes(test_blocks_jpg, test_blocks_jpg + test_blocks_jpg_size); }

// Offset of the first segment with this marker, 0 when there is none.
size_t find_segment(const Bytes& data, int marker) {
    for (size_t at = 2; at + 4 <= data.size() && data[at] == 0xFF;) {
        if (data[at + 1] == marker) return at;
        at += 2 + (data[at + 2] << 8 | data[at + 3]);
    }
    return 0;
}

size_t segment_length(const Bytes& data, size_t at) { return 2 + (data[at + 2] << 8 | data[at + 3]); }

TEST(JpegDecoder, ColoursComeInBgrOrder) {
    Picture p = decode(blocks());
    ASSERT_EQ(p.width, 32);
    ASSERT_EQ(p.height, 32);
    for (int edge : {0, 8, 15}) {
        EXPECT_TRUE(p.near(edge, edge, RED));
        EXPECT_TRUE(p.near(16 + edge, edge, GREEN));
        EXPECT_TRUE(p.near(edge, 16 + edge, BLUE));
        EXPECT_TRUE(p.near(16 + edge, 16 + edge, WHITE));
    }
}

TEST(JpegDecoder, OddWidthsAndGreyPictures) {
    Picture wide = decode(Bytes(test_wide301_jpg, test_wide301_jpg + test_wide301_jpg_size));
    ASSERT_EQ(wide.width, 301);
    ASSERT_EQ(wide.height, 24);
    EXPECT_TRUE(wide.near(0, 0, RED));
    EXPECT_TRUE(wide.near(150, 12, GREEN));
    EXPECT_TRUE(wide.near(295, 23, BLUE));
    EXPECT_TRUE(wide.near(300, 23, {255, 255, 255}));

    Picture grey = decode(Bytes(test_gray_jpg, test_gray_jpg + test_gray_jpg_size));
    ASSERT_EQ(grey.width, 24);
    ASSERT_EQ(grey.height, 8);
    for (int y = 0; y < grey.height; ++y)
        for (int x = 0; x < grey.width; ++x) {
            const unsigned char* px = &grey.bgr[y * grey.stride + x * 3];
            ASSERT_TRUE(px[0] == px[1] && px[1] == px[2]) << x << "," << y;
        }
}

TEST(JpegDecoder, DataThatIsNoPictureIsRefused) {
    const Bytes not_pictures[] = {
        Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0},
        Bytes{},
        Bytes{0xFF},
        Bytes{0xFF, 0xD8},
        Bytes{0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02, 1, 2, 3},
        Bytes{0xD8, 0xFF, 0xE0},
    };
    for (const Bytes& data : not_pictures) EXPECT_EQ(decode(data).width, 0) << data.size();
    // Every cut of the headers: refused, or a picture of the full size.
    Bytes data = blocks();
    size_t scan = find_segment(data, 0xDA);
    ASSERT_NE(scan, 0u);
    for (size_t cut = 0; cut < scan; ++cut) {
        Picture p = decode(Bytes(data.begin(), data.begin() + cut));
        EXPECT_TRUE(p.width == 0 || (p.width == 32 && p.height == 32)) << cut;
    }
}

TEST(JpegDecoder, DataCutShortGivesTheRowsItHolds) {
    Bytes data = blocks();
    size_t scan = find_segment(data, 0xDA);
    ASSERT_NE(scan, 0u);
    scan += segment_length(data, scan);
    for (size_t keep : {size_t(0), (data.size() - 2 - scan) / 2, data.size() - 2 - scan}) {
        Picture p = decode(Bytes(data.begin(), data.begin() + scan + keep));
        ASSERT_EQ(p.width, 32) << keep;
        if (keep > 0) {
            EXPECT_TRUE(p.near(0, 0, RED)) << keep;
        }
    }
}

// A second frame header after the scan is a fatal error once every row is
// out: the rows stay, and a following picture decodes normally.
TEST(JpegDecoder, AFatalErrorAfterTheRowsKeepsThem) {
    Bytes data = blocks();
    size_t frame = find_segment(data, 0xC0);
    ASSERT_NE(frame, 0u);
    Bytes frame_header(data.begin() + frame, data.begin() + frame + segment_length(data, frame));
    data.insert(data.end() - 2, frame_header.begin(), frame_header.end());
    Picture p = decode(data);
    ASSERT_EQ(p.width, 32);
    EXPECT_TRUE(p.near(0, 0, RED));
    EXPECT_TRUE(p.near(31, 31, WHITE));
    EXPECT_TRUE(decode(blocks()).near(16, 0, GREEN));
}

TEST(JpegDecoder, AnAcceptedPictureCanBeDiscarded) {
    Bytes data = blocks();
    ASSERT_NE(JPEG_DECODER.check(data.data(), data.size()), 0);
    JPEG_DECODER.discard();
    EXPECT_EQ(decode(data).width, 32);
}

}  // namespace
