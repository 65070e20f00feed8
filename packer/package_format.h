// The self-extracting package: the program that unpacks it, then the
// compressed payload, then a fixed trailer that finds and checks the
// payload.  A signature added afterwards (its certificate table) follows
// the trailer.  Pure byte handling, no system calls: the packer writes this
// format, the self-extracting program and the tests read it.
//
// The payload is one zstd frame (with zstd's own checksum of its content)
// holding a stream of records: first the package's title, then every folder
// and file of the distribution, each folder before what it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// "TARVOPK1" packages held Windows-1252 names; this form holds UTF-8, and
// its own magic keeps a reader from taking one form for the other.
constexpr char PACKAGE_MAGIC[8] = {'T', 'A', 'R', 'V', 'O', 'P', 'K', '2'};
constexpr size_t TRAILER_SIZE = 56;

// Record kinds of the payload's stream.
constexpr uint8_t RECORD_TITLE = 0;   // the text the unpacking window shows
constexpr uint8_t RECORD_FOLDER = 1;
constexpr uint8_t RECORD_FILE = 2;

// Windows file attributes the package keeps: read-only, hidden, system.
// (Every file written gets the archive attribute anyway.)
constexpr uint32_t KEPT_ATTRIBUTES = 0x1 | 0x2 | 0x4;

struct PackageTrailer {
    uint64_t payload_offset = 0;  // where the compressed payload starts in the file
    uint64_t payload_size = 0;    // its bytes
    uint64_t stream_size = 0;     // the bytes of the record stream it holds
    uint32_t entries = 0;         // folders and files
    uint64_t payload_checksum = 0;  // XXH64 of the compressed bytes
};

// The 56 bytes of a trailer; the last 8 are the XXH64 of the first 48.
std::string encode_trailer(const PackageTrailer& trailer);
// False when the bytes are no trailer of this format or its checksum fails.
bool decode_trailer(const unsigned char* bytes, PackageTrailer& trailer);

// Where the package's trailer ends in a file of these bytes: the end of the
// file, or for a signed program the start of its certificate table (and of
// the zero bytes that align that table).  0 when the data is too short.
size_t package_end(const unsigned char* file, size_t size);

// The trailer of a package file, checked for consistency with the file's
// size (the payload ends at most 7 zero bytes before the trailer); false
// when there is none or it cannot be one.
bool find_trailer(const unsigned char* file, size_t size, PackageTrailer& trailer);

// XXH64 with seed 0, the checksum of payloads.
uint64_t payload_checksum(const void* data, size_t size);

// One record of the stream.
struct PackageRecord {
    uint8_t kind = RECORD_FILE;
    uint32_t attributes = 0;
    std::string path;   // title text, or a relative path: UTF-8, "\" between names
    uint64_t size = 0;  // file bytes that follow the record's header
};

// The header of a record as the stream holds it (a file's bytes follow).
std::string encode_record(const PackageRecord& record);

// Reads the records of a stream given in pieces.  feed() takes the next
// bytes; after each call, take records with next_record() and the pieces of
// the current file's bytes with file_bytes().
struct StreamReader {
    std::string pending;          // bytes of a record header not yet whole
    PackageRecord current;
    uint64_t file_left = 0;       // bytes of the current file still to come
    bool failed = false;
};

enum StreamEvent {
    STREAM_NEED_MORE,  // every byte given so far is used
    STREAM_RECORD,     // a record is in reader.current
    STREAM_DATA,       // *data and *count: bytes of the current file
    STREAM_BROKEN,     // the bytes are not a stream of this format
};

// Takes the next event from bytes[*used..count), advancing *used.
StreamEvent next_stream_event(StreamReader& reader, const unsigned char* bytes, size_t count, size_t* used,
                              const unsigned char** data, size_t* data_count);

// A path a package may hold: UTF-8, relative, "\" between names, each name
// one a Windows file can have (no drive, no "..", no device name, no ":"
// that would open an alternate stream), at most 1024 bytes.
bool is_safe_package_path(std::string_view path);
