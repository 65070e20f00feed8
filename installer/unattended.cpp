// An installation without the wizard (/SILENT, /VERYSILENT, or handed over
// by a wizard to an elevated Setup): what a wizard run proposes, changed as
// the command line asks and under the wizard's rules; a silent run's
// messages in the log alone.
#include "installer/setup.h"
#include "runtime/run_log.h"
#include "runtime/runtime.h"
#include "shell/shell.h"

namespace {

// The language asked for where the distribution offers the choice; French
// otherwise, as the wizard without its language window.
std::string unattended_language(const SetupOptions& o) {
    return setup.multilingual == 0 || o.language.empty() ? "FR" : o.language;
}

// The folder of the kind of use chosen, the one given taken as the wizard
// takes a typed folder: an update keeps the folder of the installation it
// updates, and a current-user folder outside the application data becomes
// that folder plus the program's name.
std::string unattended_folder(const SetupOptions& o) {
    std::string folder = proposed_folder(setup.install_mode);
    if (o.folder.empty()) return folder;
    if (setup.locked_mode == setup.install_mode) {
        run_log("The folder given is not used: an update goes into the folder of the installation it updates.");
        return folder;
    }
    if (setup.install_mode == MODE_CURRENT_USER) {
        std::string appdata = special_folder(FOLDER_APPDATA);
        if (!inside_appdata(o.folder, appdata)) {
            run_log("The folder given is not used: a current-user installation goes into the application-data folder.");
            return appdata + setup.program_name;
        }
    }
    return o.folder;
}

}  // namespace

int run_unattended() {
    const SetupOptions& o = setup_run.options;
    setup.language = unattended_language(o);
    load_catalogue(setup.language);
    std::string previous = propose_install_folders();
    // Without /LANG an earlier installation keeps its language: its
    // update-information file, by which it is found, is named in it.
    if (previous.empty() && o.language.empty() && setup.multilingual != 0) {
        load_catalogue("EN");
        previous = propose_install_folders();
        if (previous.empty()) {
            load_catalogue("FR");
            propose_install_folders();
        } else {
            setup.language = "EN";
        }
    }
    if (o.mode != MODE_NONE) setup.install_mode = o.mode;
    if (!kind_of_use_allowed(setup.install_mode)) {
        run_log("Refused: under the local system account a current-user installation would go into the system "
                "profile, which no one signs in to; install for all users (/ALLUSERS).");
        message_box(T(ERROR_TITLE), T(INVALID_INSTALL_FOLDER), 0);
        return EXIT_FAILED;
    }
    std::string folder = unattended_folder(o);
    std::string install_dir = setup_run.unusable_name ? "" : checked_install_directory(folder);
    if (install_dir.empty()) {
        run_log("Refused install folder: " + folder);
        message_box(T(ERROR_TITLE), T(INVALID_INSTALL_FOLDER), 0);
        return EXIT_FAILED;
    }
    InstallChoices choices;
    choices.install_dir = install_dir;
    // No program to run afterwards, no desktop shortcut either, as in the
    // wizard; a handed-over run takes the wizard's box as it was.
    if (o.handover) choices.desktop_shortcuts = !o.no_desktop;
    else choices.desktop_shortcuts = !setup.run_after_program.empty() && !o.no_desktop && propose_desktop_shortcuts(previous);
    return carry_out_installation(choices);
}
