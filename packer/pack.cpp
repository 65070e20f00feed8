#include "packer/pack.h"

#include <cstdio>
#include <vector>

#include <zstd.h>

#include "checker/folder.h"
#include "packer/package_format.h"
#include "packer/package_reader.h"
#include "packer/tools.h"

#define XXH_STATIC_LINKING_ONLY
#include <xxhash.h>

namespace {

// The compressed payload on its way to the output file.
struct PayloadWriter {
    std::FILE* out = nullptr;
    ZSTD_CCtx* zstd = nullptr;
    XXH64_state_t checksum;
    std::vector<char> buffer;
    uint64_t written = 0;  // compressed bytes
    bool failed = false;
};

bool flush_to_file(PayloadWriter& w, ZSTD_outBuffer& o) {
    if (o.pos > 0 && std::fwrite(o.dst, 1, o.pos, w.out) != o.pos) return false;
    XXH64_update(&w.checksum, o.dst, o.pos);
    w.written += o.pos;
    return true;
}

// Compresses bytes of the stream; `end` ends the frame.
bool compress(PayloadWriter& w, const void* bytes, size_t count, bool end) {
    ZSTD_inBuffer in{bytes, count, 0};
    for (;;) {
        ZSTD_outBuffer o{w.buffer.data(), w.buffer.size(), 0};
        size_t left = ZSTD_compressStream2(w.zstd, &o, &in, end ? ZSTD_e_end : ZSTD_e_continue);
        if (ZSTD_isError(left) || !flush_to_file(w, o)) return false;
        if (end ? left == 0 : in.pos == in.size) return true;
    }
}

bool add_record(PayloadWriter& w, const PackageRecord& record) {
    std::string header = encode_record(record);
    return compress(w, header.data(), header.size(), false);
}

// A file's bytes, read in pieces; exactly `size` of them, as its record says.
bool add_file_bytes(PayloadWriter& w, const DistributionEntry& e, std::string* error) {
    std::FILE* in = open_file(e.native, "rb");
    if (!in) {
        *error = e.shown + ": cannot be read";
        return false;
    }
    std::vector<char> piece(1 << 20);
    uint64_t left = static_cast<uint64_t>(e.size);
    bool ok = true;
    while (ok && left > 0) {
        size_t want = static_cast<size_t>(left < piece.size() ? left : piece.size());
        size_t got = std::fread(piece.data(), 1, want, in);
        if (got != want) {
            *error = e.shown + ": changed or could not be read while it was packed";
            ok = false;
        } else {
            ok = compress(w, piece.data(), got, false);
            left -= got;
        }
    }
    std::fclose(in);
    return ok;
}

// The bytes of the stream: the record headers and the files.
uint64_t stream_size(const DistributionTree& tree, const std::string& title) {
    uint64_t size = encode_record({RECORD_TITLE, 0, title, 0}).size();
    for (const DistributionEntry& e : tree.entries) {
        PackageRecord r{e.folder ? RECORD_FOLDER : RECORD_FILE, 0, e.path, static_cast<uint64_t>(e.size)};
        size += encode_record(r).size() + (e.folder ? 0 : r.size);
    }
    return size;
}

bool write_payload(PayloadWriter& w, const DistributionTree& tree, const std::string& title, PackFacts* facts,
                   std::string* error) {
    if (!add_record(w, {RECORD_TITLE, 0, title, 0})) return false;
    for (const DistributionEntry& e : tree.entries) {
        PackageRecord r{e.folder ? RECORD_FOLDER : RECORD_FILE, e.attributes & KEPT_ATTRIBUTES, e.path,
                        static_cast<uint64_t>(e.folder ? 0 : e.size)};
        if (!add_record(w, r)) return false;
        if (e.folder) {
            ++facts->folders;
            continue;
        }
        ++facts->files;
        facts->bytes_before += r.size;
        if (!add_file_bytes(w, e, error)) return false;
    }
    return compress(w, nullptr, 0, true);
}

}  // namespace

bool write_package(const DistributionTree& tree, const std::string& stub, const std::string& title,
                   const std::string& output, PackFacts* facts, std::string* error) {
    *facts = PackFacts{};
    PayloadWriter w;
    w.out = open_file(output, "wb");
    if (!w.out) {
        *error = output + ": cannot be written";
        return false;
    }
    w.zstd = ZSTD_createCCtx();
    w.buffer.resize(ZSTD_CStreamOutSize());
    XXH64_reset(&w.checksum, 0);
    const uint64_t stream = stream_size(tree, title);
    ZSTD_CCtx_setParameter(w.zstd, ZSTD_c_compressionLevel, PACK_LEVEL);
    ZSTD_CCtx_setParameter(w.zstd, ZSTD_c_checksumFlag, 1);
    ZSTD_CCtx_setPledgedSrcSize(w.zstd, stream);
    // The payload starts on an 8-byte boundary, and the trailer ends on one,
    // so that a signer adds no padding between the trailer and its table.
    std::string head = stub + std::string((8 - stub.size() % 8) % 8, '\0');
    bool ok = std::fwrite(head.data(), 1, head.size(), w.out) == head.size();
    std::string reason;
    ok = ok && write_payload(w, tree, title, facts, &reason);
    if (ok) {
        std::string padding((8 - w.written % 8) % 8, '\0');
        PackageTrailer t{head.size(), w.written, stream, facts->folders + facts->files, XXH64_digest(&w.checksum)};
        std::string trailer = encode_trailer(t);
        ok = std::fwrite(padding.data(), 1, padding.size(), w.out) == padding.size() &&
             std::fwrite(trailer.data(), 1, trailer.size(), w.out) == trailer.size();
        facts->bytes_after = t.payload_size;
        facts->package_size = head.size() + t.payload_size + padding.size() + trailer.size();
    }
    ZSTD_freeCCtx(w.zstd);
    if (std::fclose(w.out) != 0) ok = false;
    if (!ok) {
        *error = reason.empty() ? output + ": cannot be written (is the disk full?)" : reason;
        remove_file(output);
    }
    return ok;
}

bool sign_package(const std::string& unsigned_file, const std::string& output, const std::string& certificate,
                  const std::string& password_file, const std::string& title, std::string* error) {
    // The signing tool does not write over an earlier output.
    remove_file(output);
    int code = run_tool({"osslsigncode", "sign", "-pkcs12", certificate, "-readpass", password_file, "-n", title, "-h",
                         "sha256", "-in", unsigned_file, "-out", output});
    if (code == 0) return true;
    *error = code < 0 ? "osslsigncode cannot be started: install it (Debian: osslsigncode) to sign packages"
                      : "osslsigncode could not sign the package (exit code " + std::to_string(code) + ")";
    remove_file(output);
    return false;
}

bool package_reads_back(const std::string& file) {
    std::string bytes;
    bool whole = false;
    PackageSummary summary;
    return read_file_bytes(file, static_cast<size_t>(-1), &bytes, &whole) && whole &&
           check_package(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &summary) ==
               PACKAGE_READ;
}
