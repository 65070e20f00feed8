#include "installer/settings_layout.h"

#include "installer/setup.h"
#include "runtime/path_text.h"
#include "runtime/settings.h"

SetupState setup;

const SettingsKey SETTINGS_KEYS[] = {
    {GROUP_INFORMATION, KEY_NAME},
    {GROUP_INFORMATION, KEY_VERSION},
    {GROUP_INFORMATION, KEY_PUBLISHER},
    {GROUP_OPTIONS, KEY_RUN_AFTER},
    {GROUP_OPTIONS, KEY_SHORTCUT1_TARGET},
    {GROUP_OPTIONS, KEY_SHORTCUT1_NAME},
    {GROUP_OPTIONS, KEY_SHORTCUT2_TARGET},
    {GROUP_OPTIONS, KEY_SHORTCUT2_NAME},
    {GROUP_OPTIONS, KEY_COPY_SPLASH},
    {GROUP_OPTIONS, KEY_UPDATE_PROGRAM},
    {GROUP_OPTIONS, KEY_INSTALL_PROGRAM},
    {GROUP_OPTIONS, KEY_MULTILINGUAL},
    {GROUP_OPTIONS, KEY_APPS_ENTRY},
    {GROUP_TEXT_FR, "ligne1"}, {GROUP_TEXT_FR, "ligne2"}, {GROUP_TEXT_FR, "ligne3"},
    {GROUP_TEXT_FR, "ligne4"}, {GROUP_TEXT_FR, "ligne5"}, {GROUP_TEXT_FR, "ligne6"},
    {GROUP_TEXT_FR, "ligne7"}, {GROUP_TEXT_FR, "ligne8"}, {GROUP_TEXT_FR, "ligne9"},
    {GROUP_TEXT_EN, "ligne1"}, {GROUP_TEXT_EN, "ligne2"}, {GROUP_TEXT_EN, "ligne3"},
    {GROUP_TEXT_EN, "ligne4"}, {GROUP_TEXT_EN, "ligne5"}, {GROUP_TEXT_EN, "ligne6"},
    {GROUP_TEXT_EN, "ligne7"}, {GROUP_TEXT_EN, "ligne8"}, {GROUP_TEXT_EN, "ligne9"},
};
const int SETTINGS_KEY_COUNT = sizeof SETTINGS_KEYS / sizeof SETTINGS_KEYS[0];

void read_settings_fields() {
    select_settings_group(GROUP_INFORMATION);
    setup.program_name = read_setting_text(KEY_NAME, "");
    setup.program_version = read_setting_text(KEY_VERSION, "");
    setup.publisher = read_setting_text(KEY_PUBLISHER, DEFAULT_PUBLISHER);
    select_settings_group(GROUP_OPTIONS);
    setup.run_after_program = read_setting_text(KEY_RUN_AFTER, "");
    setup.shortcut1_target = read_setting_text(KEY_SHORTCUT1_TARGET, "");
    setup.shortcut1_name = read_setting_text(KEY_SHORTCUT1_NAME, "");
    setup.shortcut2_target = read_setting_text(KEY_SHORTCUT2_TARGET, "");
    setup.shortcut2_name = read_setting_text(KEY_SHORTCUT2_NAME, "");
    setup.copy_splash_file = read_setting_number(KEY_COPY_SPLASH, 0);
    setup.update_program = read_setting_text(KEY_UPDATE_PROGRAM, "");
    setup.install_program = read_setting_text(KEY_INSTALL_PROGRAM, "");
    // Only the low byte counts: 256 asks for no language window.
    setup.multilingual = static_cast<int8_t>(read_setting_number(KEY_MULTILINGUAL, 0) & 0xFF);
    setup.apps_entry = read_setting_number(KEY_APPS_ENTRY, 1);
}

// English never falls back to the French group.
void read_custom_text_fields() {
    select_settings_group(setup.language == "FR" ? GROUP_TEXT_FR : GROUP_TEXT_EN);
    setup.custom_text.clear();
    for (char n = '1'; n < '1' + TEXT_LINES; ++n) {
        setup.custom_text += read_setting_text(std::string(KEY_TEXT_LINE) + n, "");
        setup.custom_text += '\n';
    }
}

namespace {

struct NameRule {
    const char* key;
    std::string SetupState::*field;
    bool (*usable)(const std::string& name);
};

bool usable_shortcut(const std::string& name) { return is_valid_file_name(name + ".lnk"); }
bool usable_file_name(const std::string& name) { return is_valid_file_name(name); }
bool usable_relative_path(const std::string& name) { return is_relative_file_path(name); }

const NameRule NAME_RULES[] = {
    {KEY_SHORTCUT1_NAME, &SetupState::shortcut1_name, usable_shortcut},
    {KEY_SHORTCUT2_NAME, &SetupState::shortcut2_name, usable_shortcut},
    {KEY_INSTALL_PROGRAM, &SetupState::install_program, usable_file_name},
    {KEY_UPDATE_PROGRAM, &SetupState::update_program, usable_file_name},
    {KEY_RUN_AFTER, &SetupState::run_after_program, usable_relative_path},
};

}  // namespace

bool drop_unusable_names(SetupState& state, std::vector<std::string>* left_out) {
    for (const NameRule& rule : NAME_RULES) {
        std::string& name = state.*rule.field;
        if (name.empty() || rule.usable(name)) continue;
        left_out->push_back(std::string("Left out: \"") + rule.key + "=" + name + "\" names no file of its folder");
        name.clear();
    }
    return state.program_name.empty() || is_valid_file_name(state.program_name);
}
