// The settings-file reader over real files: what the file layer adds to
// the lookups.
#include <gtest/gtest.h>

#include "runtime/settings.h"
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

// The lookups themselves are tested on the host; here the file's
// Windows-1252 bytes are read as the programs' UTF-8 text, a NUL inside
// them included.
TEST_F(Settings, TheFileIsReadAsItsBytes) {
    const char bytes[] = "[ Options de l'intallation]\r\nMise \xE0 jour=maj.exe \r\n\0[H]\r\nk=w\r\n";
    open(std::string(bytes, sizeof bytes - 1));
    EXPECT_EQ(select_settings_group(" options de l'intallation"), 1);
    EXPECT_EQ(read_setting_text("Mise \xC3\xA0 jour"), "maj.exe ");
    EXPECT_EQ(select_settings_group("H"), 0);
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

}  // namespace
