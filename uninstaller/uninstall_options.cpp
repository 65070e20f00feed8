#include "uninstaller/uninstall_options.h"

#include <vector>

#include "runtime/path_text.h"

namespace {

// A handle value as the uninstaller writes it: decimal digits only.
bool read_handle(const std::string& text, uint64_t* value) {
    if (text.empty() || text.size() > 19) return false;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    *value = v;
    return v != 0;
}

// Applies one switch; false when it is not one the uninstaller takes, or
// its value does not fit.
bool apply_switch(UninstallOptions& o, const Switch& s) {
    const std::string& n = s.name;
    if (n == "VERYSILENT" || n == "S") return !s.has_value && (o.display = DISPLAY_VERY_SILENT, true);
    if (n == "SILENT") {
        if (s.has_value) return false;
        if (o.display != DISPLAY_VERY_SILENT) o.display = DISPLAY_SILENT;
        return true;
    }
    if (n == "LOG") {
        if (s.has_value && !is_absolute_path(s.value)) return false;  // not the install folder it removes
        o.log = true;
        o.log_file = s.value;
        return true;
    }
    if (n == "?" || n == "HELP") return !s.has_value && (o.help = true, true);
    if (n == "SUPPRESSMSGBOXES" || n == "NORESTART" || n == "SP-" || n == "NOCANCEL") return !s.has_value;
    if (n == "ELEVATED") return !s.has_value && (o.elevated = true, true);
    if (n == "REMOVEAFTER") return read_handle(s.value, &o.remove_after);
    if (n == "REMOVE") return !s.value.empty() && (o.remove_file = s.value, true);
    if (n == "FOLDER") return !s.value.empty() && (o.remove_folder = s.value, true);
    return false;
}

}  // namespace

UninstallOptions parse_uninstall_options(std::string_view parameters) {
    UninstallOptions o;
    std::vector<Switch> arguments = split_switches(parameters);
    for (size_t i = 0; i < arguments.size(); ++i) {
        const Switch& s = arguments[i];
        if (s.name.empty()) {
            if (i == 0 && s.typed == "Update") o.update_mode = true;
            continue;
        }
        if (!apply_switch(o, s) && o.understood) {
            o.understood = false;
            o.invalid = s.typed;
        }
    }
    return o;
}

bool is_silent(const UninstallOptions& options) { return options.display != DISPLAY_WIZARD; }

bool is_clean_up(const UninstallOptions& options) { return options.remove_after != 0; }

std::string uninstall_help_text() {
    return "Uninstall.exe [options]\n"
           "\n"
           // /VERYSILENT ou /S : désinstalle sans rien afficher ni demander
           "/VERYSILENT ou /S : d\xC3\xA9sinstalle sans rien afficher ni demander\n"
           // /SILENT : désinstalle sans rien demander, la fenêtre montre l'avancement
           "/SILENT : d\xC3\xA9sinstalle sans rien demander, la fen\xC3\xAAtre montre l'avancement\n"
           // /LOG="fichier" : le journal de la désinstallation (/LOG seul : dans le dossier temporaire)
           "/LOG=\"fichier\" : le journal de la d\xC3\xA9sinstallation (/LOG seul : dans le dossier temporaire)\n"
           // Codes de sortie : 0 réussite ; 1602 abandon ; 1603 échec ; 1605 rien à désinstaller ; 1618 une autre installation est en cours ; 1639 ligne de commande invalide.
           "Codes de sortie : 0 r\xC3\xA9ussite ; 1602 abandon ; 1603 \xC3\xA9" "chec ; 1605 rien \xC3\xA0 d\xC3\xA9sinstaller ; "
           "1618 une autre installation est en cours ; 1639 ligne de commande invalide.\n"
           "\n"
           "/VERYSILENT or /S: uninstalls showing and asking nothing\n"
           "/SILENT: uninstalls asking nothing, the window shows the progress\n"
           "/LOG=\"file\": the uninstallation's log (/LOG alone: in the temporary folder)\n"
           "Exit codes: 0 done; 1602 cancelled; 1603 failed; 1605 nothing to uninstall; "
           "1618 another installation is in progress; 1639 invalid command line.";
}

std::string uninstall_invalid_switch_text(const std::string& typed) {
    // désinstallé
    return invalid_switch_text(typed, "Uninstall.exe", "d\xC3\xA9sinstall\xC3\xA9", "uninstalled");
}
