// The installer's pure rules: setup.ini read into the installer's state,
// the disk-space text, and which files the copy leaves behind.
#include <gtest/gtest.h>

#include "installer/copy_rules.h"
#include "installer/settings_layout.h"
#include "installer/setup.h"
#include "installer/size_format.h"
#include "runtime/settings.h"
#include "tests/host/bytes.h"

namespace {

class SetupSettings : public ::testing::Test {
protected:
    void SetUp() override { setup = SetupState{}; }
    void TearDown() override { close_settings_text(); }

    void read(const std::string& text) {
        open_settings_text(text);
        read_settings_fields();
    }
};

TEST_F(SetupSettings, EveryFieldIsFilled) {
    read(std::string("[ Informations sur le logiciel]\r\nNom=Carnet\r\nVersion=2.1 \r\nEditeur=Anne Martin\r\n"
                "[ Options de l'intallation]\r\n"
                "Lancer après installation=Carnet.exe\r\n"
                "Raccourci 1 - Cible=Carnet.exe\r\nRaccourci 1 - Nom=Carnet\r\n"
                "Raccourci 2 - Cible=Aide\\aide.htm\r\nRaccourci 2 - Nom=Aide du carnet\r\n"
                "Copier le fichier Tarvo.exe=1\r\n"
                "Mise à jour=maj.exe\r\nLancer à l'installation=prep.exe\r\n"
                "Programme multilangue=1\r\nApplications et fonctionnalités=0\r\n"));
    EXPECT_EQ(setup.program_name, "Carnet");
    EXPECT_EQ(setup.program_version, "2.1 ");
    EXPECT_EQ(setup.run_after_program, "Carnet.exe");
    EXPECT_EQ(setup.shortcut1_target, "Carnet.exe");
    EXPECT_EQ(setup.shortcut1_name, "Carnet");
    EXPECT_EQ(setup.shortcut2_target, "Aide\\aide.htm");
    EXPECT_EQ(setup.shortcut2_name, "Aide du carnet");
    EXPECT_EQ(setup.copy_splash_file, 1);
    EXPECT_EQ(setup.update_program, "maj.exe");
    EXPECT_EQ(setup.install_program, "prep.exe");
    EXPECT_EQ(setup.multilingual, 1);
    EXPECT_EQ(setup.publisher, "Anne Martin");
    EXPECT_EQ(setup.apps_entry, 0);
}

TEST_F(SetupSettings, MultilingualKeepsOnlyTheLowByte) {
    for (auto [value, expected] : {std::pair{"256", 0}, {"1", 1}, {"-1", -1}, {"257", 1}, {"x", 0}}) {
        read(std::string("[ Options de l'intallation]\nProgramme multilangue=") + value + "\n");
        EXPECT_EQ(setup.multilingual, expected) << value;
    }
}

TEST_F(SetupSettings, NoTextOrGroupsWithoutTheBlankGiveDefaults) {
    read_settings_fields();
    EXPECT_EQ(setup.program_name, "");
    EXPECT_EQ(setup.multilingual, 0);
    EXPECT_EQ(setup.publisher, "Tarvo");
    EXPECT_EQ(setup.apps_entry, 1);
    read("[Informations sur le logiciel]\nNom=Lost\n"
         "[Options de l'installation]\nCopier le fichier Tarvo.exe=1\n");
    EXPECT_EQ(setup.program_name, "");
    EXPECT_EQ(setup.copy_splash_file, 0);
}

TEST_F(SetupSettings, CustomTextHasExactlyNineLineFeeds) {
    open_settings_text("[ Texte de l'intallation FR]\r\nligne5=Cinq\r\nligne 1=no\r\n"
                       "[ Texte de l'intallation EN]\r\nligne1=One\r\nligne9=Nine\r\n");
    setup.language = "FR";
    read_custom_text_fields();
    EXPECT_EQ(setup.custom_text, "\n\n\n\nCinq\n\n\n\n\n");
    setup.language = "EN";
    read_custom_text_fields();
    EXPECT_EQ(setup.custom_text, "One\n\n\n\n\n\n\n\nNine\n");
    open_settings_text("[ Texte de l'intallation FR]\r\nligne1=Un\r\n");
    read_custom_text_fields();  // English never falls back to the French group
    EXPECT_EQ(setup.custom_text, std::string(9, '\n'));
}

// The table of keys is the one the checker and the reader share: every key
// in it fills a field when present.
TEST_F(SetupSettings, TheKeyTableNamesEveryKeyRead) {
    std::string text;
    std::string group;
    for (int i = 0; i < SETTINGS_KEY_COUNT; ++i) {
        if (group != SETTINGS_KEYS[i].group) text += "[" + (group = SETTINGS_KEYS[i].group) + "]\n";
        text += std::string(SETTINGS_KEYS[i].key) + "=1\n";
    }
    read(text);
    setup.language = "EN";
    read_custom_text_fields();
    EXPECT_EQ(setup.program_name, "1");
    EXPECT_EQ(setup.install_program, "1");
    EXPECT_EQ(setup.multilingual, 1);
    EXPECT_EQ(setup.publisher, "1");
    EXPECT_EQ(setup.custom_text, "1\n1\n1\n1\n1\n1\n1\n1\n1\n");
    EXPECT_EQ(SETTINGS_KEY_COUNT, 13 + 2 * TEXT_LINES);
}

TEST(SizeText, EveryRowOfTheTable) {
    const std::pair<int64_t, const char*> rows[] = {
        {0, "0 octects"},         {999, "999 octects"},     {1000, "0.98 Ko"},
        {1536, "1.50 Ko"},        {9999, "9.76 Ko"},        {10000, "9.8 Ko"},
        {999999, "976.6 Ko"},     {1000000, "0.95 Mo"},     {1530000, "1.46 Mo"},
        {10000000, "9.5 Mo"},     {12345678, "11.8 Mo"},
    };
    for (auto [bytes, text] : rows) EXPECT_EQ(format_size(bytes, 0, 0, 1), text) << bytes;
    EXPECT_EQ(format_size(1536, 1, 3, 0), "1.500 Ko");
    EXPECT_EQ(format_size(1536, 7, 0, 0), "1536 octects");
    // Totals beyond 32 bits keep the same units.
    EXPECT_EQ(format_size(5LL << 30, 0, 0, 1), "5120.0 Mo");
    EXPECT_EQ(format_size(INT64_MAX, 0, 0, 1), "8796093022208.0 Mo");
    EXPECT_EQ(format_size(-5, 0, 0, 1), "-5 octects");
}

TEST(CopyRules, TheKitsOwnFilesAndTheAuxiliaryProgramsStayBehind) {
    SetupState state;
    state.update_program = "maj.exe";
    state.install_program = "prep.exe";
    EXPECT_EQ(copy_rule(state, "Setup.exe"), COPY_LEFT_INSTALLER);
    EXPECT_EQ(copy_rule(state, "Setup.ini"), COPY_LEFT_INSTALLER);
    EXPECT_EQ(copy_rule(state, "Tarvo.exe"), COPY_LEFT_SPLASH);
    EXPECT_EQ(copy_rule(state, "maj.exe"), COPY_LEFT_UPDATE_PROGRAM);
    EXPECT_EQ(copy_rule(state, "prep.exe"), COPY_LEFT_INSTALL_PROGRAM);
    // Byte for byte: other spellings are installed.
    for (const char* name : {"setup.ini", "setup.exe", "tarvo.exe", "MAJ.EXE", "Uninstall.exe", "Uninstall.dat", ""})
        EXPECT_EQ(copy_rule(state, name), COPY_INSTALLED) << name;
    state.copy_splash_file = 1;
    EXPECT_EQ(copy_rule(state, "Tarvo.exe"), COPY_INSTALLED);
    state.copy_splash_file = 2;
    EXPECT_EQ(copy_rule(state, "Tarvo.exe"), COPY_LEFT_SPLASH);
    state.update_program.clear();
    EXPECT_EQ(copy_rule(state, "maj.exe"), COPY_INSTALLED);
}

}  // namespace
