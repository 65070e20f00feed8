// Making a package: the self-extracting program followed by a distribution
// folder, compressed, and the trailer that finds and checks it.
#pragma once

#include <cstdint>
#include <string>

#include "checker/distribution.h"

struct PackFacts {
    uint32_t folders = 0;
    uint32_t files = 0;
    uint64_t bytes_before = 0;  // the files' bytes
    uint64_t bytes_after = 0;   // the payload's bytes, compressed
    uint64_t package_size = 0;  // the whole package file
};

// zstd's level for packages: the strongest of its usual levels.  A package
// is made once and unpacked on every user's machine, where zstd decodes as
// fast whatever the level.
constexpr int PACK_LEVEL = 19;

// Writes the package to `output`: `stub` (the self-extracting program's
// bytes), the payload of every folder and file of the tree under the title,
// then the trailer.  False, with the reason in *error, when a file cannot be
// read or the output cannot be written; the output is then removed.
bool write_package(const DistributionTree& tree, const std::string& stub, const std::string& title,
                   const std::string& output, PackFacts* facts, std::string* error);

// Signs the package `unsigned_file` into `output` with osslsigncode, the
// certificate (a PKCS#12 file) and the password on the first line of
// `password_file`, which never appears on a command line.  False, with the
// reason in *error, when it could not.
bool sign_package(const std::string& unsigned_file, const std::string& output, const std::string& certificate,
                  const std::string& password_file, const std::string& title, std::string* error);

// The package file as a user will download it: found, checked, and
// readable to its end.
bool package_reads_back(const std::string& file);
