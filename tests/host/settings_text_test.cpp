// The settings reader's lookups over a text in memory: groups, keys, values
// and numbers, as setup.ini is read.
#include <gtest/gtest.h>

#include "runtime/settings.h"
#include "runtime/settings_text.h"
#include "tests/host/bytes.h"

namespace {

class SettingsText : public ::testing::Test {
protected:
    void TearDown() override { close_settings_text(); }
    void open(const std::string& bytes) { ASSERT_NE(open_settings_text(bytes), 0); }
};

TEST_F(SettingsText, GroupNamesKeepTheirLeadingBlank) {
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

TEST_F(SettingsText, WhatFollowsTheClosingBracketIsIgnored) {
    open("[G] trailing words\nk=1\n[G2\nk=2\n");
    EXPECT_EQ(select_settings_group("G"), 1);
    EXPECT_EQ(read_setting_number("k", -1), 1);
    EXPECT_EQ(select_settings_group("G2"), 0);  // no "]" on its line
}

TEST_F(SettingsText, KeysAboveTheFirstGroupAreReadableBeforeAnySelection) {
    open("Top = first\r\n[G]\r\nTop=second\r\n");
    EXPECT_EQ(read_setting_text("top"), "first");
    select_settings_group("G");
    EXPECT_EQ(read_setting_text("Top"), "second");
}

TEST_F(SettingsText, FirstMatchWinsAndTheGroupEndsAtTheNextHeader) {
    open("[A]\nk=one\nk=two\n [B]\nlate=inside\n[C]\nonly=c\n");
    select_settings_group("A");
    EXPECT_EQ(read_setting_text("k"), "one");
    // A blank before a bracket neither ends the group nor starts one.
    EXPECT_EQ(read_setting_text("late"), "inside");
    EXPECT_EQ(select_settings_group("B"), 0);
    select_settings_group("A");
    EXPECT_EQ(read_setting_text("only", "none"), "none");
}

TEST_F(SettingsText, CommentsBlanksAndTrailingSpaces) {
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

TEST_F(SettingsText, Numbers) {
    open("[G]\nunit=12 Mo\nneg= -7\nempty=\nword=abc\nbig=99999999999\n"
         "plus=+3x\nlow=256\nbare=\n5\nsmall=-99999999999\ntab=\t 8\n");
    select_settings_group("G");
    EXPECT_EQ(read_setting_number("unit", -1), 12);
    EXPECT_EQ(read_setting_number("neg", -1), -7);
    EXPECT_EQ(read_setting_number("empty", -1), 0);
    EXPECT_EQ(read_setting_number("word", -1), 0);
    EXPECT_EQ(read_setting_number("missing", -1), -1);
    EXPECT_EQ(read_setting_number("big", -1), 2147483647);
    EXPECT_EQ(read_setting_number("small", -1), -2147483647 - 1);
    EXPECT_EQ(read_setting_number("plus", -1), 3);
    EXPECT_EQ(read_setting_number("low", -1), 256);
    EXPECT_EQ(read_setting_number("tab", -1), 8);
    // The number on the next line does not belong to an empty value.
    EXPECT_EQ(read_setting_number("bare", -1), 0);
}

TEST_F(SettingsText, AccentedLettersMatchByteForByte) {
    open(cp1252("[ Options de l'intallation]\r\nMise à jour=maj.exe\r\nLancer après installation=App.exe\r\n"));
    select_settings_group(" OPTIONS DE L'INTALLATION");
    EXPECT_EQ(read_setting_text(cp1252("MISE à JOUR")), "maj.exe");
    EXPECT_EQ(read_setting_text(cp1252("Mise À jour"), "none"), "none");
    EXPECT_EQ(read_setting_text("Lancer apres installation", "none"), "none");
    EXPECT_EQ(read_setting_text(cp1252("lancer après installation")), "App.exe");
}

// The reader stops at the first NUL byte, wherever it comes; line ends of
// any kind, CR alone included, end values.
TEST_F(SettingsText, TextEndsAtTheFirstNulAndValuesAtAnyLineEnd) {
    const char bytes[] = "[G]\nk=v\r\nc=w\rd=x\n\0[H]\nk=w\n";
    open(std::string(bytes, sizeof bytes - 1));
    EXPECT_EQ(select_settings_group("G"), 1);
    EXPECT_EQ(read_setting_text("k"), "v");
    EXPECT_EQ(read_setting_text("c"), "w");
    EXPECT_EQ(read_setting_text("d", "none"), "none");  // on the line of "c", after its CR
    EXPECT_EQ(select_settings_group("H"), 0);
}

TEST_F(SettingsText, NothingLoadedGivesDefaultsAndAReplacedTextIsForgotten) {
    EXPECT_EQ(select_settings_group("G"), 0);
    EXPECT_EQ(read_setting_text("k", "d"), "d");
    EXPECT_EQ(read_setting_number("k", 7), 7);
    open("[G]\nk=first\n");
    open("[H]\nk=second\n");
    EXPECT_EQ(select_settings_group("G"), 0);
    EXPECT_EQ(select_settings_group("H"), 1);
    EXPECT_EQ(read_setting_text("k"), "second");
    close_settings_text();
    EXPECT_EQ(read_setting_text("k", "d"), "d");
    open("");
    EXPECT_EQ(read_setting_text("k", "d"), "d");
    EXPECT_EQ(select_settings_group(""), 0);
}

// A lookup stays linear in the length of the text: a megabyte-long line
// without "]" or "=" is passed over once per lookup.
TEST_F(SettingsText, LongLinesAreReadInOnePass) {
    std::string text = "[" + std::string(1 << 20, 'x') + "\n" + std::string(1 << 20, 'y') + "\n[G]\nk=1\n";
    open(text);
    EXPECT_EQ(select_settings_group("G"), 1);
    EXPECT_EQ(read_setting_number("k", 0), 1);
}

}  // namespace
