// The uninstaller's texts, French then English, each list ending with "FIN".
#include "uninstaller/uninstall.h"

#include "runtime/code_page.h"

UninstallText uninstall_text;
UninstallRun uninstall_run;

namespace {

const char* const FRENCH_TEXTS[] = {
    // 1: Mise à jour
    /* 1 */ "Mise \xE0 jour",
    // 2: Désinstallation
    /* 2 */ "D\xE9sinstallation",
    // 3: Désinstaller
    /* 3 */ "D\xE9sinstaller",
    /* 4 */ "Annuler",
    // 5: Terminer la désinstallation.txt
    /* 5 */ "Terminer la d\xE9sinstallation.txt",
    // 6: vous pouvez suppimer ce Dossier si vous ne souhaitez pas sauver vos paramètres d'utilisation pour ce logiciel.
    /* 6 */ "vous pouvez suppimer ce Dossier si vous ne souhaitez pas sauver vos param\xE8tres d'utilisation pour ce logiciel.",
    /* 7 */ "Erreur",
    // 8: Cette Erreur est retournée lorsque le désinstalleur ne parvient pas à ouvrir un Dossier
    /* 8 */ ("Cette Erreur est retourn\xE9" "e lorsque le d\xE9sinstalleur ne parvient pas \xE0 ouvrir un Dossier"),
    "FIN",
};

const char* const ENGLISH_TEXTS[] = {
    /* 1 */ "Upgrade",
    /* 2 */ "Uninstall",
    /* 3 */ "Uninstall",
    /* 4 */ "Cancel",
    /* 5 */ "Finish uninstall.txt",
    /* 6 */ "You can delete this folder If You won't keep parameters of this software.",
    /* 7 */ "Error",
    /* 8 */ "Impossible to open directory",
    "FIN",
};

}  // namespace

// The tables hold the texts' Windows-1252 bytes; the slots, the program's
// text (UTF-8).
void load_uninstall_text(bool french) {
    const char* const* table = french ? FRENCH_TEXTS : ENGLISH_TEXTS;
    for (int slot = 1; slot < 21 && std::string(table[slot - 1]) != "FIN"; ++slot)
        uninstall_text.slots[slot] = windows1252_to_utf8(table[slot - 1]);
}
