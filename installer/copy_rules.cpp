#include "installer/copy_rules.h"

CopyRule copy_rule(const SetupState& state, const std::string& name) {
    if (name == "Setup.exe" || name == "Setup.ini") return COPY_LEFT_INSTALLER;
    if (name == "Tarvo.exe" && state.copy_splash_file != 1) return COPY_LEFT_SPLASH;
    if (!state.update_program.empty() && name == state.update_program) return COPY_LEFT_UPDATE_PROGRAM;
    if (!state.install_program.empty() && name == state.install_program) return COPY_LEFT_INSTALL_PROGRAM;
    return COPY_INSTALLED;
}
