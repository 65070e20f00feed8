// Administrator rights only where they are needed, and never over what
// another user could change: the wizard hands an installation that needs an
// administrator to an elevated Setup; an elevated run refuses a folder
// others could have filled, runs nothing it did not copy and deletes
// through no link; names from setup.ini cannot lead outside their folders.
//
// Wine gives every process a full administrator token and does not elevate
// on "runas": the hand-over is tested from a Setup started with the limited
// twin of the token, and shows the hand-over, not the rights.  Wine keeps no
// rights list on files (it reads back its own, which lets everyone write):
// an existing folder is therefore always one others could change, taken over
// unless it holds a link; the rules themselves are tested on the host.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "driver/kit.h"
#include "uninstaller/uninstall.h"

namespace {

constexpr DWORD LIMIT = 30000;

class Rights : public ::testing::Test {
protected:
    void SetUp() override {
        set_marker_log(markers);
        ini.name = "KitRights";
        ini.shortcut1_name = "KitRights";
    }
    void TearDown() override {
        for (const std::string& link : links) remove_folder_link(link);
        set_marker_log("");
        set_marker_hold("");
        close_folder_windows();
        remove_shell_traces(ini.name, {ini.shortcut1_name});
        remove_tree(shell_folder(CSIDL_APPDATA) + ini.name);
    }

    ScratchFolder scratch;
    std::string dir = scratch / "Installe\\";
    std::string markers = scratch / "markers.txt";
    std::string log = scratch / "journal.log";
    std::vector<std::string> links;  // removed before anything else, never entered
    SetupIni ini;
};

TEST_F(Rights, TheWizardHandsAnInstallationForAllUsersToAnElevatedRun) {
    Distribution dist(ini);
    dist.add_app_and_template();
    Program wizard_run = start_program_limited(dist.path("Setup.exe"), dist.path(), "/LOG=" + in_quotes(log));
    HWND wizard = wait_wizard(wizard_run, ini);
    ASSERT_NE(wizard, nullptr);
    RECT place = outer_rect(wizard);
    press_install(wizard, dir);  // all users, the program run afterwards ticked
    HWND result = wait_handed_over_result(wizard_run, ini, LIMIT);
    ASSERT_NE(result, nullptr);
    EXPECT_FALSE(IsWindowVisible(wizard));
    EXPECT_EQ(outer_rect(result).left, place.left);
    EXPECT_EQ(outer_rect(result).top, place.top);
    ASSERT_TRUE(wait_until([&] { return record_complete(dir, ini.name); }, LIMIT));
    EXPECT_TRUE(read_lines(markers).empty());  // the elevated run starts nothing afterwards
    EXPECT_TRUE(click_control(result, FINISH_BUTTON));
    EXPECT_EQ(wait_program_end(wizard_run, LIMIT), EXIT_DONE);
    // The wizard's process started it, with the user's own rights.
    ASSERT_TRUE(wait_until([&] { return read_lines(markers).size() == 1; }, LIMIT));
    EXPECT_EQ(read_lines(markers)[0].substr(0, 13), "App.exe||show");
    std::string text = read_bytes(log);
    std::string parameters = "/DIR=\"" + dir + "\" /ALLUSERS /LANG=FR /LOG=\"" + log + "\" /HANDOVER=" +
                             std::to_string(place.left) + "," + std::to_string(place.top);
    EXPECT_NE(text.find("\r\nHanded over to an elevated run: " + dist.path("Setup.exe") + " " + parameters + "\r\n"),
              std::string::npos) << text;
    EXPECT_NE(text.find("\r\nCommand line: " + parameters + "\r\n"), std::string::npos) << text;
}

TEST_F(Rights, AnInstallationForTheCurrentUserIsMadeInPlace) {
    Distribution dist(ini);
    dist.add_app_and_template();
    Program wizard_run = start_program_limited(dist.path("Setup.exe"), dist.path(), "/LOG=" + in_quotes(log));
    HWND wizard = wait_wizard(wizard_run, ini);
    ASSERT_NE(wizard, nullptr);
    click_tab(wizard, PAGES, USE_PAGE);
    click_control(wizard, CURRENT_USER_OPTION);
    std::string current_user_dir = shell_folder(CSIDL_APPDATA) + ini.name + "\\";
    press_install(wizard);
    HWND result = wait_installed(wizard_run, ini, current_user_dir, LIMIT);
    ASSERT_NE(result, nullptr);
    EXPECT_TRUE(finish_setup(wizard_run, result, ini, LIMIT));
    EXPECT_EQ(wait_program_end(wizard_run, LIMIT), EXIT_DONE);
    EXPECT_EQ(read_bytes(log).find("Handed over"), std::string::npos);
}

TEST_F(Rights, AnElevatedRunTrustsNoFolderOthersCouldHaveFilledAndRunsNothingItDidNotCopy) {
    ini.install_program = "prep.exe";
    Distribution dist(ini);
    dist.add_app_and_template();
    dist.copy_program("marker.exe", "prep.exe");
    // An earlier installation, with a link inside: its uninstaller is not
    // run, nothing is copied.
    make_folder(dir);
    CopyFileA((program_folder() + "marker.exe").c_str(), (dir + "Uninstall.exe").c_str(), FALSE);
    write_bytes(dir + "Uninstall.dat", "[Langue]\r\nFR\r\n[Fichiers]\r\n");
    make_folder(scratch / "ailleurs");
    links.push_back(dir + "lien");
    ASSERT_TRUE(make_folder_link(dir + "lien", scratch / "ailleurs"));
    EXPECT_EQ(dist.run_setup("/VERYSILENT /DIR=" + in_quotes(dir) + " /LOG=" + in_quotes(log), LIMIT), EXIT_FAILED);
    EXPECT_TRUE(read_lines(markers).empty());
    EXPECT_FALSE(exists(dir + "App.exe"));
    EXPECT_NE(read_bytes(log).find("\r\nRefused: " + dir + " holds a link"), std::string::npos);

    // A read-only file named like the install-time program: its copy fails,
    // it is not run, and the installation counts as failed.
    std::string other = scratch / "Autre\\";
    make_folder(other);
    CopyFileA((program_folder() + "marker.exe").c_str(), (other + "prep.exe").c_str(), FALSE);
    set_read_only(other + "prep.exe", true);
    EXPECT_EQ(dist.run_setup("/VERYSILENT /DIR=" + in_quotes(other) + " /LOG=" + in_quotes(log), LIMIT), EXIT_FAILED) << read_bytes(log);
    EXPECT_TRUE(read_lines(markers).empty());
    std::string text = read_bytes(log);
    EXPECT_NE(text.find("\r\n    Le fichier 'prep.exe' n'a pas pu"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n   >   prep.exe  >>  Erreur\r\n"), std::string::npos) << text;
    EXPECT_TRUE(exists(other + "App.exe"));
    set_read_only(other + "prep.exe", false);
}

// The uninstaller acts on the record beside it, whatever folder it is
// started from, and deletes through no link: a folder swapped for one
// while it works, and a Start-menu folder that is one, keep what the link
// leads to.
TEST_F(Rights, TheUninstallerTakesItsOwnRecordAndDeletesThroughNoLink) {
    std::string decoy = scratch / "Leurre\\", outside = scratch / "Ailleurs\\", menu_target = scratch / "Menu\\";
    std::string menu = start_menu_folder(ini.name);
    for (const std::string& folder : {dir, dir + "sous\\", decoy, outside, menu_target}) make_folder(folder);
    make_folder(shell_folder(CSIDL_PROGRAMS) + "Tarvo");
    remove_tree(menu);
    links = {menu, dir + "sous"};
    ASSERT_TRUE(make_folder_link(menu.substr(0, menu.size() - 1), menu_target));
    for (const std::string& file : {dir + "a.txt", dir + "sous\\x.txt", outside + "x.txt", decoy + "victime.txt",
                                    menu_target + "KitRights.lnk"})
        write_bytes(file, "garde");
    CopyFileA((program_folder() + "Uninstall.exe").c_str(), (dir + "Uninstall.exe").c_str(), FALSE);
    CopyFileA((program_folder() + "marker.exe").c_str(), (dir + "hold.exe").c_str(), FALSE);
    write_bytes(dir + "Uninstall.dat", "[Langue]\r\nFR\r\n[Lancer]\r\n" + dir + "hold.exe\r\n[Fichiers]\r\n" + dir +
                                           "a.txt\r\n" + dir + "sous\\x.txt\r\n" + menu + "KitRights.lnk\r\n[Menu]\r\n" + menu);
    write_bytes(decoy + "Uninstall.dat", "[Langue]\r\nFR\r\n[Fichiers]\r\n" + decoy + "victime.txt");
    std::string release = scratch / "release";
    set_marker_hold(release);
    Program uninstaller = start_program(dir + "Uninstall.exe", decoy, "/VERYSILENT");
    ASSERT_TRUE(wait_until([] { return process_named_running("hold.exe"); }, LIMIT));
    // While the "[Lancer]" program holds the run, a folder becomes a link.
    ASSERT_TRUE(MoveFileA((dir + "sous").c_str(), (dir + "sous-avant").c_str()));
    ASSERT_TRUE(make_folder_link(dir + "sous", outside));
    write_bytes(release, "");
    EXPECT_EQ(wait_program_end(uninstaller, LIMIT), EXIT_FAILED);  // the file behind the link stays listed
    EXPECT_FALSE(exists(dir + "a.txt"));
    for (const std::string& kept : {outside + "x.txt", decoy + "victime.txt", menu_target + "KitRights.lnk"})
        EXPECT_EQ(read_bytes(kept), "garde") << kept;
    EXPECT_TRUE(exists(decoy + "Uninstall.dat"));
}

// An install folder reached through a link (the program folder moved, and
// a link left in its place; a desktop kept on another drive) is the
// uninstaller's own folder all the same: what its record lists there goes.
TEST_F(Rights, AnInstallFolderReachedThroughALinkIsStillCleaned) {
    std::string moved = scratch / "Ailleurs\\";
    make_folder(moved);
    std::string link = scratch / "Installe";
    links.push_back(link);
    ASSERT_TRUE(make_folder_link(link, moved));
    CopyFileA((program_folder() + "Uninstall.exe").c_str(), (moved + "Uninstall.exe").c_str(), FALSE);
    write_bytes(moved + "a.txt", "x");
    write_bytes(moved + "Uninstall.dat", "[Langue]\r\nFR\r\n[Fichiers]\r\n" + dir + "a.txt");
    Program uninstaller = start_program(dir + "Uninstall.exe", dir, "/VERYSILENT");
    EXPECT_EQ(wait_program_end(uninstaller, LIMIT), EXIT_DONE);
    EXPECT_FALSE(exists(moved + "a.txt"));
}

// Names that cannot be the paths they become: the program's name refuses
// the installation before anything changes; a shortcut's is left out.
TEST_F(Rights, NamesThatLeaveTheirFoldersAreRefusedOrLeftOut) {
    SetupIni bad = ini;
    bad.name = "..\\..\\Windows";
    Distribution refused(bad);
    refused.add_app_and_template();
    EXPECT_EQ(refused.run_setup("/VERYSILENT /DIR=" + in_quotes(dir) + " /LOG=" + in_quotes(log), LIMIT), EXIT_FAILED);
    EXPECT_FALSE(exists(dir));
    EXPECT_NE(read_bytes(log).find("\r\nThe program's name \"..\\..\\Windows\" cannot be a folder name"), std::string::npos);

    ini.shortcut1_name = "..\\..\\KitRights";
    Distribution dist(ini);
    dist.add_app_and_template();
    EXPECT_EQ(dist.run_setup("/VERYSILENT /DIR=" + in_quotes(dir) + " /LOG=" + in_quotes(log), LIMIT), EXIT_DONE);
    EXPECT_TRUE(exists(dir + "App.exe"));
    EXPECT_FALSE(exists(shell_folder(CSIDL_PROGRAMS) + "KitRights.lnk"));
    EXPECT_FALSE(exists(shell_folder(CSIDL_DESKTOPDIRECTORY) + "..\\..\\KitRights.lnk"));
    EXPECT_NE(read_bytes(log).find("\r\nLeft out: \"Raccourci 1 - Nom=..\\..\\KitRights\""), std::string::npos);
}

}  // namespace
