#include "packer/package_reader.h"

#include <set>
#include <vector>

#include <zstd.h>

#include "runtime/text.h"

namespace {

// The paths met so far, compared as Windows compares names: without
// regard to the case of ASCII letters.
std::string folded(const std::string& path) {
    std::string key = path;
    for (char& c : key) c = ascii_lower(c);
    return key;
}

struct Reading {
    const PackageSink& sink;
    void* context;
    StreamReader stream;
    std::set<std::string> seen;  // folded paths of the records so far
    uint32_t entries = 0;
    bool title_read = false;
};

std::string parent_of(const std::string& path) {
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

// A record the package may hold here: the title first, then folders and
// files with safe paths, each new, each in a folder already made.
bool acceptable(Reading& r, const PackageRecord& record) {
    if (!r.title_read) return record.kind == RECORD_TITLE;
    if (record.kind == RECORD_TITLE || !is_safe_package_path(record.path)) return false;
    std::string parent = parent_of(record.path);
    if (!parent.empty() && !r.seen.count(folded(parent) + "\\")) return false;
    std::string key = folded(record.path) + (record.kind == RECORD_FOLDER ? "\\" : "");
    // A file and a folder of one name, or two of either, cannot both be made.
    if (r.seen.count(folded(record.path)) || r.seen.count(folded(record.path) + "\\")) return false;
    r.seen.insert(key);
    return true;
}

// Hands the decompressed bytes on record by record.
bool hand_on(Reading& r, const unsigned char* bytes, size_t count) {
    size_t used = 0;
    for (;;) {
        const unsigned char* data = nullptr;
        size_t data_count = 0;
        switch (next_stream_event(r.stream, bytes, count, &used, &data, &data_count)) {
        case STREAM_NEED_MORE: return true;
        case STREAM_BROKEN: return false;
        case STREAM_DATA:
            if (!r.sink.data(r.context, data, data_count)) return false;
            break;
        case STREAM_RECORD:
            if (!acceptable(r, r.stream.current)) {
                r.stream.failed = true;
                return false;
            }
            if (r.stream.current.kind == RECORD_TITLE) {
                r.title_read = true;
            } else {
                ++r.entries;
            }
            if (!r.sink.record(r.context, r.stream.current)) return false;
            break;
        }
    }
}

}  // namespace

PackageResult read_package(const unsigned char* file, size_t size, const PackageSink& sink, void* context) {
    PackageTrailer trailer;
    if (!find_trailer(file, size, trailer)) return PACKAGE_DAMAGED;
    const unsigned char* payload = file + trailer.payload_offset;
    if (payload_checksum(payload, static_cast<size_t>(trailer.payload_size)) != trailer.payload_checksum)
        return PACKAGE_DAMAGED;
    ZSTD_DCtx* zstd = ZSTD_createDCtx();
    if (!zstd) return PACKAGE_DAMAGED;
    Reading r{sink, context, {}, {}, 0, false};
    std::vector<unsigned char> out(ZSTD_DStreamOutSize());
    ZSTD_inBuffer in{payload, static_cast<size_t>(trailer.payload_size), 0};
    uint64_t done = 0;
    size_t left = 1;  // zstd's hint: 0 once the frame and its checksum are through
    PackageResult result = PACKAGE_READ;
    while (left != 0) {
        ZSTD_outBuffer o{out.data(), out.size(), 0};
        left = ZSTD_decompressStream(zstd, &o, &in);
        if (ZSTD_isError(left) || (o.pos == 0 && in.pos == in.size && left != 0)) {
            result = PACKAGE_DAMAGED;
            break;
        }
        done += o.pos;
        if (done > trailer.stream_size) {
            result = PACKAGE_DAMAGED;
            break;
        }
        bool handed = hand_on(r, out.data(), o.pos);
        if (!handed) {
            result = r.stream.failed ? PACKAGE_DAMAGED : PACKAGE_STOPPED;
            break;
        }
        if (!sink.progress(context, done, trailer.stream_size)) {
            result = PACKAGE_STOPPED;
            break;
        }
    }
    ZSTD_freeDCtx(zstd);
    if (result != PACKAGE_READ) return result;
    // Nothing may follow the frame, and the stream must end with a record.
    if (in.pos != in.size || done != trailer.stream_size || r.entries != trailer.entries || !r.title_read ||
        !r.stream.pending.empty() || r.stream.file_left != 0)
        return PACKAGE_DAMAGED;
    return PACKAGE_READ;
}

namespace {

bool count_record(void* context, const PackageRecord& record) {
    PackageSummary& s = *static_cast<PackageSummary*>(context);
    if (record.kind == RECORD_TITLE) s.title = record.path;
    if (record.kind == RECORD_FOLDER) ++s.folders;
    if (record.kind == RECORD_FILE) {
        ++s.files;
        s.file_bytes += record.size;
        if (same_ignoring_ascii_case(record.path, "Setup.exe")) s.has_setup = true;
    }
    return true;
}

bool skip_data(void*, const unsigned char*, size_t) { return true; }
bool go_on(void*, uint64_t, uint64_t) { return true; }

const PackageSink SUMMARY_SINK = {count_record, skip_data, go_on};

}  // namespace

PackageResult check_package(const unsigned char* file, size_t size, PackageSummary* summary) {
    *summary = PackageSummary{};
    return read_package(file, size, SUMMARY_SINK, summary);
}
