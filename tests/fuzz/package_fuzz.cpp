// A downloaded package as the self-extracting program reads it: the
// trailer, the payload's checksum, zstd's decoding and the records, whatever
// the bytes.  Each input is read as it is, and once more with its checksums
// made right, so that changed payloads reach the decoding and the records
// instead of stopping at the checksum.
#include <vector>

#include "packer/package_reader.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PackageSummary summary;
    check_package(data, size, &summary);
    if (size < TRAILER_SIZE) return 0;
    std::vector<unsigned char> fixed(data, data + size);
    PackageTrailer trailer;
    const unsigned char* end = fixed.data() + fixed.size() - TRAILER_SIZE;
    if (!decode_trailer(end, trailer) || trailer.payload_offset > size - TRAILER_SIZE ||
        trailer.payload_size > size - TRAILER_SIZE - trailer.payload_offset)
        return 0;
    trailer.payload_checksum = payload_checksum(fixed.data() + trailer.payload_offset,
                                                static_cast<size_t>(trailer.payload_size));
    std::string bytes = encode_trailer(trailer);
    std::copy(bytes.begin(), bytes.end(), fixed.end() - TRAILER_SIZE);
    check_package(fixed.data(), fixed.size(), &summary);
    return 0;
}
