// What Setup would install and record for a distribution.
#include "checker/previews.h"
#include "installer/settings_layout.h"
#include "installer/setup.h"
#include "installer/size_format.h"

const char* const INSTALL_DAY = "<the day of the installation, YYYYMMDD>";

UserFolders sample_user_folders() {
    UserFolders folders;
    folders.appdata = "C:\\Users\\User\\AppData\\Roaming\\";
    folders.shell.programs = folders.appdata + "Microsoft\\Windows\\Start Menu\\Programs\\";
    folders.shell.desktop = "C:\\Users\\User\\Desktop\\";
    return folders;
}

std::string left_out_reason(CopyRule rule) {
    switch (rule) {
    case COPY_LEFT_INSTALLER: return "the installer's own file";
    case COPY_LEFT_SPLASH: return "the splash program, copied only with \"Copier le fichier Tarvo.exe=1\"";
    case COPY_LEFT_UPDATE_PROGRAM:
        return "the update program (\"" + std::string(KEY_UPDATE_PROGRAM) + "\"), run from a copy and deleted";
    case COPY_LEFT_INSTALL_PROGRAM:
        return "the install-time program (\"" + std::string(KEY_INSTALL_PROGRAM) + "\"), run from a copy and deleted";
    default: return "";
    }
}

// The proposed folders do not end with "\"; the run adds it.  The desktop
// box is ticked unless there is no program to run after the installation.
InstallPreview preview_installation(const DistributionTree& tree, std::string_view template_bytes,
                                    bool current_user, const UserFolders& folders) {
    InstallPreview preview;
    preview.install_dir = (current_user ? folders.appdata : std::string("C:\\Program files\\")) + setup.program_name + "\\";
    SetupState state = setup;
    state.install_dir = preview.install_dir;
    std::vector<std::string> records;
    for (const DistributionEntry& e : tree.entries) {
        if (e.folder) continue;
        CopyRule rule = copy_rule(state, entry_name(e.path));
        if (rule != COPY_INSTALLED) {
            preview.left_out.push_back({e.path, rule});
            continue;
        }
        preview.copied.push_back(e.path);
        records.push_back(state.install_dir + e.path);
        preview.total_size += e.size;
    }
    preview.size_line = T(LOG_DISK_SPACE) + format_size(preview.total_size, 0, 0, 1);
    bool desktop_shortcuts = !state.run_after_program.empty();
    preview.plan = plan_integration(state, folders.shell, desktop_shortcuts);
    for (const std::string& line : integration_records(preview.plan)) records.push_back(line);
    preview.record = completed_record(template_bytes, state.language, records);
    // The entry's root follows the kind of use; the run falls back on the
    // user's own list only when the machine's is refused, which no preview
    // can tell.
    preview.apps_listed = state.apps_entry != 0;
    preview.apps_root = current_user ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
    if (preview.apps_listed) preview.apps_entry = plan_apps_entry(state, preview.total_size, INSTALL_DAY);
    return preview;
}

std::vector<std::string> apps_entry_lines(const InstallPreview& p) {
    if (!p.apps_listed)
        return {"none: \"" + std::string(KEY_APPS_ENTRY) + "\" is 0 in setup.ini, so Setup leaves the program out "
                "of the list"};
    std::vector<std::string> lines = {p.apps_root + "\\" + APPS_ENTRIES_KEY + "\\" + p.apps_entry.key};
    for (const AppsEntryValue& v : p.apps_entry.values)
        lines.push_back("  " + std::string(v.name) + ": " +
                        (v.number ? std::to_string(v.dword) + " (REG_DWORD)" : v.text));
    return lines;
}
