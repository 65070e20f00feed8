// The image table and the registry of decoders: pictures held in memory
// become numbered screen bitmaps.
#include "runtime/image.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "runtime/bitmap_file.h"
#include "runtime/image_decoder.h"
#include "runtime/numbered_table.h"

static_assert(BITMAP_FILE_HEADER_SIZE == sizeof(BITMAPFILEHEADER) &&
              BITMAP_INFO_HEADER_SIZE == sizeof(BITMAPINFOHEADER));

namespace {

constexpr size_t MAX_DECODERS = 100;

struct ImageEntry {
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;
    int depth = 0;  // bits per pixel of the bitmap: the display's depth
};

NumberedTable<ImageEntry> empty_image_table() { return {10, 10, 0x10000, 0x7FFFFFFE}; }

struct ImageLibrary {
    NumberedTable<ImageEntry> images = empty_image_table();
    std::vector<const ImageDecoder*> decoders;
};

ImageLibrary lib;

void remove_image(int number) {
    if (ImageEntry* old = lib.images.find(number)) {
        DeleteObject(old->bitmap);
        lib.images.remove(number);
    }
}

// A bitmap in the display's format, all black; 0 when GDI cannot make one.
HBITMAP create_blank_bitmap(int width, int height) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HDC memory = bitmap ? CreateCompatibleDC(screen) : nullptr;
    if (memory) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        PatBlt(memory, 0, 0, width, height, BLACKNESS);
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    ReleaseDC(nullptr, screen);
    return bitmap;
}

// Makes a bitmap of the pixels that `info` describes; the display driver
// converts them to its own depth.  0 when GDI cannot make or fill it.
HBITMAP bitmap_from_pixels(int width, int height, const void* pixels, const BITMAPINFO* info) {
    HBITMAP bitmap = create_blank_bitmap(width, height);
    if (!bitmap) return nullptr;
    HDC screen = GetDC(nullptr);
    int rows = SetDIBits(screen, bitmap, 0, height, pixels, info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows == 0) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

// Takes ownership of the bitmap.  Returns the bitmap handle, or the
// identifier for -1; 0 when no identifier is left (the bitmap is deleted).
intptr_t store_image(int number, HBITMAP bitmap, int width, int height) {
    BITMAP facts{};
    GetObjectW(bitmap, sizeof facts, &facts);
    int stored = lib.images.store(number, ImageEntry{bitmap, width, height, facts.bmBitsPixel});
    if (stored < 0) {
        DeleteObject(bitmap);
        return 0;
    }
    return number == -1 ? stored : reinterpret_cast<intptr_t>(bitmap);
}

intptr_t load_bitmap_file(int number, const unsigned char* data, size_t length) {
    BitmapFile file;
    if (!read_bitmap_file(data, length, file)) return 0;
    HBITMAP bitmap = bitmap_from_pixels(file.width, file.height, file.pixels,
                                        reinterpret_cast<const BITMAPINFO*>(file.info.data()));
    return bitmap ? store_image(number, bitmap, file.width, file.height) : 0;
}

intptr_t load_decoded(int number, const ImageDecoder& decoder) {
    const int width = decoder.width();
    const int height = decoder.height();
    if (width <= 0 || width > MAX_IMAGE_SIDE || height <= 0 || height > MAX_IMAGE_SIDE) {
        decoder.discard();
        return 0;
    }
    // width * 3 + width mod 4 is width * 3 rounded up to a multiple of 4, the
    // row alignment of a device-independent bitmap.  Rows the decoder cannot
    // fill stay zero, that is black; one spare row follows the last.
    const size_t stride = size_t(width) * 3 + width % 4;
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[stride * (height + 1)]());
    if (!buffer) {
        decoder.discard();
        return 0;
    }
    decoder.decode(buffer.get(), stride, 0);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: row 0 is the top row
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HBITMAP bitmap = bitmap_from_pixels(width, height, buffer.get(), &info);
    return bitmap ? store_image(number, bitmap, width, height) : 0;
}

}  // namespace

int register_image_decoder(const ImageDecoder* decoder) {
    auto& list = lib.decoders;
    if (std::find(list.begin(), list.end(), decoder) != list.end()) return 1;
    if (list.size() >= MAX_DECODERS) return 0;
    list.push_back(decoder);
    return 1;
}

// An image already under `number` is deleted first, so a load that fails
// leaves the number empty.
intptr_t load_image_from_memory(int number, const void* data, size_t length) {
    if (number < -1 || !data) return 0;
    remove_image(number);
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    if (length >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return load_bitmap_file(number, bytes, length);
    // Icon files are not recognised: none of the programs carries one as data.
    for (const ImageDecoder* decoder : lib.decoders)
        if (decoder->check(data, length)) return load_decoded(number, *decoder);
    return 0;
}

HBITMAP image_handle(int number) {
    ImageEntry* entry = lib.images.find(number);
    return entry ? entry->bitmap : nullptr;
}

void release_images() {
    lib.images.for_each([](int, ImageEntry& entry) { DeleteObject(entry.bitmap); });
    lib.images = empty_image_table();
}
