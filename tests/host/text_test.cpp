// The runtime's text helpers.
#include <gtest/gtest.h>

#include "runtime/text.h"

namespace {

using Strings = std::vector<std::string>;

TEST(Text, TextToFloatTakesOnlyADecimalNumber) {
    EXPECT_FLOAT_EQ(text_to_float("4"), 4.0f);
    EXPECT_FLOAT_EQ(text_to_float("2.5"), 2.5f);
    EXPECT_FLOAT_EQ(text_to_float("  -0.004s"), -0.004f);
    EXPECT_FLOAT_EQ(text_to_float(".5"), 0.5f);
    EXPECT_FLOAT_EQ(text_to_float("1e2"), 100.0f);
    EXPECT_FLOAT_EQ(text_to_float("3e"), 3.0f);
    EXPECT_EQ(text_to_float("abc"), 0.0f);
    EXPECT_EQ(text_to_float(""), 0.0f);
    EXPECT_EQ(text_to_float("0x10"), 0.0f);
    EXPECT_EQ(text_to_float("inf"), 0.0f);
    EXPECT_EQ(text_to_float("-"), 0.0f);
}

TEST(Text, CommandLineParameters) {
    EXPECT_EQ(split_program_parameters("Tarvo.exe 4"), Strings{"4"});
    EXPECT_EQ(split_program_parameters("\"C:\\Program Files\\A\\Uninstall.exe\" Update"),
              Strings{"Update"});
    EXPECT_EQ(split_program_parameters("p.exe \"two words\"  x \"unclosed rest"),
              (Strings{"two words", "x", "unclosed rest"}));
    EXPECT_EQ(split_program_parameters("p.exe \"\" b"), (Strings{"", "b"}));
    EXPECT_EQ(split_program_parameters("p.exe"), Strings{});
    EXPECT_EQ(split_program_parameters(""), Strings{});
}

TEST(Text, StringField) {
    EXPECT_EQ(string_field("prog.exe&-a -b&dropped", 1, "&"), "prog.exe");
    EXPECT_EQ(string_field("prog.exe&-a -b&dropped", 2, "&"), "-a -b");
    EXPECT_EQ(string_field("prog.exe", 2, "&"), "");
    EXPECT_EQ(string_field("prog.exe&", 2, "&"), "");
    EXPECT_EQ(string_field("HKEY_USERS\\S\\k", 1, "\\x"), "HKEY_USERS");
    EXPECT_EQ(string_field("a", 0, "&"), "");
}

TEST(Text, RemoveString) {
    EXPECT_EQ(remove_string("HKEY_CURRENT_USER\\Software\\hkey_current_user\\X",
                            "HKEY_CURRENT_USER\\", REMOVE_IGNORE_CASE),
              "Software\\X");
    EXPECT_EQ(remove_string("aAa", "a", 0), "A");
    EXPECT_EQ(remove_string("aaa", "aa", 0), "a");
    EXPECT_EQ(remove_string("text", "", 0), "text");
}

TEST(Text, SortArrayRange) {
    Strings a{"keep", "b\\", "A\\", "c\\", "last"};
    sort_array(a, SORT_IGNORE_CASE, 1, 3);
    EXPECT_EQ(a, (Strings{"keep", "A\\", "b\\", "c\\", "last"}));
    Strings b{"b", "a"};
    sort_array(b, SORT_IGNORE_CASE, 1, 1);
    EXPECT_EQ(b, (Strings{"b", "a"}));
    sort_array(b, SORT_IGNORE_CASE, 0, 5);  // out of range: nothing
    EXPECT_EQ(b, (Strings{"b", "a"}));
}

TEST(Text, FormatDecimal) {
    EXPECT_EQ(format_decimal(0.9765625f, 2), "0.98");
    EXPECT_EQ(format_decimal(9.765625f, 1), "9.8");
    EXPECT_EQ(format_decimal(999.0f, 0), "999");
    EXPECT_EQ(format_decimal(-1.5f, 1), "-1.5");
    EXPECT_EQ(format_decimal(1.5f, -1), "1.500000");
}

}  // namespace
