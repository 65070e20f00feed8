// Reading setup.ini, the author's settings beside the installer.
#include "installer/setup.h"
#include "runtime/settings.h"

SetupState setup;

namespace {

// Group names begin with a blank: the header lines read "[ Informations
// sur le logiciel]" and so on.
const char* const GROUP_INFORMATION = " Informations sur le logiciel";
const char* const GROUP_OPTIONS = " Options de l'intallation";
const char* const GROUP_TEXT_FR = " Texte de l'intallation FR";
const char* const GROUP_TEXT_EN = " Texte de l'intallation EN";

}  // namespace

// Fills the program's name and version and the installation options.  A
// missing file or group leaves every field at its default.
void read_settings() {
    open_settings("setup.ini");
    select_settings_group(GROUP_INFORMATION);
    setup.program_name = read_setting_text("Nom", "");
    setup.program_version = read_setting_text("Version", "");
    select_settings_group(GROUP_OPTIONS);
    setup.run_after_program = read_setting_text("Lancer après installation", "");
    setup.shortcut1_target = read_setting_text("Raccourci 1 - Cible", "");
    setup.shortcut1_name = read_setting_text("Raccourci 1 - Nom", "");
    setup.shortcut2_target = read_setting_text("Raccourci 2 - Cible", "");
    setup.shortcut2_name = read_setting_text("Raccourci 2 - Nom", "");
    setup.copy_splash_file = read_setting_number("Copier le fichier Tarvo.exe", 0);
    setup.update_program = read_setting_text("Mise à jour", "");
    setup.install_program = read_setting_text("Lancer à l'installation", "");
    // Only the low byte counts: 256 asks for no language window.
    setup.multilingual = static_cast<int8_t>(read_setting_number("Programme multilangue", 0) & 0xFF);
    close_settings();
}

// The nine presentation lines of the chosen language, each followed by a
// line feed, so the text always holds exactly nine line feeds.
void read_custom_text() {
    open_settings("setup.ini");
    select_settings_group(setup.language == "FR" ? GROUP_TEXT_FR : GROUP_TEXT_EN);
    setup.custom_text.clear();
    for (char n = '1'; n <= '9'; ++n) {
        setup.custom_text += read_setting_text(std::string("ligne") + n, "");
        setup.custom_text += '\n';
    }
    close_settings();
}
