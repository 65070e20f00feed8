// Setup's command line: the switch splitter and the options read from it.
#include <string>

#include "installer/setup_options.h"
#include "runtime/switches.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text = fuzz_bytes(data, size);
    std::string_view parameters = command_line_parameters(text);
    SetupOptions options = parse_setup_options(parameters);
    // A refused line names an argument it holds.
    if (!options.understood && !options.invalid.empty() &&
        std::string(parameters).find(options.invalid.substr(0, 1)) == std::string::npos)
        __builtin_trap();
    return 0;
}
