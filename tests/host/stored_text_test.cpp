// The files the programs write and read back: Windows-1252 while every
// character fits, UTF-8 after its mark otherwise, and both read as UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "runtime/code_page.h"

namespace {

TEST(StoredText, EachFormIsReadAndTheSmallerOneWritten) {
    struct Case {
        std::string stored, text;
    };
    const Case cases[] = {
        {"Mise \xE0 jour", "Mise à jour"},                      // Windows-1252, as always
        {"\x80 \x9F \x81", "€ Ÿ \xC2\x81"},                     // its high controls, one left undefined
        {"\xEF\xBB\xBF" "C:\\Ελένη\\", "C:\\Ελένη\\"},           // UTF-8 after the mark
        {"\xEF\xBB\xBF" "caf\xE9", "caf\xC3\xA9"},               // after the mark, but not UTF-8 after all
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(decode_stored_text(c.stored), c.text) << c.text;
    // Written back: the same bytes where they fit Windows-1252, every byte
    // of that code page included.
    std::string every_byte;
    for (int b = 1; b < 256; ++b) every_byte += static_cast<char>(b);
    EXPECT_EQ(encode_stored_text(decode_stored_text(every_byte)), every_byte);
    EXPECT_EQ(encode_stored_text("C:\\Ελένη\\"), "\xEF\xBB\xBF" "C:\\Ελένη\\");
    EXPECT_EQ(encode_stored_text("日本"), "\xEF\xBB\xBF日本");
}

TEST(StoredText, LinesOfTheUtf8FormAndWhatIsNotUtf8) {
    EXPECT_EQ(decode_stored_line("Ελένη", true), "Ελένη");
    EXPECT_EQ(decode_stored_line("caf\xE9", true), "café");
    EXPECT_EQ(decode_stored_line("caf\xE9", false), "café");
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82"}) EXPECT_FALSE(is_utf8(bad));
    EXPECT_TRUE(is_utf8("\xF0\x9F\x98\x80 \xE2\x82\xAC"));
}

}  // namespace
