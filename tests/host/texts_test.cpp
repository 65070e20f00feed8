// The texts the programs show and the names they read, pinned byte for
// byte: the sources write their accented letters as escapes, and these
// readable copies, turned into Windows-1252, must give the same bytes.
#include <gtest/gtest.h>

#include "installer/settings_layout.h"
#include "installer/setup.h"
#include "tests/host/bytes.h"
#include "uninstaller/record.h"
#include "uninstaller/uninstall.h"

namespace {

const char* const FRENCH_CATALOGUE[] = {
    "Installation",
    "Concepteur - Licence",
    "J'ai lu et j'accepte la licence.",
    "Quitter",
    "Suivant",
    "Installer",
    "Charte",
    "Ce logiciel n'installe aucun fichier ailleurs que dans le dossier d'installation de votre choix (Exceptés les raccourcis dans le menu démarrer).",
    "Si une intégration dans Windows est nécessaire, elle est spécifiée dans l'aide (Par exemple une clé de registre).",
    "Ce principe d'installation 'Propre' a un gros avantage, vous pouvez déplacer le dossier du programme où bon vous semble. Et sa suppression suffit pour désinstaller le logiciel.",
    "J'espère que vous apprécierez ce point non négligeable qui est, je trouve, trop rare.",
    "Utilisation",
    "Utilisation sur un ordinateur personnel.",
    "Utilisation sur un ordinateur familial ou d'entreprise.",
    "Cette installation donne à tous les utilisateurs de l'ordinateur l'accès au logiciel. Les options seront donc les mêmes pour tous les utilisateurs.",
    "Cette installation rend le logiciel accessible seulement sur la session en cours (donc l'utilisateur actuel). Ce type d'installation est fortement conseillé si plusieurs personnes vont utiliser l'ordinateur sous des sessions différentes. Chaque utilisateur aura donc ses propres options.",
    "Options",
    "Dossier d'installation",
    "Mise à jour",
    "Lancer après l'installation",
    "Raccourci",
    "Créer un raccourci sur le bureau",
    "Répertoire d'installation",
    "Erreur",
    "Vous n'avez pas accepté la licence d'utilisation du logiciel",
    "Terminer",
    "Ouvrir le dossier",
    "  >>  Erreur",
    "Le fichier '",
    "' n'a pas pu être copié sur le disque dur.",
    "Vérifier que le fichier n'est pas en lecture ou actuellement ouvert.",
    "Cette erreur est retournée lorsque l'installeur ne parvient pas à créer un dossier",
    "Répertoire d'installation :",
    "Mise à jour du programme",
    "Création ou mise à jour de fichiers",
    "Impossible de mettre à jour le programme",
    "Vérifier que les fichiers du programme ne sont pas en ''lecture seule'' et qu'aucun programme ne s'exécute pendant la mise à jour",
    "Fichiers installés sur l'ordinateur :",
    "Espace occupé sur le disque dur : ",
    "Installation réussie.",
    "Echec de l'installation !!",
    "Un ou plusieurs fichiers n'ont pas pu être installé",
    "Paramètrage et/ou Mise à jour des anciens fichiers",
    "Pour télécharger une nouvelle version de mon logiciel, allez sur le site :",
    "Désinstallation",
    "Le dossier d'installation est invalide",
    "FIN",
};

const char* const ENGLISH_CATALOGUE[] = {
    "Install",
    "Designer - Licence agreement",
    "I read and I accept the licence agreement",
    "Quit",
    "Next",
    "Install",
    "Charter",
    "This software install file only in the install directory (Except shortcut in the start menu).",
    "If this software requires files in other directory, the help file descripbe these files.",
    "So, this 'clean' installation allow you to move the program easily.",
    "I expect you appreciate this.",
    "Use",
    "On personnal computer",
    "On family or enterprise computer",
    "This install give access of this software for all user. Program parameters are the same for all user.",
    "If you check this option, software is available only for the actual user.",
    "Options",
    "Install directory",
    "Update",
    "Run after installation",
    "Shortcut",
    "Create shorcut on the desktop",
    "Install directory",
    "Error",
    "You must accept the licence agreement.",
    "Finish",
    "Open folder",
    "  >>  Error",
    "Unable to copy '",
    "' file on hard disk",
    "Check there are no readonly file or open file.",
    "Impossible to use install directory",
    "Install directory :",
    "Upgrade program",
    "Create or upgrade files",
    "Impossible to upgrade program",
    "Check there are no readonly file and no running program",
    "Installed files :",
    "Size use on the hard disk : ",
    "Successful install",
    "Failure !!",
    "Unable to copy one or more files",
    "Parametrizing and/or upgrading old files",
    "To download a new version of this software, go to :",
    "Uninstall",
    "Invalid install directory",
    "FIN",
};

const char* const FRENCH_UNINSTALL_TEXTS[] = {
    "Mise à jour",
    "Désinstallation",
    "Désinstaller",
    "Annuler",
    "Terminer la désinstallation.txt",
    "vous pouvez suppimer ce Dossier si vous ne souhaitez pas sauver vos paramètres d'utilisation pour ce logiciel.",
    "Erreur",
    "Cette Erreur est retournée lorsque le désinstalleur ne parvient pas à ouvrir un Dossier",
};

const char* const ENGLISH_UNINSTALL_TEXTS[] = {
    "Upgrade",
    "Uninstall",
    "Uninstall",
    "Cancel",
    "Finish uninstall.txt",
    "You can delete this folder If You won't keep parameters of this software.",
    "Error",
    "Impossible to open directory",
};

void expect_catalogue(const std::string& language, const char* const* texts) {
    catalogue = TextCatalogue{};
    load_catalogue(language);
    EXPECT_EQ(catalogue.entries[0], "");
    for (int n = 1; n <= 47; ++n) EXPECT_EQ(T(n), texts[n - 1]) << language << " T" << n;
    for (int n = 48; n <= 100; ++n) EXPECT_EQ(T(n), "") << n;
}

// The tables hold Windows-1252 bytes; the programs get the texts as UTF-8.
TEST(Texts, CataloguesGiveTheirTextsAsUtf8) {
    expect_catalogue("FR", FRENCH_CATALOGUE);
    expect_catalogue("EN", ENGLISH_CATALOGUE);
    expect_catalogue("", ENGLISH_CATALOGUE);  // anything but "FR" is English
    load_catalogue("FR");
    EXPECT_EQ(T(UPDATE), "Mise \xC3\xA0 jour");
    EXPECT_EQ(T(LOG_DISK_SPACE), "Espace occup\xC3\xA9 sur le disque dur : ");
}

TEST(Texts, UninstallerTextsComeAsUtf8) {
    for (bool french : {true, false}) {
        uninstall_text = UninstallText{};
        load_uninstall_text(french);
        const char* const* texts = french ? FRENCH_UNINSTALL_TEXTS : ENGLISH_UNINSTALL_TEXTS;
        EXPECT_EQ(uninstall_text.slots[0], "");
        for (int slot = 1; slot <= 8; ++slot) EXPECT_EQ(U(slot), texts[slot - 1]) << french << " " << slot;
        for (int slot = 9; slot <= 20; ++slot) EXPECT_EQ(U(slot), "") << slot;
    }
    EXPECT_EQ(U(CLOSING_NOTE_NAME), "Finish uninstall.txt");
}

// Matched against the decoded text of the files.
TEST(Texts, RecordHeadersAndSettingsNamesAreUtf8) {
    const char* const headers[] = {"[Langue]", "[Lancer]", "[Programme]", "[Registre]", "[Démarrage]",
                                   "[Dossier du programme]", "[Autre]", "[Fichiers]", "[Menu]"};
    ASSERT_EQ(RECORD_HEADER_COUNT, 9);
    for (int i = 0; i < RECORD_HEADER_COUNT; ++i) {
        EXPECT_EQ(RECORD_HEADERS[i].text, std::string(headers[i]));
        EXPECT_EQ(RECORD_HEADERS[i].section, static_cast<RecordSection>(i - 1));
    }
    EXPECT_EQ(std::string(KEY_RUN_AFTER), "Lancer après installation");
    EXPECT_EQ(std::string(KEY_UPDATE_PROGRAM), "Mise à jour");
    EXPECT_EQ(std::string(KEY_INSTALL_PROGRAM), "Lancer à l'installation");
    EXPECT_EQ(std::string(GROUP_OPTIONS), " Options de l'intallation");
}

}  // namespace
