// The plan of an installation's integration and the completed record, as
// the run carries them out and the checker prints them.
#include <gtest/gtest.h>

#include "installer/install_plan.h"
#include "installer/setup.h"

namespace {

using Lines = std::vector<std::string>;

class InstallPlan : public ::testing::Test {
protected:
    void SetUp() override {
        catalogue = TextCatalogue{};
        load_catalogue("EN");
    }
    SetupState state{.program_name = "Carnet", .program_version = "1.0", .shortcut1_target = "Carnet.exe",
                     .shortcut1_name = "Carnet", .shortcut2_target = "Aide\\aide.htm", .shortcut2_name = "Help",
                     .install_dir = "C:\\Program files\\Carnet\\"};
    ShellFolders folders{"C:\\Menu\\Programs\\", "C:\\Desk\\"};
};

TEST_F(InstallPlan, EverythingIsRecordedInTheOrderTheRunMakesIt) {
    IntegrationPlan plan = plan_integration(state, folders, true);
    ASSERT_EQ(plan.desktop_shortcuts.size(), 2u);
    EXPECT_EQ(plan.desktop_shortcuts[1].link, "C:\\Desk\\Help.lnk");
    EXPECT_EQ(plan.desktop_shortcuts[1].target, "C:\\Program files\\Carnet\\Aide\\aide.htm");
    EXPECT_EQ(plan.start_menu_dir, "C:\\Menu\\Programs\\Tarvo\\Carnet\\");
    EXPECT_EQ(plan.update_information,
              (Lines{"C:\\Program files\\Carnet\\", "", "Carnet - v1.0", "", T(NEW_VERSION_PAGE), AUTHOR_WEB_PAGE}));
    ASSERT_EQ(plan.menu_shortcuts.size(), 3u);
    EXPECT_EQ(plan.menu_shortcuts[2].link, "C:\\Menu\\Programs\\Tarvo\\Carnet\\Uninstall.lnk");
    EXPECT_EQ(plan.menu_shortcuts[2].target, "C:\\Program files\\Carnet\\Uninstall.exe");
    EXPECT_EQ(integration_records(plan),
              (Lines{"C:\\Desk\\Carnet.lnk", "C:\\Desk\\Help.lnk", "C:\\Menu\\Programs\\Tarvo\\Carnet\\Update.Txt",
                     "C:\\Menu\\Programs\\Tarvo\\Carnet\\Carnet.lnk", "C:\\Menu\\Programs\\Tarvo\\Carnet\\Help.lnk",
                     "C:\\Menu\\Programs\\Tarvo\\Carnet\\Uninstall.lnk", "[Menu]",
                     "C:\\Menu\\Programs\\Tarvo\\Carnet\\"}));
}

TEST_F(InstallPlan, UnnamedShortcutsUntickedBoxAndMissingShellFolders) {
    state.shortcut1_name.clear();
    catalogue = TextCatalogue{};
    load_catalogue("FR");
    IntegrationPlan plan = plan_integration(state, folders, false);
    EXPECT_TRUE(plan.desktop_shortcuts.empty());
    EXPECT_EQ(plan.update_information_file, "C:\\Menu\\Programs\\Tarvo\\Carnet\\Mise à jour.Txt");
    ASSERT_EQ(plan.menu_shortcuts.size(), 2u);
    EXPECT_EQ(plan.menu_shortcuts[1].link, "C:\\Menu\\Programs\\Tarvo\\Carnet\\Désinstallation.lnk");
    // Without shell paths nothing is placed relative to the program folder.
    plan = plan_integration(state, ShellFolders{}, true);
    EXPECT_TRUE(plan.desktop_shortcuts.empty());
    EXPECT_EQ(plan.start_menu_dir, "");
    EXPECT_TRUE(integration_records(plan).empty());
}

TEST(CompletedRecord, TheLanguageCodeAndTheListFollowTheTemplate) {
    const Lines records{"C:\\P\\a.exe", "[Menu]", "C:\\M\\Tarvo\\P\\"};
    EXPECT_EQ(completed_record("[Langue]\r\n--\r\n[Fichiers]\r\n", "FR", records),
              "[Langue]\r\nFR\r\n[Fichiers]\r\nC:\\P\\a.exe\r\n[Menu]\r\nC:\\M\\Tarvo\\P\\");
    // A last header without a line end gets one before the first file.
    EXPECT_EQ(completed_record("[Langue]\n--\n[Fichiers]", "EN", records),
              "[Langue]\nEN\n[Fichiers]\r\nC:\\P\\a.exe\r\n[Menu]\r\nC:\\M\\Tarvo\\P\\");
    // Line ends of every kind mark where the second line begins.
    EXPECT_EQ(completed_record("[Langue]\r??\r[Autre]\r", "EN", {"x"}), "[Langue]\rEN\r[Autre]\rx");
    EXPECT_EQ(completed_record(std::string("[Langue]\0--\0", 12), "FR", {"x"}), std::string("[Langue]\0FR\0x", 13));
}

// A name that Windows-1252 lacks makes the whole record UTF-8 after its
// mark; a template written in UTF-8 stays so, its placeholder two letters
// whatever bytes they take.
TEST(CompletedRecord, TheUtf8FormWhereWindows1252CannotHoldANameOrTheTemplateIsUtf8) {
    EXPECT_EQ(completed_record("[Langue]\r\n--\r\n[D\xE9marrage]\r\n", "FR", {"C:\\Ελένη\\a"}),
              "\xEF\xBB\xBF[Langue]\r\nFR\r\n[Démarrage]\r\nC:\\Ελένη\\a");
    EXPECT_EQ(completed_record("[Langue]\r\n--\r\n[Fichiers]\r\n", "FR", {"C:\\café"}),
              "[Langue]\r\nFR\r\n[Fichiers]\r\nC:\\caf\xE9");
    EXPECT_EQ(completed_record("\xEF\xBB\xBF[Langue]\r\nÉé\r\n[Fichiers]\r\n", "EN", {"x"}),
              "\xEF\xBB\xBF[Langue]\r\nEN\r\n[Fichiers]\r\nx");
}

TEST(CompletedRecord, ShortAndMissingTemplates) {
    EXPECT_EQ(completed_record("", "FR", {"C:\\a", "C:\\b"}), "FRC:\\a\r\nC:\\b");
    EXPECT_EQ(completed_record("[Langue]", "FR", {"x"}), "[Langue]FR\r\nx");
    EXPECT_EQ(completed_record("[Langue]\r\nF", "EN", {"x"}), "[Langue]\r\nEN\r\nx");
    EXPECT_EQ(completed_record("[Langue]\r\n", "FR", {}), "[Langue]\r\nFR");
    EXPECT_EQ(completed_record("[Langue]\r\n--\r\n", "FR", {}), "[Langue]\r\nFR\r\n");
}

}  // namespace
