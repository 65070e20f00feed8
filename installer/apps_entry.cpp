#include "installer/apps_entry.h"

#include <algorithm>

namespace {

// The program shown beside the entry, without its ",0".
std::string icon_program(const SetupState& state) {
    if (!state.shortcut1_name.empty() && !state.shortcut1_target.empty()) return state.shortcut1_target;
    if (!state.shortcut2_name.empty() && !state.shortcut2_target.empty()) return state.shortcut2_target;
    if (!state.run_after_program.empty()) return state.run_after_program;
    return "Uninstall.exe";
}

}  // namespace

// A registry key name holds any character but "\".
std::string apps_entry_key(const std::string& program_name) {
    std::string key = APPS_ENTRY_PREFIX + program_name;
    std::replace(key.begin(), key.end(), '\\', '_');
    return key;
}

AppsEntry plan_apps_entry(const SetupState& state, int64_t total_size, const std::string& date) {
    std::string uninstaller = "\"" + state.install_dir + "Uninstall.exe\"";
    // Kilobytes, rounded as the result page rounds its size; Windows reads a
    // 32-bit number.
    int64_t kilobytes = std::min<int64_t>((std::max<int64_t>(total_size, 0) + 512) / 1024, UINT32_MAX);
    AppsEntry entry;
    entry.key = apps_entry_key(state.program_name);
    entry.values = {
        {"DisplayName", false, state.program_name},
        {"DisplayVersion", false, state.program_version},
        {"Publisher", false, state.publisher},
        {"DisplayIcon", false, state.install_dir + icon_program(state) + ",0"},
        {"InstallLocation", false, state.install_dir},
        {"InstallDate", false, date},
        {"EstimatedSize", true, "", static_cast<uint32_t>(kilobytes)},
        {"UninstallString", false, uninstaller},
        {"QuietUninstallString", false, uninstaller + " /VERYSILENT"},
        {"NoModify", true, "", 1},
        {"NoRepair", true, "", 1},
        {"URLInfoAbout", false, AUTHOR_WEB_PAGE},
    };
    return entry;
}
