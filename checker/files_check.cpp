// The files of a distribution against what the installer and uninstaller
// will do with them.
#include <algorithm>

#include "checker/checks.h"
#include "installer/copy_rules.h"
#include "installer/settings_layout.h"
#include "installer/setup.h"
#include "runtime/text.h"

namespace {

// Beyond 259 characters (and the NUL) a path reaches only programs that use
// the long form, as the kit does; many others and Explorer cannot open it.
constexpr size_t MAX_PATH_LENGTH = 259;
// The longest name a local Windows account can have.
const std::string LONG_USER_NAME(20, 'u');

// The length Windows gives a UTF-8 path: its UTF-16 units, two for a
// character beyond U+FFFF.
size_t windows_length(std::string_view path) {
    size_t units = 0;
    for (char c : path) {
        unsigned char byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) units += byte >= 0xF0 ? 2 : 1;
    }
    return units;
}

const DistributionEntry* find_ignoring_case(const DistributionTree& tree, const std::string& path) {
    for (const DistributionEntry& e : tree.entries)
        if (same_ignoring_ascii_case(e.path, path)) return &e;
    return nullptr;
}

std::string shown_path(const std::string& path) {
    std::string shown = path;
    std::replace(shown.begin(), shown.end(), '\\', '/');
    return shown;
}

void check_kit_files(const DistributionTree& tree, CheckReport& report) {
    if (!find_entry(tree, "Setup.exe"))
        add_diagnostic(report, "Setup.exe", 0, SEVERITY_ERROR, "missing: the distribution has no installer to run");
    if (!find_entry(tree, "Uninstall.exe"))
        add_diagnostic(report, "Uninstall.exe", 0, SEVERITY_ERROR,
                       "missing: the uninstall shortcut of every installation points at nothing, and the "
                       "installation cannot be removed");
    if (!find_entry(tree, "Tarvo.exe"))
        add_diagnostic(report, "Tarvo.exe", 0, SEVERITY_WARNING, "missing: Setup starts without showing the logo");
    const DistributionEntry* link = find_entry(tree, "Tarvo Developpement.url");
    if (link && link->size > 100)
        add_diagnostic(report, "Tarvo Developpement.url", 0, SEVERITY_WARNING,
                       "the web link holds " + std::to_string(link->size) + " bytes: the uninstaller removes the "
                       "Start-menu folder \"Tarvo\" only when what is left in it holds 100 bytes at most, so it "
                       "would stay behind; shorten the link to 100 bytes");
}

// The licence window shows the pages of "Licence", or of "Licence [Version
// Plus]" when there is no "Licence" folder.
void check_licence(const DistributionTree& tree, CheckReport& report) {
    const DistributionEntry* folder = find_entry(tree, "Licence");
    std::string used = folder && folder->folder ? "Licence" : "Licence [Version Plus]";
    for (const char* page : {"Concepteur.htm", "Licence.htm"})
        if (!find_entry(tree, used + "\\" + page))
            add_diagnostic(report, shown_path(used + "\\" + page), 0, SEVERITY_WARNING,
                           "missing: the licence window shows an empty page instead (\"Licence\" is used when "
                           "it exists, else \"Licence [Version Plus]\")");
}

void check_names(const DistributionTree& tree, CheckReport& report) {
    for (const std::string& folder : tree.unlisted_folders)
        add_diagnostic(report, folder, 0, SEVERITY_ERROR, "cannot be listed here; Setup could not copy it either");
    if (tree.cut_short)
        add_diagnostic(report, ".", 0, SEVERITY_WARNING, "more files than the checker reads; the rest is unchecked");
    for (const DistributionEntry& e : tree.entries) {
        if (!e.representable)
            add_diagnostic(report, e.shown, 0, SEVERITY_ERROR,
                           "a name that is no Unicode text: Setup cannot name a copy of it; rename it");
        else if (!is_valid_file_name(entry_name(e.path)))
            add_diagnostic(report, e.shown, 0, SEVERITY_ERROR, "a name Windows files cannot have; rename it");
        if (e.link)
            add_diagnostic(report, e.shown, 0, SEVERITY_WARNING,
                           "a link: the checker does not follow it, and Setup copies what it leads to");
    }
}

// The installed paths under both proposed folders, the per-user one with
// the longest name a user can have.
void check_path_lengths(const DistributionTree& tree, CheckReport& report) {
    const std::string all_users = "C:\\Program files\\" + setup.program_name + "\\";
    const std::string per_user = "C:\\Users\\" + LONG_USER_NAME + "\\AppData\\Roaming\\" + setup.program_name + "\\";
    int reported = 0;
    for (const DistributionEntry& e : tree.entries) {
        if (e.folder || copy_rule(setup, entry_name(e.path)) != COPY_INSTALLED) continue;
        for (const std::string& base : {all_users, per_user}) {
            std::string installed = base + e.path;
            if (windows_length(installed) <= MAX_PATH_LENGTH) continue;
            if (reported++ < 20)
                add_diagnostic(report, e.shown, 0, SEVERITY_WARNING,
                               "installed as " + quoted(installed) + ", " + std::to_string(windows_length(installed)) +
                                   " characters: Setup copies and the uninstaller removes it, but many programs "
                                   "and Explorer cannot open a path of more than 259; shorten the folders or names");
            break;
        }
    }
    const std::string menu = "C:\\Users\\" + LONG_USER_NAME +
                             "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Tarvo\\" +
                             setup.program_name + "\\";
    for (const std::string* name : {&setup.shortcut1_name, &setup.shortcut2_name})
        if (!name->empty() && windows_length(menu + *name + ".lnk") > MAX_PATH_LENGTH)
            add_diagnostic(report, "setup.ini", 0, SEVERITY_ERROR,
                           "the shortcut " + quoted(*name) + " in the Start menu would be a path of more than 259 "
                           "characters; shorten the program name or the shortcut name");
}

// A program the settings name must be a file the copy installs.
void check_installed_target(const DistributionTree& tree, const SettingsLines& lines, const char* key,
                            const std::string& target, const std::string& what, CheckReport& report) {
    if (target.empty()) return;
    auto found = lines.keys.find(key);
    int line = found == lines.keys.end() ? 0 : found->second;
    const DistributionEntry* entry = find_ignoring_case(tree, target);
    if (!entry || entry->folder)
        add_diagnostic(report, "setup.ini", line, SEVERITY_ERROR,
                       quoted(target) + " is not a file of the distribution: " + what + "; name a file of the "
                       "folder, relative to it");
    else if (copy_rule(setup, entry_name(entry->path)) != COPY_INSTALLED)
        add_diagnostic(report, "setup.ini", line, SEVERITY_ERROR,
                       quoted(target) + " is a file Setup does not install: " + what);
}

void check_shortcut(const DistributionTree& tree, const SettingsLines& lines, const char* name_key,
                    const char* target_key, const std::string& name, const std::string& target, CheckReport& report) {
    auto line_of = [&](const char* key) {
        auto found = lines.keys.find(key);
        return found == lines.keys.end() ? 0 : found->second;
    };
    if (name.empty()) {
        if (!target.empty())
            add_diagnostic(report, "setup.ini", line_of(target_key), SEVERITY_WARNING,
                           "a shortcut target without a name: Setup makes no shortcut for it; set " +
                               quoted(name_key));
        return;
    }
    if (!is_valid_file_name(name + ".lnk"))
        add_diagnostic(report, "setup.ini", line_of(name_key), SEVERITY_ERROR,
                       "the shortcut name " + quoted(name) + " cannot be a file name, so no shortcut is made; "
                       "leave out \\ / : * ? \" < > | and a final blank or dot");
    if (target.empty())
        add_diagnostic(report, "setup.ini", line_of(name_key), SEVERITY_WARNING,
                       "the shortcut " + quoted(name) + " has no target: it opens the install folder itself");
    else
        check_installed_target(tree, lines, target_key, target, "the shortcut " + quoted(name) + " would be dead",
                               report);
}

// The auxiliary programs are copied from the distribution folder itself
// into the install folder before anything else is there.
void check_auxiliary(const DistributionTree& tree, const SettingsLines& lines, const char* key,
                     const std::string& program, CheckReport& report) {
    if (program.empty()) return;
    auto found = lines.keys.find(key);
    int line = found == lines.keys.end() ? 0 : found->second;
    const DistributionEntry* entry = find_entry(tree, program);
    if (!entry || entry->folder || program.find('\\') != std::string::npos)
        add_diagnostic(report, "setup.ini", line, SEVERITY_ERROR,
                       quoted(program) + " is not a file of the distribution folder itself: Setup copies the "
                       "program by this name into the install folder and runs it, and nothing runs; name a file "
                       "of the folder, byte for byte");
}

}  // namespace

std::string installed_file(const DistributionTree& tree, const std::string& relative) {
    const DistributionEntry* entry = find_ignoring_case(tree, relative);
    if (!entry || entry->folder || copy_rule(setup, entry_name(entry->path)) != COPY_INSTALLED) return "";
    return entry->path;
}

void check_files(const DistributionTree& tree, const SettingsLines& lines, CheckReport& report) {
    check_kit_files(tree, report);
    check_licence(tree, report);
    check_names(tree, report);
    check_path_lengths(tree, report);
    check_installed_target(tree, lines, KEY_RUN_AFTER, setup.run_after_program,
                           "after \"Terminer\" nothing starts", report);
    check_shortcut(tree, lines, KEY_SHORTCUT1_NAME, KEY_SHORTCUT1_TARGET, setup.shortcut1_name, setup.shortcut1_target,
                   report);
    check_shortcut(tree, lines, KEY_SHORTCUT2_NAME, KEY_SHORTCUT2_TARGET, setup.shortcut2_name, setup.shortcut2_target,
                   report);
    check_auxiliary(tree, lines, KEY_INSTALL_PROGRAM, setup.install_program, report);
    check_auxiliary(tree, lines, KEY_UPDATE_PROGRAM, setup.update_program, report);
}
