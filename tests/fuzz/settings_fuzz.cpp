// setup.ini as the installer reads it: every group and key of the layout,
// and a group and key taken from the input's own first bytes.
#include <algorithm>

#include "installer/settings_layout.h"
#include "installer/setup.h"
#include "runtime/settings.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes = fuzz_bytes(data, size);
    open_settings_text(bytes);
    setup = SetupState{};
    read_settings_fields();
    for (const char* language : {"FR", "EN"}) {
        setup.language = language;
        read_custom_text_fields();
    }
    std::string probe(bytes.substr(0, std::min<size_t>(size, 24)));
    select_settings_group(probe);
    read_setting_text(probe, "");
    read_setting_number(probe, 0);
    select_settings_group(probe.substr(0, probe.size() / 2));
    read_setting_text(probe.substr(probe.size() / 2), "");
    close_settings_text();
    return 0;
}
