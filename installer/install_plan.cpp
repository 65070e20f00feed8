#include "installer/install_plan.h"

#include <algorithm>

#include "runtime/code_page.h"

#include "runtime/line_split.h"

namespace {

// Shortcut 1 and shortcut 2 in `folder`, those that have a name.
void add_named_shortcuts(const SetupState& state, const std::string& folder, std::vector<PlannedShortcut>& list) {
    if (!state.shortcut1_name.empty())
        list.push_back({folder + state.shortcut1_name + ".lnk", state.install_dir + state.shortcut1_target});
    if (!state.shortcut2_name.empty())
        list.push_back({folder + state.shortcut2_name + ".lnk", state.install_dir + state.shortcut2_target});
}

}  // namespace

IntegrationPlan plan_integration(const SetupState& state, const ShellFolders& folders, bool desktop_shortcuts) {
    IntegrationPlan plan;
    if (desktop_shortcuts && !folders.desktop.empty()) add_named_shortcuts(state, folders.desktop, plan.desktop_shortcuts);
    if (folders.programs.empty()) return plan;
    plan.author_folder = folders.programs + "Tarvo\\";
    plan.start_menu_dir = plan.author_folder + state.program_name + "\\";
    plan.update_information_file = plan.start_menu_dir + T(UPDATE) + ".Txt";
    // The first line is what a later installer reads to find this
    // installation.
    plan.update_information = {state.install_dir, "", state.program_name + " - v" + state.program_version, "",
                               T(NEW_VERSION_PAGE), AUTHOR_WEB_PAGE};
    add_named_shortcuts(state, plan.start_menu_dir, plan.menu_shortcuts);
    plan.menu_shortcuts.push_back(
        {plan.start_menu_dir + T(UNINSTALL_SHORTCUT) + ".lnk", state.install_dir + "Uninstall.exe"});
    return plan;
}

std::vector<std::string> integration_records(const IntegrationPlan& plan) {
    std::vector<std::string> records;
    for (const PlannedShortcut& shortcut : plan.desktop_shortcuts) records.push_back(shortcut.link);
    if (plan.start_menu_dir.empty()) return records;
    records.push_back(plan.update_information_file);
    for (const PlannedShortcut& shortcut : plan.menu_shortcuts) records.push_back(shortcut.link);
    records.push_back("[Menu]");
    records.push_back(plan.start_menu_dir);
    return records;
}

// The placeholder is overwritten where a line reader stands after the first
// line, so a template of one line without a line end gets the code at its
// end, and an empty one holds just the code.
std::string completed_record(std::string_view template_bytes, const std::string& language,
                             const std::vector<std::string>& records) {
    bool utf8_template = template_bytes.substr(0, 3) == UTF8_MARK;
    std::string record = decode_stored_text(template_bytes);
    std::string line;
    bool open_last_line = false;
    if (!record.empty()) {
        next_line(record, record.size() - 1, &line);
        open_last_line = !line.empty();
    }
    size_t placeholder = next_line(record, 0, &line);
    std::string code = language.substr(0, 2);
    // The placeholder is two characters, whatever bytes they take.
    size_t replaced = 0;
    for (size_t n = 0; n < code.size() && placeholder + replaced < record.size(); ++n)
        replaced += utf8_length(static_cast<unsigned char>(record[placeholder + replaced]));
    replaced = std::min(replaced, record.size() - std::min(placeholder, record.size()));
    if (record.size() < placeholder) record.resize(placeholder);
    record.replace(placeholder, replaced, code);
    if (open_last_line) record += "\r\n";
    for (size_t i = 0; i < records.size(); ++i) {
        record += records[i];
        if (i + 1 < records.size()) record += "\r\n";
    }
    // A template the author wrote in UTF-8 stays so.
    return utf8_template ? UTF8_MARK + record : encode_stored_text(record);
}
