// Uninstall.dat as the uninstaller reads it: the line splitter, the
// section rules in both modes, and the Start-menu folder check on what it
// would clear.
#include "tests/fuzz/fuzz_target.h"
#include "uninstaller/record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes = fuzz_bytes(data, size);
    for (bool update_mode : {false, true})
        for (const RecordEntry& entry : record_entries(bytes, update_mode))
            if (entry.section == SECTION_MENU) is_program_menu_path(entry.text);
    return 0;
}
