#include "installer/setup_options.h"

#include "installer/setup.h"
#include "runtime/path_text.h"
#include "runtime/switches.h"
#include "runtime/text.h"

SetupRun setup_run;

namespace {

// What a switch takes after "=".
enum ValueRule { NO_VALUE, VALUE_REQUIRED, VALUE_OPTIONAL };

struct SetupSwitch {
    const char* name;
    ValueRule value;
    // Applies the switch; false when its value is not one it allows.
    bool (*apply)(SetupOptions& options, const std::string& value);
};

bool very_silent(SetupOptions& o, const std::string&) { return (o.display = DISPLAY_VERY_SILENT), true; }

// /VERYSILENT wins wherever it stands.
bool silent(SetupOptions& o, const std::string&) {
    if (o.display != DISPLAY_VERY_SILENT) o.display = DISPLAY_SILENT;
    return true;
}

// A folder or file of the command line is absolute: Setup works in its
// distribution folder (a package's temporary one), not where it was started.
bool folder(SetupOptions& o, const std::string& value) {
    o.folder = value;
    return is_absolute_path(value);
}

// Both kinds of use at once say nothing of which one is meant.
bool mode(SetupOptions& o, int wanted) {
    if (o.mode != 0 && o.mode != wanted) return false;
    o.mode = wanted;
    return true;
}
bool all_users(SetupOptions& o, const std::string&) { return mode(o, MODE_ALL_USERS); }
bool current_user(SetupOptions& o, const std::string&) { return mode(o, MODE_CURRENT_USER); }

bool language(SetupOptions& o, const std::string& value) {
    for (const char* code : {"FR", "EN"}) {
        if (same_ignoring_ascii_case(value, code)) {
            o.language = code;
            return true;
        }
    }
    return false;
}

bool no_desktop(SetupOptions& o, const std::string&) { return (o.no_desktop = true), true; }

bool log(SetupOptions& o, const std::string& value) {
    o.log = true;
    o.log_file = value;
    return value.empty() || is_absolute_path(value);
}

bool help(SetupOptions& o, const std::string&) { return (o.help = true), true; }

// A whole number, sign allowed (a screen left of the main one).
bool read_number(const std::string& text, int* value) {
    size_t i = text.size() > 1 && text[0] == '-' ? 1 : 0;
    if (i == text.size() || text.size() > 7) return false;
    int v = 0;
    for (size_t k = i; k < text.size(); ++k) {
        if (text[k] < '0' || text[k] > '9') return false;
        v = v * 10 + (text[k] - '0');
    }
    *value = i ? -v : v;
    return true;
}

bool handover(SetupOptions& o, const std::string& value) {
    size_t comma = value.find(',');
    o.handover = true;
    return comma != std::string::npos && read_number(value.substr(0, comma), &o.handover_x) &&
           read_number(value.substr(comma + 1), &o.handover_y);
}

bool package(SetupOptions& o, const std::string& value) {
    o.package = value;
    return is_absolute_path(value);
}

// Deployment tools pass these to every installer; the kit never asks in a
// silent run, never restarts Windows and has no cancel to take away.
bool accepted(SetupOptions&, const std::string&) { return true; }

const SetupSwitch SETUP_SWITCHES[] = {
    {"VERYSILENT", NO_VALUE, very_silent},
    {"S", NO_VALUE, very_silent},
    {"SILENT", NO_VALUE, silent},
    {"DIR", VALUE_REQUIRED, folder},
    {"D", VALUE_REQUIRED, folder},
    {"ALLUSERS", NO_VALUE, all_users},
    {"CURRENTUSER", NO_VALUE, current_user},
    {"LANG", VALUE_REQUIRED, language},
    {"NODESKTOP", NO_VALUE, no_desktop},
    {"LOG", VALUE_OPTIONAL, log},
    {"SUPPRESSMSGBOXES", NO_VALUE, accepted},
    {"NORESTART", NO_VALUE, accepted},
    {"SP-", NO_VALUE, accepted},
    {"NOCANCEL", NO_VALUE, accepted},
    {"?", NO_VALUE, help},
    {"HELP", NO_VALUE, help},
    {"HANDOVER", VALUE_REQUIRED, handover},
    {"PACKAGE", VALUE_REQUIRED, package},
};

bool apply_switch(SetupOptions& options, const Switch& s) {
    for (const SetupSwitch& known : SETUP_SWITCHES) {
        if (s.name != known.name) continue;
        if (known.value == NO_VALUE && s.has_value) return false;
        if (known.value == VALUE_REQUIRED && s.value.empty()) return false;
        if (known.value == VALUE_OPTIONAL && s.has_value && s.value.empty()) return false;
        return known.apply(options, s.value);
    }
    return false;
}

}  // namespace

SetupOptions parse_setup_options(std::string_view parameters) {
    SetupOptions options;
    for (const Switch& s : split_switches(parameters))
        if (!apply_switch(options, s) && options.understood) {
            options.understood = false;
            options.invalid = s.typed;
        }
    return options;
}

bool is_silent(const SetupOptions& options) { return options.display != DISPLAY_WIZARD; }

std::string setup_help_text() {
    return "Setup.exe [options]\n"
           "\n"
           "/VERYSILENT ou /S : installe sans rien afficher\n"
           // /SILENT : n'affiche que la page des résultats, qui se ferme seule
           "/SILENT : n'affiche que la page des r\xC3\xA9sultats, qui se ferme seule\n"
           // /DIR="dossier", ou /D=dossier en dernier et sans guillemets : le dossier d'installation
           "/DIR=\"dossier\", ou /D=dossier en dernier et sans guillemets : le dossier d'installation\n"
           "/ALLUSERS ou /CURRENTUSER : pour tous les utilisateurs, ou pour l'utilisateur actuel seul\n"
           "/LANG=FR ou /LANG=EN : la langue\n"
           "/NODESKTOP : aucun raccourci sur le bureau\n"
           // /LOG="fichier" : le journal de l'installation (/LOG seul : dans le dossier temporaire)
           "/LOG=\"fichier\" : le journal de l'installation (/LOG seul : dans le dossier temporaire)\n"
           // /SUPPRESSMSGBOXES, /NORESTART, /SP-, /NOCANCEL : acceptées, sans effet
           "/SUPPRESSMSGBOXES, /NORESTART, /SP-, /NOCANCEL : accept\xC3\xA9" "es, sans effet\n"
           // Sans /SILENT ni /VERYSILENT, les options préremplissent l'assistant.
           "Sans /SILENT ni /VERYSILENT, les options pr\xC3\xA9remplissent l'assistant.\n"
           // Une installation silencieuse accepte la licence au nom des utilisateurs.
           "Une installation silencieuse accepte la licence au nom des utilisateurs.\n"
           // Codes de sortie : 0 réussite ; 1602 abandon ; 1603 échec ; 1618 une autre installation est en cours ; 1639 ligne de commande invalide.
           "Codes de sortie : 0 r\xC3\xA9ussite ; 1602 abandon ; 1603 \xC3\xA9" "chec ; "
           "1618 une autre installation est en cours ; 1639 ligne de commande invalide.\n"
           "\n"
           "/VERYSILENT or /S: installs showing nothing\n"
           "/SILENT: shows only the result page, which closes by itself\n"
           "/DIR=\"folder\", or /D=folder last and unquoted: the install folder\n"
           "/ALLUSERS or /CURRENTUSER: for all users, or for the current user only\n"
           "/LANG=FR or /LANG=EN: the language\n"
           "/NODESKTOP: no desktop shortcuts\n"
           "/LOG=\"file\": the installation's log (/LOG alone: in the temporary folder)\n"
           "/SUPPRESSMSGBOXES, /NORESTART, /SP-, /NOCANCEL: accepted, no effect\n"
           "Without /SILENT or /VERYSILENT, the switches preset the wizard.\n"
           "A silent installation accepts the licence on the users' behalf.\n"
           "Exit codes: 0 done; 1602 cancelled; 1603 failed; 1618 another installation is in progress; "
           "1639 invalid command line.";
}

std::string invalid_switch_text(const std::string& typed) {
    // installé
    return invalid_switch_text(typed, "Setup.exe", "install\xC3\xA9", "installed");
}

std::string log_not_written_text(const std::string& path) {
    // Le journal ne peut pas être écrit : ... Rien n'a été installé.
    return "Le journal ne peut pas \xC3\xAAtre \xC3\xA9" "crit : " + path + "\nRien n'a \xC3\xA9t\xC3\xA9 install\xC3\xA9.\n\n"
           "The log cannot be written: " + path + "\nNothing was installed.";
}
