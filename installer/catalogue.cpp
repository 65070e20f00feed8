#include "installer/setup.h"

#include "runtime/code_page.h"

// The two text tables, in catalogue order: entry N of a table is TN.  Each
// ends with "FIN".  Texts are used byte for byte, blanks included.
namespace {

const char* const FRENCH_TEXTS[] = {
    /* T1 */ "Installation",
    /* T2 */ "Concepteur - Licence",
    /* T3 */ "J'ai lu et j'accepte la licence.",
    /* T4 */ "Quitter",
    /* T5 */ "Suivant",
    /* T6 */ "Installer",
    /* T7 */ "Charte",
    // T8: Ce logiciel n'installe aucun fichier ailleurs que dans le dossier d'installation de votre choix (Exceptés les raccourcis dans le menu démarrer).
    /* T8 */ "Ce logiciel n'installe aucun fichier ailleurs que dans le dossier d'installation de votre choix (Except\xE9s les raccourcis dans le menu d\xE9marrer).",
    // T9: Si une intégration dans Windows est nécessaire, elle est spécifiée dans l'aide (Par exemple une clé de registre).
    /* T9 */ ("Si une int\xE9gration dans Windows est n\xE9" "cessaire, elle est sp\xE9" "cifi\xE9" "e dans l'aide (Par exemple une cl\xE9 de registre)."),
    // T10: Ce principe d'installation 'Propre' a un gros avantage, vous pouvez déplacer le dossier du programme où bon vous semble. Et sa suppression suffit pour désinstaller le logiciel.
    /* T10 */ "Ce principe d'installation 'Propre' a un gros avantage, vous pouvez d\xE9placer le dossier du programme o\xF9 bon vous semble. Et sa suppression suffit pour d\xE9sinstaller le logiciel.",
    // T11: J'espère que vous apprécierez ce point non négligeable qui est, je trouve, trop rare.
    /* T11 */ ("J'esp\xE8re que vous appr\xE9" "cierez ce point non n\xE9gligeable qui est, je trouve, trop rare."),
    /* T12 */ "Utilisation",
    /* T13 */ "Utilisation sur un ordinateur personnel.",
    /* T14 */ "Utilisation sur un ordinateur familial ou d'entreprise.",
    // T15: Cette installation donne à tous les utilisateurs de l'ordinateur l'accès au logiciel. Les options seront donc les mêmes pour tous les utilisateurs.
    /* T15 */ "Cette installation donne \xE0 tous les utilisateurs de l'ordinateur l'acc\xE8s au logiciel. Les options seront donc les m\xEAmes pour tous les utilisateurs.",
    // T16: Cette installation rend le logiciel accessible seulement sur la session en cours (donc l'utilisateur actuel). Ce type d'installation est fortement conseillé si plusieurs personnes vont utiliser l'ordinateur sous des sessions différentes. Chaque utilisateur aura donc ses propres options.
    /* T16 */ "Cette installation rend le logiciel accessible seulement sur la session en cours (donc l'utilisateur actuel). Ce type d'installation est fortement conseill\xE9 si plusieurs personnes vont utiliser l'ordinateur sous des sessions diff\xE9rentes. Chaque utilisateur aura donc ses propres options.",
    /* T17 */ "Options",
    /* T18 */ "Dossier d'installation",
    // T19: Mise à jour
    /* T19 */ "Mise \xE0 jour",
    // T20: Lancer après l'installation
    /* T20 */ "Lancer apr\xE8s l'installation",
    /* T21 */ "Raccourci",
    // T22: Créer un raccourci sur le bureau
    /* T22 */ ("Cr\xE9" "er un raccourci sur le bureau"),
    // T23: Répertoire d'installation
    /* T23 */ "R\xE9pertoire d'installation",
    /* T24 */ "Erreur",
    // T25: Vous n'avez pas accepté la licence d'utilisation du logiciel
    /* T25 */ "Vous n'avez pas accept\xE9 la licence d'utilisation du logiciel",
    /* T26 */ "Terminer",
    /* T27 */ "Ouvrir le dossier",
    /* T28 */ "  >>  Erreur",
    /* T29 */ "Le fichier '",
    // T30: ' n'a pas pu être copié sur le disque dur.
    /* T30 */ "' n'a pas pu \xEAtre copi\xE9 sur le disque dur.",
    // T31: Vérifier que le fichier n'est pas en lecture ou actuellement ouvert.
    /* T31 */ "V\xE9rifier que le fichier n'est pas en lecture ou actuellement ouvert.",
    // T32: Cette erreur est retournée lorsque l'installeur ne parvient pas à créer un dossier
    /* T32 */ ("Cette erreur est retourn\xE9" "e lorsque l'installeur ne parvient pas \xE0 cr\xE9" "er un dossier"),
    // T33: Répertoire d'installation :
    /* T33 */ "R\xE9pertoire d'installation :",
    // T34: Mise à jour du programme
    /* T34 */ "Mise \xE0 jour du programme",
    // T35: Création ou mise à jour de fichiers
    /* T35 */ ("Cr\xE9" "ation ou mise \xE0 jour de fichiers"),
    // T36: Impossible de mettre à jour le programme
    /* T36 */ "Impossible de mettre \xE0 jour le programme",
    // T37: Vérifier que les fichiers du programme ne sont pas en ''lecture seule'' et qu'aucun programme ne s'exécute pendant la mise à jour
    /* T37 */ ("V\xE9rifier que les fichiers du programme ne sont pas en ''lecture seule'' et qu'aucun programme ne s'ex\xE9" "cute pendant la mise \xE0 jour"),
    // T38: Fichiers installés sur l'ordinateur :
    /* T38 */ "Fichiers install\xE9s sur l'ordinateur :",
    // T39: Espace occupé sur le disque dur : 
    /* T39 */ "Espace occup\xE9 sur le disque dur : ",
    // T40: Installation réussie.
    /* T40 */ "Installation r\xE9ussie.",
    /* T41 */ "Echec de l'installation !!",
    // T42: Un ou plusieurs fichiers n'ont pas pu être installé
    /* T42 */ "Un ou plusieurs fichiers n'ont pas pu \xEAtre install\xE9",
    // T43: Paramètrage et/ou Mise à jour des anciens fichiers
    /* T43 */ "Param\xE8trage et/ou Mise \xE0 jour des anciens fichiers",
    // T44: Pour télécharger une nouvelle version de mon logiciel, allez sur le site :
    /* T44 */ ("Pour t\xE9l\xE9" "charger une nouvelle version de mon logiciel, allez sur le site :"),
    // T45: Désinstallation
    /* T45 */ "D\xE9sinstallation",
    /* T46 */ "Le dossier d'installation est invalide",
    /* T47 */ "FIN",
};

const char* const ENGLISH_TEXTS[] = {
    /* T1 */ "Install",
    /* T2 */ "Designer - Licence agreement",
    /* T3 */ "I read and I accept the licence agreement",
    /* T4 */ "Quit",
    /* T5 */ "Next",
    /* T6 */ "Install",
    /* T7 */ "Charter",
    /* T8 */ "This software install file only in the install directory (Except shortcut in the start menu).",
    /* T9 */ "If this software requires files in other directory, the help file descripbe these files.",
    /* T10 */ "So, this 'clean' installation allow you to move the program easily.",
    /* T11 */ "I expect you appreciate this.",
    /* T12 */ "Use",
    /* T13 */ "On personnal computer",
    /* T14 */ "On family or enterprise computer",
    /* T15 */ "This install give access of this software for all user. Program parameters are the same for all user.",
    /* T16 */ "If you check this option, software is available only for the actual user.",
    /* T17 */ "Options",
    /* T18 */ "Install directory",
    /* T19 */ "Update",
    /* T20 */ "Run after installation",
    /* T21 */ "Shortcut",
    /* T22 */ "Create shorcut on the desktop",
    /* T23 */ "Install directory",
    /* T24 */ "Error",
    /* T25 */ "You must accept the licence agreement.",
    /* T26 */ "Finish",
    /* T27 */ "Open folder",
    /* T28 */ "  >>  Error",
    /* T29 */ "Unable to copy '",
    /* T30 */ "' file on hard disk",
    /* T31 */ "Check there are no readonly file or open file.",
    /* T32 */ "Impossible to use install directory",
    /* T33 */ "Install directory :",
    /* T34 */ "Upgrade program",
    /* T35 */ "Create or upgrade files",
    /* T36 */ "Impossible to upgrade program",
    /* T37 */ "Check there are no readonly file and no running program",
    /* T38 */ "Installed files :",
    /* T39 */ "Size use on the hard disk : ",
    /* T40 */ "Successful install",
    /* T41 */ "Failure !!",
    /* T42 */ "Unable to copy one or more files",
    /* T43 */ "Parametrizing and/or upgrading old files",
    /* T44 */ "To download a new version of this software, go to :",
    /* T45 */ "Uninstall",
    /* T46 */ "Invalid install directory",
    /* T47 */ "FIN",
};

// What a screen reader says for the controls whose text says nothing of
// what they are; never shown.  French, then English, in SpokenName order.
const char* const SPOKEN_NAMES[2][2] = {
    {"Parcourir...", "Journal de l'installation"},
    {"Browse...", "Installation log"},
};

}  // namespace

TextCatalogue catalogue;

const char* spoken_name(SpokenName which) { return SPOKEN_NAMES[setup.language == "FR" ? 0 : 1][which]; }

// Fills entries 1 to 47 from the table of the chosen language, up to and
// including its end mark.  The tables hold the texts' Windows-1252 bytes;
// the catalogue, the program's text (UTF-8).
void load_catalogue(const std::string& language) {
    const char* const* table = language == "FR" ? FRENCH_TEXTS : ENGLISH_TEXTS;
    int n = 0;
    do {
        ++n;
        catalogue.entries[n] = windows1252_to_utf8(table[n - 1]);
    } while (catalogue.entries[n] != "FIN" && n < 100);
}
