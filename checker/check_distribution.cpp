// Every check of a distribution folder, in the order its files are read.
#include "checker/checks.h"
#include "checker/folder.h"
#include "installer/setup.h"

namespace {

// A settings file or record longer than this is not one the kit reads
// whole; the checker still reads this much of it.
constexpr size_t TEXT_FILE_LIMIT = 64 << 20;

// A text file of the distribution; false when it is missing or unreadable.
bool read_text(const DistributionTree& tree, const std::string& name, std::string* bytes) {
    const DistributionEntry* entry = find_entry(tree, name);
    bool whole = false;
    return entry && !entry->folder && read_file_bytes(entry->native, TEXT_FILE_LIMIT, bytes, &whole);
}

}  // namespace

void check_distribution(const DistributionTree& tree, bool english, CheckReport& report, std::string* template_bytes) {
    std::string settings_bytes;
    SettingsLines lines;
    template_bytes->clear();
    if (read_text(tree, "setup.ini", &settings_bytes)) {
        check_settings(settings_bytes, report, lines);
    } else {
        add_diagnostic(report, "setup.ini", 0, SEVERITY_ERROR,
                       "missing: Setup runs with every setting at its default, without a program name, shortcuts "
                       "or presentation text; write setup.ini beside Setup.exe");
        check_settings("", report, lines);
    }
    if (read_text(tree, "Uninstall.dat", template_bytes))
        check_record_template(*template_bytes, tree, report);
    else
        add_diagnostic(report, "Uninstall.dat", 0, SEVERITY_ERROR,
                       "missing: the installation's record then holds only the language code and the installed "
                       "files, outside any section, and the uninstaller deletes none of them; ship the template");
    check_files(tree, lines, report);
    setup.language = english && setup.multilingual != 0 ? "EN" : "FR";
    if (english && setup.multilingual == 0)
        add_diagnostic(report, "setup.ini", 0, SEVERITY_WARNING,
                       "\"Programme multilangue\" is 0, so every run is in French, English asked for or not");
    catalogue = TextCatalogue{};
    load_catalogue(setup.language);
}
