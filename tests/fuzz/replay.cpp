// Replays committed fuzzing inputs through a fuzz target, so that every
// input that once found a fault, and every seed, runs on every test run:
//
//   <target>_replay FILE-OR-FOLDER...
//
// A sanitizer report ends the program with a failure; otherwise it prints
// how many inputs ran and exits 0.  No input at all is a failure too, so a
// corpus that went missing cannot pass unnoticed.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "tests/fuzz/fuzz_target.h"

namespace {

int replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path))
                if (entry.is_regular_file()) inputs += replay(entry.path());
        } else if (std::filesystem::is_regular_file(path)) {
            inputs += replay(path);
        }
    }
    std::printf("%d inputs replayed\n", inputs);
    return inputs > 0 ? 0 : 1;
}
