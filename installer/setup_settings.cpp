// Reading setup.ini, the author's settings beside the installer.
#include "installer/setup.h"
#include "installer/settings_layout.h"
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
