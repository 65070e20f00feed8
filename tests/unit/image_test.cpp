// Pictures held in memory, decoded into screen bitmaps and read back with
// GetDIBits.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/image.h"
#include "runtime/image_decoder.h"
#include "tests/data/pictures.h"

extern const unsigned char banner_jpg[];
extern const size_t banner_jpg_size;
extern const unsigned char logo_jpg[];
extern const size_t logo_jpg_size;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes blocks_jpg() { return Bytes(test_blocks_jpg, test_blocks_jpg + test_blocks_jpg_size); }

// Ends the test program at once on an access violation, with a message:
// left to itself, Wine may wait for a debugger until the test times out.
LONG CALLBACK stop_on_access_violation(EXCEPTION_POINTERS* e) {
    if (e->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION) return EXCEPTION_CONTINUE_SEARCH;
    std::fprintf(stderr, "access violation at %p\n",
                 reinterpret_cast<void*>(e->ExceptionRecord->ExceptionInformation[1]));
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_CONTINUE_SEARCH;
}

// A copy of the bytes that ends where an inaccessible page begins: a decoder
// that reads one byte past the data stops the test program.
class GuardedBytes {
public:
    explicit GuardedBytes(const Bytes& bytes) {
        handler_ = AddVectoredExceptionHandler(1, stop_on_access_violation);
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        const size_t page = system.dwPageSize;
        const size_t pages = (bytes.size() + page - 1) / page + 1;
        base_ = static_cast<unsigned char*>(
            VirtualAlloc(nullptr, pages * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(base_ + (pages - 1) * page, page, PAGE_NOACCESS, &old);
        data_ = base_ + (pages - 1) * page - bytes.size();
        std::memcpy(data_, bytes.data(), bytes.size());
        size_ = bytes.size();
    }
    ~GuardedBytes() {
        VirtualFree(base_, 0, MEM_RELEASE);
        RemoveVectoredExceptionHandler(handler_);
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    intptr_t load(int number) const { return load_image_from_memory(number, data_, size_); }

private:
    void* handler_ = nullptr;
    unsigned char* base_ = nullptr;
    unsigned char* data_ = nullptr;
    size_t size_ = 0;
};

intptr_t load(int number, const Bytes& bytes) { return GuardedBytes(bytes).load(number); }

// A bitmap's pixels as a 24-bit top-down image: B, G, R bytes.
struct Pixels {
    int width = 0;
    int height = 0;
    int stride = 0;
    Bytes bgr;
};

Pixels read_back(HBITMAP bitmap) {
    Pixels p;
    BITMAP facts{};
    if (!bitmap || !GetObjectA(bitmap, sizeof facts, &facts)) return p;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = facts.bmWidth;
    info.bmiHeader.biHeight = -facts.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    Bytes bgr(((facts.bmWidth * 3 + 3) & ~3) * facts.bmHeight);
    HDC screen = GetDC(nullptr);
    int rows = GetDIBits(screen, bitmap, 0, facts.bmHeight, bgr.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows == facts.bmHeight) p = {facts.bmWidth, facts.bmHeight, (facts.bmWidth * 3 + 3) & ~3, bgr};
    return p;
}

struct Rgb {
    int r, g, b;
};

::testing::AssertionResult looks_like(const Pixels& p, int x, int y, Rgb want, int tolerance = 3) {
    if (x >= p.width || y >= p.height) return ::testing::AssertionFailure() << "no pixel " << x << "," << y;
    const unsigned char* px = &p.bgr[y * p.stride + x * 3];
    Rgb got{px[2], px[1], px[0]};
    if (std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
        std::abs(got.b - want.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is R" << got.r << " G" << got.g
                                         << " B" << got.b << ", expected R" << want.r << " G" << want.g
                                         << " B" << want.b;
}

constexpr Rgb RED{200, 30, 40}, GREEN{20, 180, 60}, BLUE{30, 60, 210}, WHITE{250, 250, 250};

// A stand-in decoder for data starting "FAKE": its size comes from the test,
// each row y is filled with the colour (y, 2y, 3y), and it records what the
// loader handed it.
struct FakeDecoding {
    int width = 0;
    int height = 0;
    size_t stride = 0;
    int discarded = 0;
};
FakeDecoding fake;

int fake_check(const void* data, size_t length) { return length >= 4 && std::memcmp(data, "FAKE", 4) == 0; }
void fake_decode(unsigned char* buffer, size_t stride, int) {
    fake.stride = stride;
    for (int y = 0; y < fake.height; ++y)
        for (int x = 0; x < fake.width; ++x) {
            unsigned char* px = buffer + y * stride + x * 3;
            px[0] = static_cast<unsigned char>(3 * y), px[1] = static_cast<unsigned char>(2 * y);
            px[2] = static_cast<unsigned char>(y);
        }
}
void fake_discard() { ++fake.discarded; }
int fake_width() { return fake.width; }
int fake_height() { return fake.height; }

constexpr ImageDecoder FAKE = {fake_check, fake_decode, fake_discard, fake_width, fake_height};
// Distinct records with the same operations, to fill the registry.
std::array<ImageDecoder, 100> fakes = [] {
    std::array<ImageDecoder, 100> list;
    list.fill(FAKE);
    return list;
}();

class Images : public ::testing::Test {
protected:
    void SetUp() override { enable_jpeg_decoder(); }
    void TearDown() override { release_images(); }
};

TEST_F(Images, JpegGivesItsColoursInBgrOrder) {
    intptr_t handle = load(0, blocks_jpg());
    ASSERT_NE(handle, 0);
    EXPECT_EQ(reinterpret_cast<HBITMAP>(handle), image_handle(0));
    Pixels p = read_back(image_handle(0));
    ASSERT_EQ(p.width, 32);
    ASSERT_EQ(p.height, 32);
    for (int edge : {0, 8, 15}) {
        EXPECT_TRUE(looks_like(p, edge, edge, RED));
        EXPECT_TRUE(looks_like(p, 16 + edge, edge, GREEN));
        EXPECT_TRUE(looks_like(p, edge, 16 + edge, BLUE));
        EXPECT_TRUE(looks_like(p, 16 + edge, 16 + edge, WHITE));
    }
}

TEST_F(Images, OddWidthRowsStayAligned) {
    ASSERT_NE(load(0, Bytes(test_wide301_jpg, test_wide301_jpg + test_wide301_jpg_size)), 0);
    Pixels p = read_back(image_handle(0));
    ASSERT_EQ(p.width, 301);
    ASSERT_EQ(p.height, 24);
    // A row misplaced by even one byte would turn the bands' colours round.
    for (int y : {0, 7, 8, 15, 16, 23}) {
        SCOPED_TRACE(y);
        Rgb band = y < 8 ? RED : y < 16 ? GREEN : BLUE;
        for (int x : {0, 150, 295}) EXPECT_TRUE(looks_like(p, x, y, band));
        EXPECT_TRUE(looks_like(p, 296, y, {255, 255, 255}));
        EXPECT_TRUE(looks_like(p, 300, y, {255, 255, 255}));
    }
}

// Rows are width * 3 bytes rounded up to a multiple of 4, written top row first.
TEST_F(Images, DecoderRowsArePaddedToFourBytesTopRowFirst) {
    ASSERT_NE(register_image_decoder(&fakes[0]), 0);
    for (auto [width, stride] : {std::pair{300, 900}, {301, 904}, {302, 908}, {303, 912}}) {
        SCOPED_TRACE(width);
        fake = {width, 40, 0, 0};
        ASSERT_NE(load_image_from_memory(0, "FAKE", 4), 0);
        EXPECT_EQ(fake.stride, size_t(stride));
        Pixels p = read_back(image_handle(0));
        ASSERT_EQ(p.width, width);
        ASSERT_EQ(p.height, 40);
        EXPECT_TRUE(looks_like(p, 0, 0, {0, 0, 0}, 0));
        EXPECT_TRUE(looks_like(p, width - 1, 1, {1, 2, 3}, 0));
        EXPECT_TRUE(looks_like(p, width - 1, 39, {39, 78, 117}, 0));
    }
    // A size that cannot be a picture ends the decoding without pixels.
    fake = {0, 40, 0, 0};
    EXPECT_EQ(load_image_from_memory(0, "FAKE", 4), 0);
    EXPECT_EQ(fake.discarded, 1);
    EXPECT_EQ(image_handle(0), nullptr);
}

TEST_F(Images, DataNoDecoderAcceptsGivesNoImage) {
    const Bytes not_pictures[] = {
        Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0},
        Bytes{},
        Bytes{0xFF},
        Bytes{0xFF, 0xD8},                                 // start marker and nothing else
        Bytes{0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02, 1, 2, 3},  // a frame header too short
        Bytes{0xD8, 0xFF, 0xE0},
    };
    for (const Bytes& data : not_pictures) {
        SCOPED_TRACE(data.size());
        ASSERT_NE(load(4, blocks_jpg()), 0);
        EXPECT_EQ(load(4, data), 0);
        EXPECT_EQ(image_handle(4), nullptr);  // the old picture went too
    }
}

TEST_F(Images, NumbersIdentifiersAndRelease) {
    EXPECT_EQ(image_handle(7), nullptr);
    EXPECT_EQ(image_handle(-1), nullptr);
    GuardedBytes blocks(blocks_jpg());
    GuardedBytes gray(Bytes(test_gray_jpg, test_gray_jpg + test_gray_jpg_size));

    HBITMAP first = reinterpret_cast<HBITMAP>(blocks.load(3));
    HBITMAP second = reinterpret_cast<HBITMAP>(gray.load(3));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(image_handle(3), second);
    EXPECT_EQ(read_back(second).width, 24);
    EXPECT_TRUE(second == first || GetObjectType(first) == 0) << "the replaced bitmap was not deleted";

    intptr_t id = blocks.load(-1);
    intptr_t other = gray.load(-1);
    EXPECT_GE(id, 10);
    EXPECT_NE(other, id);
    EXPECT_EQ(read_back(image_handle(int(id))).width, 32);
    EXPECT_EQ(read_back(image_handle(int(other))).width, 24);
    HBITMAP beyond = reinterpret_cast<HBITMAP>(blocks.load(25));  // beyond the first ten entries
    EXPECT_EQ(image_handle(25), beyond);

    HBITMAP all[] = {second, image_handle(int(id)), image_handle(int(other)), beyond};
    release_images();
    for (HBITMAP bitmap : all) EXPECT_EQ(GetObjectType(bitmap), 0u);
    EXPECT_EQ(image_handle(3), nullptr);
    EXPECT_EQ(image_handle(int(id)), nullptr);
}

// The registry holds 100 decoders; the JPEG decoder takes one place however
// often it is enabled.
TEST_F(Images, JpegDecoderIsRegisteredOnce) {
    EXPECT_NE(enable_jpeg_decoder(), 0);
    EXPECT_NE(enable_jpeg_decoder(), 0);
    for (int n = 0; n < 99; ++n) ASSERT_NE(register_image_decoder(&fakes[n]), 0) << n;
    EXPECT_EQ(register_image_decoder(&fakes[99]), 0);
    EXPECT_NE(load(0, blocks_jpg()), 0);
}

Bytes bitmap_file(int width, int height, const Bytes& pixels) {
    BITMAPFILEHEADER head{};
    BITMAPINFOHEADER info{};
    head.bfType = 0x4D42;  // "BM"
    head.bfOffBits = sizeof head + sizeof info;
    head.bfSize = head.bfOffBits + DWORD(pixels.size());
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    Bytes file(head.bfSize);
    std::memcpy(file.data(), &head, sizeof head);
    std::memcpy(file.data() + sizeof head, &info, sizeof info);
    std::copy(pixels.begin(), pixels.end(), file.begin() + head.bfOffBits);
    return file;
}

TEST_F(Images, BitmapFileLoads) {
    // 3 x 2, bottom row first, rows of 9 bytes padded to 12.
    const Bytes rows = {
        10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 0, 0,     // bottom
        1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0,               // top
    };
    ASSERT_NE(load(2, bitmap_file(3, 2, rows)), 0);
    Pixels p = read_back(image_handle(2));
    ASSERT_EQ(p.width, 3);
    ASSERT_EQ(p.height, 2);
    EXPECT_TRUE(looks_like(p, 0, 0, {3, 2, 1}, 0));
    EXPECT_TRUE(looks_like(p, 2, 0, {9, 8, 7}, 0));
    EXPECT_TRUE(looks_like(p, 1, 1, {60, 50, 40}, 0));

    // Pixels shorter than the header says, or a header past the data: refused.
    EXPECT_EQ(load(2, bitmap_file(3, 3, rows)), 0);
    EXPECT_EQ(load(2, Bytes(rows.begin(), rows.begin() + 20)), 0);
    Bytes header_only = bitmap_file(3, 2, {});
    header_only.resize(30);
    EXPECT_EQ(load(2, header_only), 0);
}

// The pictures the programs carry: their sizes and their JFIF form.
struct JpegForm {
    int jfif_version = 0, density_x = 0, density_y = 0, units = -1;
    bool app12_before_frame = false;
    int adobe_transform = -1;  // -1: no Adobe segment before the frame header
    int frame_type = -1, precision = 0, width = 0, height = 0, components = 0;
    bool all_sampled_1x1 = true;
    int quant_tables = 0, huffman_tables = 0, scans = 0;
    bool ends_with_eoi = false;
};

JpegForm form_of(const unsigned char* data, size_t size) {
    JpegForm f;
    size_t at = 2;
    while (at + 4 <= size && data[at] == 0xFF) {
        const int marker = data[at + 1];
        if (marker == 0xD9) break;
        const size_t length = data[at + 2] << 8 | data[at + 3];
        const unsigned char* s = data + at + 4;  // the segment's payload
        if (marker == 0xE0 && std::memcmp(s, "JFIF", 5) == 0) {
            f.jfif_version = s[5] * 100 + s[6], f.units = s[7];
            f.density_x = s[8] << 8 | s[9], f.density_y = s[10] << 8 | s[11];
        }
        if (marker == 0xEC && f.frame_type < 0) f.app12_before_frame = true;
        if (marker == 0xEE && f.frame_type < 0 && std::memcmp(s, "Adobe", 5) == 0) f.adobe_transform = s[11];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            f.frame_type = marker - 0xC0, f.precision = s[0];
            f.height = s[1] << 8 | s[2], f.width = s[3] << 8 | s[4], f.components = s[5];
            for (int c = 0; c < f.components; ++c) f.all_sampled_1x1 &= s[6 + 3 * c + 1] == 0x11;
        }
        if (marker == 0xDB) f.quant_tables += int(length - 2) / 65;
        for (size_t t = 0; marker == 0xC4 && t + 17 <= length - 2; ++f.huffman_tables) {
            size_t codes = 0;
            for (int i = 1; i <= 16; ++i) codes += s[t + i];
            t += 17 + codes;
        }
        at += 2 + length;
        if (marker == 0xDA) {  // entropy-coded data runs to the next marker
            ++f.scans;
            while (at + 1 < size && !(data[at] == 0xFF && data[at + 1] != 0 && (data[at + 1] & 0xF8) != 0xD0))
                ++at;
        }
    }
    f.ends_with_eoi = at + 2 == size && data[at] == 0xFF && data[at + 1] == 0xD9;
    return f;
}

TEST_F(Images, ProgramPicturesHaveTheirSizeAndForm) {
    struct Case {
        const unsigned char* data;
        size_t size;
        int width, height;
    } cases[] = {{banner_jpg, banner_jpg_size, 300, 125}, {logo_jpg, logo_jpg_size, 300, 200}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        JpegForm f = form_of(c.data, c.size);
        EXPECT_EQ(f.jfif_version, 102);
        EXPECT_EQ(f.units, 0);
        EXPECT_EQ(f.density_x, 100);
        EXPECT_EQ(f.density_y, 100);
        EXPECT_TRUE(f.app12_before_frame);
        EXPECT_EQ(f.adobe_transform, 1);
        EXPECT_EQ(f.frame_type, 0);
        EXPECT_EQ(f.precision, 8);
        EXPECT_EQ(f.components, 3);
        EXPECT_TRUE(f.all_sampled_1x1);
        EXPECT_EQ(f.width, c.width);
        EXPECT_EQ(f.height, c.height);
        EXPECT_EQ(f.quant_tables, 2);
        EXPECT_EQ(f.huffman_tables, 4);
        EXPECT_EQ(f.scans, 1);
        EXPECT_TRUE(f.ends_with_eoi);

        ASSERT_NE(load(1, Bytes(c.data, c.data + c.size)), 0);
        Pixels p = read_back(image_handle(1));
        EXPECT_EQ(p.width, c.width);
        EXPECT_EQ(p.height, c.height);
    }
}

}  // namespace
