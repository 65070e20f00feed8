// Reading a package: the trailer and the payload's checksum first, then the
// records as the payload is decompressed, each checked before it is handed
// on.  Pure byte handling over zstd, no system calls: the self-extracting
// program reads its own file with it, twice (once to check everything
// before writing anything, once to write), and the tests and fuzz targets
// read packages with it too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "packer/package_format.h"

// What a reading does with the records as they come.  Each slot returns
// false to stop the reading.
struct PackageSink {
    bool (*record)(void* context, const PackageRecord& record);               // a folder or a file
    bool (*data)(void* context, const unsigned char* bytes, size_t count);   // the current file's bytes
    bool (*progress)(void* context, uint64_t done, uint64_t total);          // stream bytes read so far
};

enum PackageResult : int {
    PACKAGE_READ = 0,     // every record read and checked
    PACKAGE_DAMAGED = 1,  // no package, a damaged or truncated one, or one with an unsafe path
    PACKAGE_STOPPED = 2,  // the sink stopped the reading
};

// What a check of the whole package found.
struct PackageSummary {
    std::string title;
    uint32_t folders = 0;
    uint32_t files = 0;
    uint64_t file_bytes = 0;
    bool has_setup = false;  // a "Setup.exe" at the top, to start once unpacked
};

// Reads the package in file[0..size).  Before the first record reaches the
// sink, the trailer and the checksum of every payload byte are checked;
// every record is checked (its kind, a safe path, never a path twice,
// folders before what they hold) before the sink sees it, and the end of
// the stream against the trailer and zstd's own checksum.
PackageResult read_package(const unsigned char* file, size_t size, const PackageSink& sink, void* context);

// Reads the whole package without writing anything.
PackageResult check_package(const unsigned char* file, size_t size, PackageSummary* summary);
