// Packages: made from a distribution on this disk, read back, and refused
// whole when damaged anywhere, cut short, or made with hostile paths.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <fstream>

#include <zstd.h>

#include "checker/folder.h"
#include "packer/pack.h"
#include "packer/package_reader.h"
#include "packer/tools.h"

namespace {

namespace fs = std::filesystem;

// Stands in for the self-extracting program: the package does not care
// what comes before its payload.
const std::string STUB = "MZ stand-in for the self-extracting program";

std::string read_all(const std::string& path) {
    std::string bytes;
    bool whole = false;
    EXPECT_TRUE(read_file_bytes(path, 1 << 30, &bytes, &whole));
    return bytes;
}

PackageResult check(const std::string& bytes, PackageSummary* summary) {
    return check_package(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), summary);
}

// A package whose stream is exactly these records (file bytes included),
// as a hostile or careless maker could write it.
std::string package_of(const std::string& stream, uint32_t entries) {
    std::string payload(ZSTD_compressBound(stream.size()), '\0');
    ZSTD_CCtx* zstd = ZSTD_createCCtx();
    ZSTD_CCtx_setParameter(zstd, ZSTD_c_checksumFlag, 1);
    payload.resize(ZSTD_compress2(zstd, payload.data(), payload.size(), stream.data(), stream.size()));
    ZSTD_freeCCtx(zstd);
    std::string head = STUB + std::string((8 - STUB.size() % 8) % 8, '\0');
    std::string padding((8 - payload.size() % 8) % 8, '\0');
    PackageTrailer t{head.size(), payload.size(), stream.size(), entries,
                     payload_checksum(payload.data(), payload.size())};
    return head + payload + padding + encode_trailer(t);
}

std::string record(uint8_t kind, const std::string& path, const std::string& bytes = "") {
    return encode_record({kind, 0, path, bytes.size()}) + bytes;
}

class Packages : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/tarvo-pack-XXXXXX";
        root = mkdtemp(name);
        write("dist/Setup.exe", "MZ setup");
        write("dist/setup.ini", "[ Informations sur le logiciel]\r\nNom=Carnet\r\n");
        write("dist/Aide/aide.txt", std::string(5000, 'a'));
        // Names in any language; NTFS orders them by their upper case.
        write("dist/Aide/Ζωή.txt", "z");
        write("dist/Aide/ελένη.txt", "e");
        fs::create_directories(root + "/dist/vide");
        write("dist/.hidden", "");
    }
    void TearDown() override { fs::remove_all(root); }

    void write(const std::string& relative, const std::string& bytes) {
        fs::create_directories((fs::path(root) / relative).parent_path());
        std::ofstream(fs::path(root) / relative, std::ios::binary) << bytes;
    }

    std::string pack() {
        DistributionTree tree;
        EXPECT_TRUE(read_distribution(root + "/dist", 1000, tree));
        PackFacts facts;
        std::string error;
        EXPECT_TRUE(write_package(tree, STUB, "Carnet - v1.0", root + "/out.exe", &facts, &error)) << error;
        EXPECT_EQ(facts.files, 6u);
        EXPECT_EQ(facts.folders, 2u);
        return read_all(root + "/out.exe");
    }

    std::string root;
};

// What the self-extracting program would write, record by record.
struct Written {
    std::vector<std::string> lines;
};

bool note_record(void* context, const PackageRecord& r) {
    static_cast<Written*>(context)->lines.push_back(std::to_string(r.kind) + " " + r.path + " " +
                                                    std::to_string(r.size) + " " + std::to_string(r.attributes));
    return true;
}
bool note_data(void* context, const unsigned char*, size_t count) {
    static_cast<Written*>(context)->lines.back() += " +" + std::to_string(count);
    return true;
}
bool keep_going(void*, uint64_t done, uint64_t total) { return done <= total; }

TEST_F(Packages, EveryFolderAndFileComesBackInOrder) {
    fs::permissions(root + "/dist/Aide/aide.txt", fs::perms::owner_write, fs::perm_options::remove);
    std::string package = pack();
    EXPECT_EQ(package.compare(0, STUB.size(), STUB), 0);
    EXPECT_EQ(package.size() % 8, 0u);
    Written written;
    PackageSink sink{note_record, note_data, keep_going};
    ASSERT_EQ(read_package(reinterpret_cast<const unsigned char*>(package.data()), package.size(), sink, &written),
              PACKAGE_READ);
    EXPECT_EQ(written.lines, (std::vector<std::string>{"0 Carnet - v1.0 0 0", "2 .hidden 0 0", "1 Aide 0 0",
                                                        "2 Aide\\aide.txt 5000 1 +5000", "2 Aide\\ελένη.txt 1 0 +1",
                                                        "2 Aide\\Ζωή.txt 1 0 +1", "2 Setup.exe 8 0 +8",
                                                        "2 setup.ini 45 0 +45", "1 vide 0 0"}));
    PackageSummary summary;
    EXPECT_EQ(check(package, &summary), PACKAGE_READ);
    EXPECT_EQ(summary.title, "Carnet - v1.0");
    EXPECT_EQ(summary.files, 6u);
    EXPECT_EQ(summary.folders, 2u);
    EXPECT_TRUE(summary.has_setup);
}

// A byte changed anywhere from the payload's first byte to the trailer's
// last, or a file cut anywhere, is found before any record is handed on.
TEST_F(Packages, DamageAtAnyByteAndTruncationAreRefused) {
    std::string package = pack();
    PackageTrailer trailer;
    ASSERT_TRUE(find_trailer(reinterpret_cast<const unsigned char*>(package.data()), package.size(), trailer));
    Written written;
    PackageSink sink{note_record, note_data, keep_going};
    for (size_t at = trailer.payload_offset; at < package.size(); ++at) {
        std::string damaged = package;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
        ASSERT_EQ(read_package(reinterpret_cast<const unsigned char*>(damaged.data()), damaged.size(), sink, &written),
                  PACKAGE_DAMAGED)
            << at;
    }
    for (size_t cut = 0; cut < package.size(); cut += 7)
        ASSERT_EQ(read_package(reinterpret_cast<const unsigned char*>(package.data()), cut, sink, &written),
                  PACKAGE_DAMAGED)
            << cut;
    EXPECT_TRUE(written.lines.empty());
}

TEST(PackageRecords, HostilePathsAreRefused) {
    using namespace std::string_literals;
    const std::vector<std::string> paths = {
        "..\\escape.txt"s, "a\\..\\..\\b", "C:\\Windows\\x.dll", "\\rooted", "C:x", "file.txt:stream", "CON",
        "Aide\\nul.txt", "a\\\\b", "a\\", "trailing.", "sub/dir", "nul\0byte"s, "", "a\\b\\com1",
        "caf\xE9.txt"};  // no UTF-8
    for (const std::string& path : paths) {
        std::string stream = record(RECORD_TITLE, "T") + record(RECORD_FILE, path, "x");
        PackageSummary summary;
        EXPECT_EQ(check(package_of(stream, 1), &summary), PACKAGE_DAMAGED) << path;
    }
    EXPECT_TRUE(is_safe_package_path("Aide\\Aide de Carnet.txt"));
    EXPECT_TRUE(is_safe_package_path(".hidden"));
    EXPECT_TRUE(is_safe_package_path("Ελένη\\日本.txt"));
    EXPECT_FALSE(is_safe_package_path(std::string(1025, 'a')));
}

TEST(PackageRecords, TheStreamMustBeWhatTheTrailerSays) {
    std::string title = record(RECORD_TITLE, "T");
    std::string setup = record(RECORD_FILE, "Setup.exe", "MZ");
    PackageSummary summary;
    EXPECT_EQ(check(package_of(title + setup, 1), &summary), PACKAGE_READ);
    EXPECT_EQ(check(package_of(title + setup, 2), &summary), PACKAGE_DAMAGED);  // a record missing
    EXPECT_EQ(check(package_of(setup + title, 2), &summary), PACKAGE_DAMAGED);  // no title first
    EXPECT_EQ(check(package_of(title + setup + setup, 2), &summary), PACKAGE_DAMAGED);  // a path twice
    EXPECT_EQ(check(package_of(title + setup + record(RECORD_FILE, "SETUP.EXE"), 2), &summary), PACKAGE_DAMAGED);
    EXPECT_EQ(check(package_of(title + record(RECORD_FILE, "Aide\\a.txt"), 1), &summary), PACKAGE_DAMAGED);  // no folder
    EXPECT_EQ(check(package_of(title + setup.substr(0, setup.size() - 1), 1), &summary), PACKAGE_DAMAGED);
    EXPECT_EQ(check(package_of(title + setup + "\x07", 1), &summary), PACKAGE_DAMAGED);  // an unknown kind
    EXPECT_EQ(check(package_of(title + record(RECORD_FOLDER, "Aide") + record(RECORD_FILE, "aide\\a.txt"), 2), &summary),
              PACKAGE_READ);
}

// A signed program ends with its certificate table, aligned on 8 bytes;
// the package is found before it.
TEST(PackageRecords, TheTrailerIsFoundBeforeASignaturesTable) {
    std::string stream = record(RECORD_TITLE, "T") + record(RECORD_FILE, "Setup.exe", "MZ");
    std::string package = package_of(stream, 1);
    // A 64-bit program's headers: the optional header at 0x98, its fifth
    // data directory (the certificate table) 112 + 32 bytes into it.
    std::string head(0x200, '\0');
    head[0] = 'M', head[1] = 'Z';
    head[0x3C] = static_cast<char>(0x80);
    std::memcpy(&head[0x80], "PE\0\0", 4);
    head[0x80 + 20] = static_cast<char>(0xF0);  // the optional header's size
    head[0x98] = 0x0B, head[0x99] = 0x02;
    // The payload and trailer of the package, moved behind these headers.
    PackageTrailer t;
    ASSERT_TRUE(find_trailer(reinterpret_cast<const unsigned char*>(package.data()), package.size(), t));
    std::string payload = package.substr(t.payload_offset, package.size() - TRAILER_SIZE - t.payload_offset);
    t.payload_offset = head.size();
    std::string rebuilt = head + payload + encode_trailer(t);
    const size_t table_at = rebuilt.size();
    const uint32_t table_size = 16;
    for (int i = 0; i < 4; ++i) {
        rebuilt[0x98 + 112 + 32 + i] = static_cast<char>(table_at >> (8 * i));
        rebuilt[0x98 + 112 + 36 + i] = static_cast<char>(table_size >> (8 * i));
    }
    std::string with_table = rebuilt + std::string(table_size, '\x5A');
    PackageSummary summary;
    ASSERT_EQ(rebuilt.size() % 8, 0u);
    EXPECT_EQ(check(with_table, &summary), PACKAGE_READ);
    EXPECT_EQ(summary.files, 1u);
}

// The smallest 64-bit Windows program a signing tool accepts: headers and
// one section holding a "ret".
std::string tiny_program() {
    std::string pe(0x400, '\0');
    auto put = [&](size_t at, uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) pe[at + i] = static_cast<char>(value >> (8 * i));
    };
    pe[0] = 'M', pe[1] = 'Z';
    put(0x3C, 0x80, 4);
    std::memcpy(&pe[0x80], "PE\0\0", 4);
    put(0x84, 0x8664, 2);  // x86-64
    put(0x86, 1, 2);       // one section
    put(0x94, 0xF0, 2);    // optional header size
    put(0x96, 0x22, 2);    // executable, large addresses
    const size_t o = 0x98;
    put(o, 0x20B, 2);
    put(o + 4, 0x200, 4);                 // code size
    put(o + 16, 0x1000, 4);               // entry point
    put(o + 20, 0x1000, 4);               // code base
    put(o + 24, 0x140000000, 8);          // image base
    put(o + 32, 0x1000, 4);               // section alignment
    put(o + 36, 0x200, 4);                // file alignment
    put(o + 40, 6, 2), put(o + 48, 6, 2); // system versions
    put(o + 56, 0x2000, 4);               // image size
    put(o + 60, 0x200, 4);                // headers size
    put(o + 68, 2, 2);                    // GUI
    put(o + 72, 0x100000, 8), put(o + 80, 0x1000, 8), put(o + 88, 0x100000, 8), put(o + 96, 0x1000, 8);
    put(o + 108, 16, 4);                  // data directories
    const size_t section = o + 0xF0;
    std::memcpy(&pe[section], ".text", 5);
    put(section + 8, 0x1000, 4), put(section + 12, 0x1000, 4), put(section + 16, 0x200, 4), put(section + 20, 0x200, 4);
    put(section + 36, 0x60000020, 4);
    pe[0x200] = static_cast<char>(0xC3);
    return pe;
}

// Signed with a certificate made for the test: the package still reads
// back, and the signature checks against that certificate.
TEST_F(Packages, ASignedPackageStillReadsBack) {
    const std::string dir = root + "/signing/";
    fs::create_directories(dir);
    ASSERT_EQ(run_tool({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", dir + "key.pem", "-out",
                        dir + "cert.pem", "-days", "2", "-subj", "/CN=Tarvo test signing"}),
              0);
    ASSERT_EQ(run_tool({"openssl", "pkcs12", "-export", "-inkey", dir + "key.pem", "-in", dir + "cert.pem", "-out",
                        dir + "test.pfx", "-passout", "pass:kit-test"}),
              0);
    write("signing/password.txt", "kit-test\n");
    DistributionTree tree;
    ASSERT_TRUE(read_distribution(root + "/dist", 1000, tree));
    PackFacts facts;
    std::string error;
    ASSERT_TRUE(write_package(tree, tiny_program(), "Carnet - v1.0", dir + "unsigned.exe", &facts, &error)) << error;
    ASSERT_TRUE(sign_package(dir + "unsigned.exe", dir + "signed.exe", dir + "test.pfx", dir + "password.txt",
                             "Carnet - v1.0", &error))
        << error;
    EXPECT_GT(fs::file_size(dir + "signed.exe"), fs::file_size(dir + "unsigned.exe"));
    EXPECT_TRUE(package_reads_back(dir + "signed.exe"));
    EXPECT_EQ(run_tool({"osslsigncode", "verify", "-CAfile", dir + "cert.pem", "-in", dir + "signed.exe"}), 0);
    // A wrong password signs nothing and leaves no output.
    write("signing/password.txt", "wrong\n");
    EXPECT_FALSE(sign_package(dir + "unsigned.exe", dir + "second.exe", dir + "test.pfx", dir + "password.txt", "T",
                              &error));
    EXPECT_FALSE(fs::exists(dir + "second.exe"));
}

}  // namespace
