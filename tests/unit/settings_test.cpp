// The settings-file reader, over real files.
#include <gtest/gtest.h>

#include "runtime/settings.h"
#include "runtime/settings_text.h"
#include "tests/support/scratch.h"

namespace {

class Settings : public ::testing::Test {
protected:
    void TearDown() override { close_settings(); }

    void open(const std::string& bytes) {
        write_bytes(dir / "setup.ini", bytes);
        ASSERT_NE(open_settings(dir / "setup.ini"), 0);
    }

    ScratchFolder dir;
};

TEST_F(Settings, GroupNamesKeepTheirLeadingBlank) {
    open("[ Informations sur le logiciel]\r\nNom=Alpha\r\n"
         "[Options]\r\nNom=Beta\r\n");
    EXPECT_EQ(select_settings_group(" Informations sur le logiciel"), 1);
    EXPECT_EQ(read_setting_text("Nom"), "Alpha");
    EXPECT_EQ(select_settings_group("Informations sur le logiciel"), 0);
    EXPECT_EQ(read_setting_text("Nom", "dflt"), "dflt");  // no group: defaults only
    EXPECT_EQ(select_settings_group(" Options"), 0);
    EXPECT_EQ(select_settings_group("OPTIONS"), 1);  // ASCII letters in any case
    EXPECT_EQ(read_setting_text("Nom"), "Beta");
}

TEST_F(Settings, WhatFollowsTheClosingBracketIsIgnored) {
    open("[G] trailing words\nk=1\n[G2\nk=2\n");
    EXPECT_EQ(select_settings_group("G"), 1);
    EXPECT_EQ(read_setting_number("k", -1), 1);
    EXPECT_EQ(select_settings_group("G2"), 0);  // no "]" on its line
}

TEST_F(Settings, KeysAboveTheFirstGroupAreReadableBeforeAnySelection) {
    open("Top = first\r\n[G]\r\nTop=second\r\n");
    EXPECT_EQ(read_setting_text("top"), "first");
    select_settings_group("G");
    EXPECT_EQ(read_setting_text("Top"), "second");
}

TEST_F(Settings, FirstMatchWinsAndTheGroupEndsAtTheNextHeader) {
    open("[A]\nk=one\nk=two\n [B]\nlate=inside\n[C]\nonly=c\n");
    select_settings_group("A");
    EXPECT_EQ(read_setting_text("k"), "one");
    // A blank before a bracket neither ends the group nor starts one.
    EXPECT_EQ(read_setting_text("late"), "inside");
    EXPECT_EQ(select_settings_group("B"), 0);
    select_settings_group("A");
    EXPECT_EQ(read_setting_text("only", "none"), "none");
}

TEST_F(Settings, CommentsBlanksAndTrailingSpaces) {
    open("[G]\r\n; k=commented\r\n  ;also=commented\r\n"
         "   Raccourci 1 - Nom   =   Mon programme  \r\n"
         "empty=\r\nnoequals\r\nx\t=tab\r\n");
    select_settings_group("G");
    EXPECT_EQ(read_setting_text("k", "d"), "d");
    EXPECT_EQ(read_setting_text(";also", "d"), "d");
    EXPECT_EQ(read_setting_text("raccourci 1 - nom"), "Mon programme  ");
    EXPECT_EQ(read_setting_text("Raccourci 1 -  Nom", "d"), "d");
    EXPECT_EQ(read_setting_text("empty", "d"), "");  // present but empty
    EXPECT_EQ(read_setting_text("noequals", "d"), "d");
    EXPECT_EQ(read_setting_text("x", "d"), "d");  // a tab is part of the key
    EXPECT_EQ(read_setting_text("x\t"), "tab");
    EXPECT_EQ(read_setting_text("", "d"), "d");
}

TEST_F(Settings, Numbers) {
    open("[G]\nunit=12 Mo\nneg= -7\nempty=\nword=abc\nbig=99999999999\n"
         "plus=+3x\nlow=256\nbare=\n5\n");
    select_settings_group("G");
    EXPECT_EQ(read_setting_number("unit", -1), 12);
    EXPECT_EQ(read_setting_number("neg", -1), -7);
    EXPECT_EQ(read_setting_number("empty", -1), 0);
    EXPECT_EQ(read_setting_number("word", -1), 0);
    EXPECT_EQ(read_setting_number("missing", -1), -1);
    EXPECT_EQ(read_setting_number("big", -1), 2147483647);
    EXPECT_EQ(read_setting_number("plus", -1), 3);
    EXPECT_EQ(read_setting_number("low", -1), 256);
    // The number on the next line does not belong to an empty value.
    EXPECT_EQ(read_setting_number("bare", -1), 0);
}

TEST_F(Settings, AccentedLettersMatchByteForByte) {
    open("[ Options de l'intallation]\r\nMise à jour=maj.exe\r\nLancer après installation=App.exe\r\n");
    select_settings_group(" OPTIONS DE L'INTALLATION");
    EXPECT_EQ(read_setting_text("MISE à JOUR"), "maj.exe");
    EXPECT_EQ(read_setting_text("Mise À jour", "none"), "none");
    EXPECT_EQ(read_setting_text("Lancer apres installation", "none"), "none");
    EXPECT_EQ(read_setting_text("lancer après installation"), "App.exe");
}

TEST_F(Settings, SecondOpenDiscardsTheFirstAndMissingFilesGiveDefaults) {
    open("[G]\nk=first\n");
    write_bytes(dir / "other.ini", "[H]\nk=second\n");
    ASSERT_NE(open_settings(dir / "other.ini"), 0);
    EXPECT_EQ(select_settings_group("G"), 0);
    EXPECT_EQ(select_settings_group("H"), 1);
    EXPECT_EQ(read_setting_text("k"), "second");
    EXPECT_EQ(open_settings(dir / "missing.ini"), 0);
    EXPECT_EQ(select_settings_group("H"), 0);
    EXPECT_EQ(read_setting_text("k", "d"), "d");
    close_settings();
    close_settings();  // harmless
}

TEST_F(Settings, TheFileIsHeldOpenAgainstWriters) {
    open("[G]\n");
    HANDLE h = CreateFileA((dir / "setup.ini").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    close_settings();
    h = CreateFileA((dir / "setup.ini").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

// The text-level lookup also stops at a NUL byte inside the file, as the
// reader's buffer ends there.
TEST(SettingsText, TextEndsAtTheFirstNul) {
    std::string text("[G]\nk=v\n\0[H]\nk=w\n", 18);
    EXPECT_NE(find_settings_group(text, "G"), NO_POSITION);
    EXPECT_EQ(find_settings_group(text, "H"), NO_POSITION);
    size_t g = find_settings_group(text, "G");
    EXPECT_EQ(settings_value_text(text, find_settings_key(text, g, "k", ';')), "v");
}

}  // namespace
