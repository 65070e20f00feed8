// "BM" files checked from their bytes: what is accepted, the info header
// handed on, and every way a file can claim more than it holds.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "runtime/bitmap_file.h"

namespace {

using Bytes = std::vector<unsigned char>;

void put16(Bytes& b, size_t at, uint16_t v) {
    b[at] = static_cast<unsigned char>(v);
    b[at + 1] = static_cast<unsigned char>(v >> 8);
}

void put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

uint32_t get32(const Bytes& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// A file of the given form: header of header_size bytes, then masks (for
// compression 3 after a 40-byte header), colours, then rows.
struct Form {
    int32_t width = 3, height = 2;
    uint16_t bits = 24, planes = 1;
    uint32_t header_size = 40, compression = 0, colours_used = 0;
    size_t table_entries = 0;
    size_t row_bytes_total = 24;
};

Bytes bitmap(const Form& f) {
    size_t masks = f.compression == 3 && f.header_size == 40 ? 12 : 0;
    size_t offset = 14 + f.header_size + masks + f.table_entries * 4;
    Bytes b(offset + f.row_bytes_total, 0x5A);
    b[0] = 'B', b[1] = 'M';
    put32(b, 2, static_cast<uint32_t>(b.size()));
    put32(b, 10, static_cast<uint32_t>(offset));
    put32(b, 14, f.header_size);
    put32(b, 18, static_cast<uint32_t>(f.width));
    put32(b, 22, static_cast<uint32_t>(f.height));
    put16(b, 26, f.planes);
    put16(b, 28, f.bits);
    put32(b, 30, f.compression);
    put32(b, 46, f.colours_used);
    for (size_t i = 0; i < f.table_entries; ++i) put32(b, 14 + f.header_size + masks + 4 * i, 0x00010203 + i);
    return b;
}

bool accepted(const Bytes& b) {
    BitmapFile file;
    return read_bitmap_file(b.data(), b.size(), file);
}

TEST(BitmapFile, APlainFileIsDescribedAndItsHeaderHandedOn) {
    Bytes b = bitmap(Form{});
    BitmapFile file;
    ASSERT_TRUE(read_bitmap_file(b.data(), b.size(), file));
    EXPECT_EQ(file.width, 3);
    EXPECT_EQ(file.height, 2);
    EXPECT_EQ(file.pixels, b.data() + 54);
    ASSERT_EQ(file.info.size(), 40u);
    EXPECT_EQ(get32(file.info, 0), 40u);
    EXPECT_EQ(get32(file.info, 4), 3u);
    EXPECT_EQ(get32(file.info, 32), 0u);
}

TEST(BitmapFile, TopDownRowsColourTablesAndMasks) {
    Form top_down;
    top_down.height = -2;
    BitmapFile file;
    Bytes b = bitmap(top_down);
    ASSERT_TRUE(read_bitmap_file(b.data(), b.size(), file));
    EXPECT_EQ(file.height, 2);
    EXPECT_EQ(static_cast<int32_t>(get32(file.info, 8)), -2);

    // 8 bits without a count of colours: the whole table of 256.
    Form palette;
    palette.bits = 8, palette.table_entries = 256, palette.row_bytes_total = 8;
    b = bitmap(palette);
    ASSERT_TRUE(read_bitmap_file(b.data(), b.size(), file));
    ASSERT_EQ(file.info.size(), 40u + 256 * 4);
    EXPECT_EQ(get32(file.info, 32), 256u);
    EXPECT_EQ(get32(file.info, 40 + 4 * 7), 0x00010203u + 7);

    // A version-5 header (124 bytes) with masks: rewritten as 40 bytes, the
    // masks it holds after its first 40 bytes, then the colour table.
    Form v5;
    v5.header_size = 124, v5.bits = 32, v5.compression = 3, v5.colours_used = 2, v5.table_entries = 2;
    v5.row_bytes_total = 24;
    b = bitmap(v5);
    put32(b, 54, 0xFF0000), put32(b, 58, 0xFF00), put32(b, 62, 0xFF);
    ASSERT_TRUE(read_bitmap_file(b.data(), b.size(), file));
    ASSERT_EQ(file.info.size(), 40u + 12 + 8);
    EXPECT_EQ(get32(file.info, 0), 40u);
    EXPECT_EQ(get32(file.info, 40), 0xFF0000u);
    EXPECT_EQ(get32(file.info, 48), 0xFFu);
    EXPECT_EQ(get32(file.info, 52), 0x00010203u);
}

TEST(BitmapFile, HeadersThatDoNotDescribeAPictureAreRefused) {
    auto with = [](auto change) {
        Form f;
        change(f);
        return accepted(bitmap(f));
    };
    EXPECT_FALSE(with([](Form& f) { f.width = 0; }));
    EXPECT_FALSE(with([](Form& f) { f.width = -3; }));
    EXPECT_FALSE(with([](Form& f) { f.height = 0; }));
    EXPECT_FALSE(with([](Form& f) { f.width = 0x10000; }));
    EXPECT_FALSE(with([](Form& f) { f.height = -0x10000; }));
    EXPECT_FALSE(with([](Form& f) { f.planes = 2; }));
    EXPECT_FALSE(with([](Form& f) { f.bits = 15; }));
    EXPECT_FALSE(with([](Form& f) { f.compression = 1; }));          // run-length coded
    EXPECT_FALSE(with([](Form& f) { f.compression = 3; }));          // masks with 24 bits
    EXPECT_FALSE(with([](Form& f) { f.header_size = 12; }));         // the old core header
    EXPECT_FALSE(with([](Form& f) { f.bits = 1, f.colours_used = 3, f.table_entries = 3; }));
    EXPECT_TRUE(with([](Form& f) { f.bits = 1, f.colours_used = 2, f.table_entries = 2; }));
}

TEST(BitmapFile, FilesThatClaimMoreThanTheyHoldAreRefused) {
    Bytes whole = bitmap(Form{});
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        Bytes part(whole.begin(), whole.begin() + cut);
        EXPECT_FALSE(accepted(part)) << cut;
    }
    Bytes b = whole;
    put32(b, 10, static_cast<uint32_t>(b.size() + 1));  // rows past the end
    EXPECT_FALSE(accepted(b));
    b = whole;
    put32(b, 10, 0xFFFFFFFF);
    EXPECT_FALSE(accepted(b));
    b = whole;
    put32(b, 14, static_cast<uint32_t>(b.size()));  // header past the end
    EXPECT_FALSE(accepted(b));
    b = whole;
    put32(b, 14, 0xFFFFFFFF);
    EXPECT_FALSE(accepted(b));
    Form palette;  // a colour table that runs past the end
    palette.bits = 8, palette.colours_used = 256, palette.table_entries = 2, palette.row_bytes_total = 8;
    EXPECT_FALSE(accepted(bitmap(palette)));
    Form widest;  // sizes whose product is large, rows absent
    widest.width = 0xFFFF, widest.height = 0xFFFF, widest.bits = 32, widest.row_bytes_total = 4;
    EXPECT_FALSE(accepted(bitmap(widest)));
    BitmapFile file;
    EXPECT_FALSE(read_bitmap_file(nullptr, 100, file));
}

}  // namespace
