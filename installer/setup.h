// The installer's state records and operations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "installer/setup_options.h"
#include "runtime/exit_codes.h"

// Kinds of installation (install_mode, locked_mode).
constexpr int MODE_NONE = 0;
constexpr int MODE_ALL_USERS = 1;
constexpr int MODE_CURRENT_USER = 2;

// The installer's one process-wide state.  All empty and 0 at start.
struct SetupState {
    std::string program_name;       // "Nom"
    std::string program_version;    // "Version"
    std::string run_after_program;  // "Lancer après installation"
    std::string shortcut1_target;
    std::string shortcut1_name;
    std::string shortcut2_target;
    std::string shortcut2_name;
    int32_t copy_splash_file = 0;   // 1: "Tarvo.exe" is copied with the program
    std::string update_program;     // "Mise à jour": run after the copy
    std::string install_program;    // "Lancer à l'installation": run before the copy
    int8_t multilingual = 0;        // non-zero: the language window is shown
    std::string language;           // "FR" or "EN"
    std::string custom_text;        // the nine presentation lines of page 1
    std::string all_users_dir;
    std::string current_user_dir;
    int32_t install_mode = MODE_NONE;
    int32_t locked_mode = MODE_NONE;  // kind of an earlier installation found for update
    int32_t quit_requested = 0;       // 1 ends the event loop
    std::string install_dir;          // taken from field 21 when the run starts, ends with "\"
    std::string publisher;            // "Editeur": the publisher Windows' list of programs names
    int32_t apps_entry = 0;           // "Applications et fonctionnalités": 0 leaves the program out of that list
};

extern SetupState setup;

// The catalogue's texts by name; each keeps its number TN, its place in
// the catalogue.  The French text stands beside each.
enum TextId : int {
    INSTALLATION_TAB = 1,  // Installation
    DESIGNER_LICENCE = 2,  // Concepteur - Licence
    LICENCE_CONSENT = 3,  // J'ai lu et j'accepte la licence.
    QUIT = 4,  // Quitter
    NEXT = 5,  // Suivant
    INSTALL = 6,  // Installer
    CHARTER_TAB = 7,  // Charte
    CHARTER_ONLY_INSTALL_FOLDER = 8,  // Ce logiciel n'installe aucun fichier ailleurs que dans le...
    CHARTER_INTEGRATION = 9,  // Si une intégration dans Windows est nécessaire, elle est ...
    CHARTER_CLEAN_INSTALLATION = 10,  // Ce principe d'installation 'Propre' a un gros avantage, v...
    CHARTER_APPRECIATION = 11,  // J'espère que vous apprécierez ce point non négligeable qu...
    USE_TAB = 12,  // Utilisation
    PERSONAL_COMPUTER = 13,  // Utilisation sur un ordinateur personnel.
    SHARED_COMPUTER = 14,  // Utilisation sur un ordinateur familial ou d'entreprise.
    ALL_USERS_EXPLANATION = 15,  // Cette installation donne à tous les utilisateurs de l'ord...
    CURRENT_USER_EXPLANATION = 16,  // Cette installation rend le logiciel accessible seulement ...
    OPTIONS_TAB = 17,  // Options
    INSTALL_FOLDER_TITLE = 18,  // Dossier d'installation
    UPDATE = 19,  // Mise à jour
    RUN_AFTER_INSTALLATION = 20,  // Lancer après l'installation
    SHORTCUT_TITLE = 21,  // Raccourci
    DESKTOP_SHORTCUT = 22,  // Créer un raccourci sur le bureau
    CHOOSE_FOLDER_TITLE = 23,  // Répertoire d'installation
    ERROR_TITLE = 24,  // Erreur
    LICENCE_NOT_ACCEPTED = 25,  // Vous n'avez pas accepté la licence d'utilisation du logiciel
    FINISH = 26,  // Terminer
    OPEN_FOLDER = 27,  // Ouvrir le dossier
    LOG_FAILURE_MARK = 28,  //   >>  Erreur
    COPY_FAILED_BEFORE_NAME = 29,  // Le fichier '
    COPY_FAILED_AFTER_NAME = 30,  // ' n'a pas pu être copié sur le disque dur.
    COPY_FAILED_ADVICE = 31,  // Vérifier que le fichier n'est pas en lecture ou actuellem...
    FOLDER_NOT_CREATED = 32,  // Cette erreur est retournée lorsque l'installeur ne parvie...
    LOG_INSTALL_FOLDER = 33,  // Répertoire d'installation :
    LOG_UPDATE = 34,  // Mise à jour du programme
    LOG_FILES = 35,  // Création ou mise à jour de fichiers
    UPDATE_FAILED = 36,  // Impossible de mettre à jour le programme
    UPDATE_FAILED_ADVICE = 37,  // Vérifier que les fichiers du programme ne sont pas en ''l...
    LOG_INSTALLED_FILES = 38,  // Fichiers installés sur l'ordinateur :
    LOG_DISK_SPACE = 39,  // Espace occupé sur le disque dur : 
    INSTALL_SUCCEEDED = 40,  // Installation réussie.
    INSTALL_FAILED = 41,  // Echec de l'installation !!
    SOME_FILES_FAILED = 42,  // Un ou plusieurs fichiers n'ont pas pu être installé
    LOG_SETTINGS_UPDATED = 43,  // Paramètrage et/ou Mise à jour des anciens fichiers
    NEW_VERSION_PAGE = 44,  // Pour télécharger une nouvelle version de mon logiciel, al...
    UNINSTALL_SHORTCUT = 45,  // Désinstallation
    INVALID_INSTALL_FOLDER = 46,  // Le dossier d'installation est invalide
    CATALOGUE_END = 47,  // FIN
};

// The 47 texts of the chosen language: entry N is TN, entries 0 and 48 to
// 100 stay empty.
struct TextCatalogue {
    std::string entries[101];
};

extern TextCatalogue catalogue;

inline const std::string& T(int n) { return catalogue.entries[n]; }

// Window and gadget numbers of the wizard (window 0) and of the result
// window (window 1).  They are the controls' ids.
constexpr int WIZARD_WINDOW = 0;
constexpr int RESULT_WINDOW = 1;

enum WizardGadget : int {
    BANNER = 0,
    LICENCE_BUTTON = 1,
    PROGRAM_FRAME = 2,
    QUIT_PAGE_1 = 3,
    INSTALL_BUTTON = 4,
    CUSTOM_TEXT = 5,
    RUN_AFTER_BOX = 6,
    BROWSE_BUTTON = 7,
    QUIT_PAGE_4 = 9,
    DESKTOP_BOX = 12,
    NEXT_PAGE_1 = 13,
    NEXT_PAGE_3 = 14,
    NEXT_PAGE_2 = 15,
    QUIT_PAGE_3 = 16,
    QUIT_PAGE_2 = 18,
    CONSENT_BOX = 19,
    PAGES = 20,
    DIRECTORY_FIELD = 21,
    ALL_USERS_OPTION = 22,
    CURRENT_USER_OPTION = 23,
    ALL_USERS_TEXT = 24,
    CURRENT_USER_TEXT = 25,
    DIRECTORY_FRAME = 26,
    RUN_AFTER_FRAME = 27,
    SHORTCUT_FRAME = 28,
};

enum ResultGadget : int {
    RESULT_BANNER = 8,
    LOG_LIST = 10,
    OPEN_FOLDER_BUTTON = 11,
    FINISH_BUTTON = 16,
};

// What an elevated run does to the rights of the install folder before it
// writes into it (folder_protection.cpp).
enum FolderRightsStep : int {
    FOLDER_RIGHTS_KEPT,           // as they are (or inherited from Program Files)
    FOLDER_RIGHTS_NEW_PROTECTED,  // made with the protected list
    FOLDER_RIGHTS_TAKEN_OVER,     // given the protected list first
};

// The state of one installation run, shared by the run and the folder copy.
struct InstallRun {
    int folder_rights = FOLDER_RIGHTS_KEPT;
    int64_t total_size = 0;  // bytes of every installed file, failed copies included
    int copy_failed = 0;     // 1 once a file could not be copied
    std::string start_menu_dir;
    // Lines appended to Uninstall.dat at the end of the run, in order.
    std::vector<std::string> uninstall_records;
};

extern InstallRun install_run;

// How this run of Setup goes: what its command line asks, and the exit code
// it ends with.
struct SetupRun {
    SetupOptions options;
    int exit_code = EXIT_DONE;
    bool unusable_name = false;  // "Nom" cannot be a folder name: nothing may be installed
};

extern SetupRun setup_run;

// What the wizard's options page, or the command line, hands to the run.
struct InstallChoices {
    std::string install_dir;  // checked, absolute, ending with "\"
    bool desktop_shortcuts = false;
    bool run_after = false;
};

// Line 6 of the update-information file: where new versions are found.
constexpr const char* AUTHOR_WEB_PAGE = "https://tarvo-developpement.example/";

// Image number of the banner decoded at start.
constexpr int BANNER_IMAGE = 1;

// setup_settings.cpp
void read_settings();
void read_custom_text();
// Leaves out the names of setup.ini that cannot be the paths they become,
// each noted in the log; notes an unusable program name in setup_run.
void check_setting_names();

// catalogue.cpp, language.cpp
void load_catalogue(const std::string& language);
// The name a screen reader says for "..." and for the log list, in the
// run's language.
enum SpokenName : int { BROWSE_NAME, LOG_NAME };
const char* spoken_name(SpokenName which);
void choose_language(const std::string& given = "");  // "FR", "EN" or "" to ask

// proposal.cpp: what the wizard proposes and a silent run takes
// The Start-menu programs folder and the desktop that take the
// installation's items (FOLDER_* numbers): the user's own; every user's
// under the local system account, whose own no person sees.
int programs_folder_id();
int desktop_folder_id();
// Fills all_users_dir, current_user_dir, install_mode and locked_mode as
// the wizard first shows them; returns the folder of an earlier
// installation of the program to update, "" when there is none.
std::string propose_install_folders();
// Whether the desktop box starts ticked: always for a new installation; for
// an update only when the user kept the earlier desktop shortcut.
bool propose_desktop_shortcuts(const std::string& previous);
std::string proposed_folder(int mode);  // all_users_dir or current_user_dir
// A current-user folder must lie inside the application-data folder.
bool inside_appdata(const std::string& dir, const std::string& appdata);
// Under the local system account only an installation for all users: one
// for the current user would go into a profile nobody signs in to.
bool kind_of_use_allowed(int mode);

// wizard.cpp (build_wizard_window: setup_ui.h)
void on_all_users_option();
void on_current_user_option();
void on_browse_button();
void on_directory_edited();
void preset_wizard(const SetupOptions& options);  // the command line's choices made in the wizard

// install_run.cpp
void run_installation();  // the wizard's "Installer"
// The run itself, from the result window to the run-after program; its
// exit code.
int carry_out_installation(const InstallChoices& choices);
// The install directory for a folder chosen: absolute, ending with "\";
// "" when the run must not use it (empty, shared, unusable).
std::string checked_install_directory(const std::string& folder);
// The same before the question of rights: "" when it is never usable.
std::string usable_install_directory(const std::string& folder);
// Whether this process may install into it: files can be made in it, and
// an elevated process finds it safe (folder_protection.cpp).
bool folder_usable_here(const std::string& install_dir);
// Whether files can be made in the folder (made for the test when missing).
bool folder_takes_files(const std::string& folder);
bool write_uninstall_record();  // false when the record could not be completed

// apps_registry.cpp: the entry in Windows' list of installed programs
void register_apps_entry();
void unregister_apps_entry();  // the program's entry, when it names this installation's folder

// folder_protection.cpp: the install folder of an elevated run
// False when an elevated run must not write into the folder; notes what it
// does to its rights first in install_run.folder_rights.
bool judge_install_folder_rights(const std::string& folder);
// Makes the folder (one level) or takes it over as judged; false when it
// could not be made safe.
bool make_install_folder(const std::string& folder);

// elevation.cpp: the installation handed to an elevated Setup
bool needs_elevation(const std::string& install_dir);

// run_report.cpp: the run's log, and its end
// Ends Setup at once with `code`, noted in the log.
[[noreturn]] void end_setup(int code);
// Opens the log /LOG asks for and writes what the run starts with; false
// when the file cannot be made.  True when no log is asked for.
bool open_setup_log();
// Logs the choices an installation goes with.
void log_run_choices(const InstallChoices& choices);

// unattended.cpp: an installation without the wizard (/SILENT, /VERYSILENT);
// its exit code.
int run_unattended();

// folder_copy.cpp
void copy_folder(const std::string& relative_path, int listing_slot);
// The message of a file that could not be copied (its bare name); the
// installation counts as failed.
void report_copy_failure(const std::string& name);
void record_uninstall_entry(const std::string& line);

// result_log.cpp: the log list of the result window
void log_line(const std::string& text);
void repaint_log(bool now);  // at most every 100 ms unless `now`
