// Reading Uninstall.dat from its bytes: blanks, headers, the entries acted
// on in each mode, and the shape of the Start-menu folder line.
#include <gtest/gtest.h>

#include "runtime/line_split.h"
#include "tests/host/bytes.h"
#include "uninstaller/record.h"

// How GoogleTest shows an entry.
void PrintTo(const RecordEntry& e, std::ostream* out) { *out << e.section << ":" << e.text; }

namespace {

using Entries = std::vector<RecordEntry>;

TEST(RecordLines, BlanksAndHeaders) {
    EXPECT_EQ(strip_blanks("   [Fichiers]  "), "[Fichiers]");
    EXPECT_EQ(strip_blanks("\tC:\\a.txt \t "), "\tC:\\a.txt \t");  // tabs stay
    EXPECT_EQ(strip_blanks("    "), "");
    RecordSection section = SECTION_FILES;
    EXPECT_TRUE(record_header("[Langue]", &section));
    EXPECT_EQ(section, SECTION_NONE);
    EXPECT_TRUE(record_header("[Démarrage]", &section));
    EXPECT_EQ(section, SECTION_STARTUP);
    EXPECT_TRUE(record_header("[Dossier du programme]", &section));
    EXPECT_EQ(section, SECTION_PROGRAM_FOLDER);
    for (const char* entry : {"[fichiers]", "[Demarrage]", "[Menu] ", "[Other]", "Fichiers", "[D\xE9marrage]"})
        EXPECT_FALSE(record_header(entry, &section)) << entry;
    EXPECT_EQ(section, SECTION_PROGRAM_FOLDER);
}

TEST(RecordLines, WhatAnUpdateKeeps) {
    for (RecordSection kept : {SECTION_NONE, SECTION_REGISTRY, SECTION_STARTUP, SECTION_PROGRAM_FOLDER, SECTION_OTHER})
        EXPECT_FALSE(acts_in_update_mode(kept)) << kept;
    for (RecordSection removed : {SECTION_RUN, SECTION_PROGRAM, SECTION_FILES, SECTION_MENU})
        EXPECT_TRUE(acts_in_update_mode(removed)) << removed;
}

const std::string FULL_RECORD = cp1252(
    "[Langue]\r\nFR\r\n[Lancer]\r\nclean.exe&-q\r\n[Programme]\r\nCarnet - notes\r\n"
    "[Registre]\r\nHKEY_CURRENT_USER\\Software\\Carnet\r\n[Démarrage]\r\nCarnet\r\n"
    "[Dossier du programme]\r\n  notes.txt  \r\n\r\n[Autre]\r\nC:\\data.cfg\r\n"
    "[Fichiers]\r\nC:\\P\\Carnet.exe\r\n[Menu]\r\nC:\\M\\Tarvo\\Carnet\\");

TEST(RecordEntries, AFullRunActsOnEveryEntryInFileOrder) {
    EXPECT_EQ(record_entries(FULL_RECORD, false), (Entries{
                                                      {SECTION_RUN, "clean.exe&-q"},
                                                      {SECTION_PROGRAM, "Carnet - notes"},
                                                      {SECTION_REGISTRY, "HKEY_CURRENT_USER\\Software\\Carnet"},
                                                      {SECTION_STARTUP, "Carnet"},
                                                      {SECTION_PROGRAM_FOLDER, "notes.txt"},
                                                      {SECTION_OTHER, "C:\\data.cfg"},
                                                      {SECTION_FILES, "C:\\P\\Carnet.exe"},
                                                      {SECTION_MENU, "C:\\M\\Tarvo\\Carnet\\"},
                                                  }));
}

TEST(RecordEntries, AnUpdateSkipsTheKeptSections) {
    EXPECT_EQ(record_entries(FULL_RECORD, true), (Entries{
                                                     {SECTION_RUN, "clean.exe&-q"},
                                                     {SECTION_PROGRAM, "Carnet - notes"},
                                                     {SECTION_FILES, "C:\\P\\Carnet.exe"},
                                                     {SECTION_MENU, "C:\\M\\Tarvo\\Carnet\\"},
                                                 }));
}

TEST(RecordEntries, LinesBeforeAnyHeaderAndUnknownHeaders) {
    EXPECT_EQ(record_entries("C:\\a.txt\r\nC:\\b.txt", false), Entries{});
    // "[fichiers]" and "[Other]" are entries of the current section; lone
    // CRs and NUL bytes end lines too.
    const char bytes[] = "[Langue]\rFR\r[Autre]\r[fichiers]\0[Other]\rC:\\d.cfg\r";
    EXPECT_EQ(record_entries(std::string(bytes, sizeof bytes - 1), false),
              (Entries{{SECTION_OTHER, "[fichiers]"}, {SECTION_OTHER, "[Other]"}, {SECTION_OTHER, "C:\\d.cfg"}}));
    EXPECT_EQ(record_entries("", false), Entries{});
    EXPECT_EQ(record_entries("[Fichiers]", false), Entries{});
}

// A record the installer wrote in UTF-8 (a Greek user's folder) is read
// after its mark; a line in it that is not UTF-8 reads as Windows-1252.
TEST(RecordEntries, TheUtf8FormAfterItsMark) {
    std::string utf8 = "\xEF\xBB\xBF[Langue]\r\nFR\r\n[Démarrage]\r\nΕλένη\r\n[Fichiers]\r\nC:\\Ελένη\\a.txt\r\n"
                       "C:\\caf\xE9.txt";
    EXPECT_EQ(record_entries(utf8, false), (Entries{
                                               {SECTION_STARTUP, "Ελένη"},
                                               {SECTION_FILES, "C:\\Ελένη\\a.txt"},
                                               {SECTION_FILES, "C:\\café.txt"},
                                           }));
    // Without the mark the same bytes are Windows-1252: "[Démarrage]" is no
    // header any more, and the Greek letters come out as Latin ones.
    Entries unmarked = record_entries(utf8.substr(3), false);
    ASSERT_EQ(unmarked.size(), 2u);
    EXPECT_EQ(unmarked[0].section, SECTION_FILES);
    EXPECT_EQ(unmarked[0].text, "C:\\\xC3\x8E\xE2\x80\xA2\xC3\x8E\xC2\xBB\xC3\x8E\xC2\xAD\xC3\x8E\xC2\xBD\xC3\x8E\xC2\xB7\\a.txt");
}

// A line longer than the reader's work area keeps its first 63,999 bytes,
// and the next line is read as usual.
TEST(RecordEntries, OverlongLinesAreCut) {
    std::string name = "C:\\" + std::string(LINE_LIMIT + 100, 'n');
    Entries entries = record_entries("[Fichiers]\r\n" + name + "\r\nC:\\next.txt\r\n", false);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].text, name.substr(0, LINE_LIMIT));
    EXPECT_EQ(entries[1].text, "C:\\next.txt");
}

TEST(RecordEntries, EntryByEntryAsTheRunReadsThem) {
    RecordReader reader;
    std::string entry = "old";
    EXPECT_FALSE(next_record_entry(reader, "  [Menu] ", &entry));
    EXPECT_EQ(reader.section, SECTION_MENU);
    EXPECT_FALSE(next_record_entry(reader, "   ", &entry));
    EXPECT_TRUE(next_record_entry(reader, " C:\\M\\ ", &entry));
    EXPECT_EQ(entry, "C:\\M\\");
    reader.update_mode = true;
    EXPECT_FALSE(next_record_entry(reader, "[Autre]", &entry));
    EXPECT_FALSE(next_record_entry(reader, "C:\\kept.txt", &entry));
    EXPECT_EQ(reader.section, SECTION_OTHER);
}

TEST(MenuFolder, OnlyAFolderInsideATarvoFolderIsAProgramMenuFolder) {
    EXPECT_TRUE(is_program_menu_path("C:\\Users\\u\\Programs\\Tarvo\\Carnet\\"));
    EXPECT_TRUE(is_program_menu_path("C:\\Users\\u\\Programs\\tarvo\\Carnet"));
    EXPECT_TRUE(is_program_menu_path("C:\\TARVO\\Carnet\\\\"));
    // Names are UTF-8, whose letters never hold the byte of "\" (in a
    // double-byte code page "表" ends with it).
    EXPECT_TRUE(is_program_menu_path("C:\\Users\\Ελένη\\Programs\\Tarvo\\表示\\"));
    EXPECT_FALSE(is_program_menu_path("C:\\Users\\Ελένη\\Programs\\Tarvo\\表示\\Sub\\"));
    for (const char* other : {"", "C:\\", "C:", "\\", "Tarvo\\Carnet", "C:\\Programs\\Tarvo\\",
                              "C:\\Programs\\Tarvo\\Carnet\\Sub\\", "C:\\Programs\\Tarvo2\\Carnet\\",
                              "C:\\Programs\\Tarv\\Carnet\\", "C:\\Programs\\Tar\xADvo\\Carnet\\"})
        EXPECT_FALSE(is_program_menu_path(other)) << other;
}

}  // namespace
