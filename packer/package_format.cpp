#include "packer/package_format.h"

#include <algorithm>
#include <cstring>

#include "runtime/code_page.h"
#include "runtime/path_text.h"

#define XXH_STATIC_LINKING_ONLY
#include <xxhash.h>

namespace {

// Offsets of the fields of a trailer.
constexpr size_t AT_OFFSET = 8, AT_SIZE = 16, AT_STREAM = 24, AT_ENTRIES = 32, AT_CHECKSUM = 40, AT_SELF = 48;

constexpr size_t MAX_PATH_BYTES = 1024;

void put(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
}

uint64_t get(const unsigned char* at, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | at[i];
    return value;
}

// The certificate table of a signed Windows program: its file offset, or 0
// when the data is no such program or it has none.
size_t certificate_table(const unsigned char* file, size_t size) {
    if (size < 0x40 || file[0] != 'M' || file[1] != 'Z') return 0;
    const size_t pe = get(file + 0x3C, 4);
    if (pe > size || size - pe < 24 || std::memcmp(file + pe, "PE\0\0", 4) != 0) return 0;
    const size_t optional = pe + 24;
    const size_t optional_size = get(file + pe + 20, 2);
    if (optional_size < 2 || size - optional < optional_size) return 0;
    const uint64_t magic = get(file + optional, 2);
    // The data directories follow the fixed part of the optional header:
    // 96 bytes for 32-bit programs, 112 for 64-bit ones; the certificate
    // table is the fifth directory, 8 bytes each.
    const size_t directories = optional + (magic == 0x20B ? 112 : 96);
    const size_t entry = directories + 4 * 8;
    if (entry + 8 > optional + optional_size) return 0;
    const size_t table = get(file + entry, 4);
    const size_t table_size = get(file + entry + 4, 4);
    if (table == 0 || table_size == 0 || table > size || size - table < table_size) return 0;
    return table;
}

}  // namespace

uint64_t payload_checksum(const void* data, size_t size) { return XXH64(data, size, 0); }

std::string encode_trailer(const PackageTrailer& t) {
    std::string out(PACKAGE_MAGIC, sizeof PACKAGE_MAGIC);
    put(out, t.payload_offset, 8);
    put(out, t.payload_size, 8);
    put(out, t.stream_size, 8);
    put(out, t.entries, 4);
    put(out, 0, 4);
    put(out, t.payload_checksum, 8);
    put(out, payload_checksum(out.data(), out.size()), 8);
    return out;
}

bool decode_trailer(const unsigned char* bytes, PackageTrailer& t) {
    if (std::memcmp(bytes, PACKAGE_MAGIC, sizeof PACKAGE_MAGIC) != 0) return false;
    if (get(bytes + AT_SELF, 8) != payload_checksum(bytes, AT_SELF)) return false;
    t.payload_offset = get(bytes + AT_OFFSET, 8);
    t.payload_size = get(bytes + AT_SIZE, 8);
    t.stream_size = get(bytes + AT_STREAM, 8);
    t.entries = static_cast<uint32_t>(get(bytes + AT_ENTRIES, 4));
    t.payload_checksum = get(bytes + AT_CHECKSUM, 8);
    return true;
}

size_t package_end(const unsigned char* file, size_t size) {
    size_t end = size;
    if (size_t table = certificate_table(file, size)) {
        end = table;
        // A signer aligns the table on 8 bytes with zero bytes.
        for (int pad = 0; pad < 7 && end > TRAILER_SIZE && file[end - 1] == 0 &&
                          std::memcmp(file + end - TRAILER_SIZE, PACKAGE_MAGIC, 8) != 0;
             ++pad)
            --end;
    }
    return end < TRAILER_SIZE ? 0 : end;
}

bool find_trailer(const unsigned char* file, size_t size, PackageTrailer& trailer) {
    size_t end = package_end(file, size);
    if (end == 0 || !decode_trailer(file + end - TRAILER_SIZE, trailer)) return false;
    // Between the payload and the trailer: the zero bytes (fewer than 8) that
    // end the trailer on an 8-byte boundary.
    const uint64_t trailer_at = end - TRAILER_SIZE;
    if (trailer.payload_offset > trailer_at || trailer.payload_size == 0 ||
        trailer.payload_size > trailer_at - trailer.payload_offset)
        return false;
    uint64_t gap = trailer_at - trailer.payload_offset - trailer.payload_size;
    if (gap >= 8) return false;
    for (uint64_t at = trailer_at - gap; at < trailer_at; ++at)
        if (file[at] != 0) return false;
    return true;
}

std::string encode_record(const PackageRecord& record) {
    std::string out;
    put(out, record.kind, 1);
    put(out, record.attributes, 4);
    put(out, record.path.size(), 2);
    out += record.path;
    if (record.kind == RECORD_FILE) put(out, record.size, 8);
    return out;
}

namespace {

// Bytes of a record header before its path, and after it for a file.
constexpr size_t HEADER_START = 7;
constexpr size_t FILE_SIZE_BYTES = 8;

// The header's full length once its first bytes are known; 0 while they
// are not, SIZE_MAX for a header of no record kind.
size_t header_length(const std::string& pending) {
    if (pending.size() < HEADER_START) return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pending.data());
    if (p[0] > RECORD_FILE) return SIZE_MAX;
    size_t path = get(p + 5, 2);
    if (path > MAX_PATH_BYTES) return SIZE_MAX;
    return HEADER_START + path + (p[0] == RECORD_FILE ? FILE_SIZE_BYTES : 0);
}

}  // namespace

StreamEvent next_stream_event(StreamReader& reader, const unsigned char* bytes, size_t count, size_t* used,
                              const unsigned char** data, size_t* data_count) {
    if (reader.failed) return STREAM_BROKEN;
    if (reader.file_left > 0) {
        size_t take = static_cast<size_t>(std::min<uint64_t>(reader.file_left, count - *used));
        if (take == 0) return STREAM_NEED_MORE;
        *data = bytes + *used;
        *data_count = take;
        *used += take;
        reader.file_left -= take;
        return STREAM_DATA;
    }
    for (;;) {
        size_t wanted = header_length(reader.pending);
        if (wanted == SIZE_MAX) {
            reader.failed = true;
            return STREAM_BROKEN;
        }
        if (wanted != 0 && reader.pending.size() == wanted) break;
        if (*used == count) return STREAM_NEED_MORE;
        size_t goal = wanted != 0 ? wanted : HEADER_START;
        size_t take = std::min(goal - reader.pending.size(), count - *used);
        reader.pending.append(reinterpret_cast<const char*>(bytes + *used), take);
        *used += take;
    }
    const unsigned char* p = reinterpret_cast<const unsigned char*>(reader.pending.data());
    PackageRecord& r = reader.current;
    r.kind = p[0];
    r.attributes = static_cast<uint32_t>(get(p + 1, 4));
    size_t path = get(p + 5, 2);
    r.path.assign(reader.pending, HEADER_START, path);
    r.size = r.kind == RECORD_FILE ? get(p + HEADER_START + path, 8) : 0;
    reader.file_left = r.size;
    reader.pending.clear();
    return STREAM_RECORD;
}

bool is_safe_package_path(std::string_view path) {
    // Bytes that are no UTF-8 would reach the disk as U+FFFD, two paths
    // as one.
    if (path.empty() || path.size() > MAX_PATH_BYTES || !is_utf8(path)) return false;
    size_t start = 0;
    for (;;) {
        size_t end = path.find('\\', start);
        std::string_view name = path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (name == "." || name == ".." || !is_valid_file_name(name)) return false;
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}
