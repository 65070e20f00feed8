// Command lines and the text fields cut from record entries: the program
// parameter splitter, string_field and remove_string.
#include <string>

#include "runtime/text.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(fuzz_bytes(data, size));
    split_program_parameters(text);
    int index = size > 0 ? data[0] % 8 - 1 : 1;
    for (const char* separator : {"&", "\\", ""}) string_field(text, index, separator);
    std::string part = string_field(text, 1, "\\");
    remove_string(text, part + "\\", REMOVE_IGNORE_CASE);
    remove_string(text, part, 0);
    std::vector<std::string> fields;
    for (int i = 1; i <= 6; ++i) fields.push_back(string_field(text, i, " "));
    sort_array(fields, SORT_IGNORE_CASE, index, 5);
    return 0;
}
