// Reading setup.ini, the author's settings beside the installer.
#include "installer/setup.h"
#include "installer/settings_layout.h"
#include "runtime/run_log.h"
#include "runtime/settings.h"

// A missing file leaves every field at its default.
void read_settings() {
    open_settings("setup.ini");
    read_settings_fields();
    close_settings();
}

void read_custom_text() {
    open_settings("setup.ini");
    read_custom_text_fields();
    close_settings();
}

void check_setting_names() {
    std::vector<std::string> left_out;
    setup_run.unusable_name = !drop_unusable_names(setup, &left_out);
    for (const std::string& line : left_out) run_log(line);
    if (setup_run.unusable_name) run_log("The program's name \"" + setup.program_name + "\" cannot be a folder name: nothing can be installed");
}
