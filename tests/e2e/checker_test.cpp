// The author's checker (TarvoCheck.exe) against the real programs: the
// record it predicts is the one Setup writes, byte for byte, and what it
// says the uninstaller will remove and keep is what Uninstall.exe removes
// and keeps.  The distribution holds a name outside Windows-1252, which the
// checker prints in UTF-8 (its output here is a file) and Setup records in
// the record's UTF-8 form.
#include <gtest/gtest.h>

#include <algorithm>

#include "driver/sample.h"
#include "uninstaller/uninstall.h"

namespace {

constexpr DWORD LIMIT = 30000;
const std::string DEFAULT_FOLDER = "C:\\Program files\\Carnet de notes\\";
// "Ελένη.txt": the driver's ANSI calls cannot name it.
const std::wstring GREEK_NAME = L"\u0395\u03BB\u03AD\u03BD\u03B7.txt";
const std::string GREEK_UTF8 = "\xCE\x95\xCE\xBB\xCE\xAD\xCE\xBD\xCE\xB7.txt";

std::wstring widened(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// Runs TarvoCheck.exe with these parameters; its standard output, and its
// exit code in *code.
std::string run_checker(const std::string& parameters, long long* code, const ScratchFolder& scratch) {
    static int run = 0;
    std::string output = scratch / ("checker-output-" + std::to_string(++run) + ".txt");
    *code = run_console(in_quotes(program_folder() + "TarvoCheck.exe") + " " + parameters, output, LIMIT);
    return read_bytes(output);
}

// The paths named after `prefix` on the lines that start with it (after two
// blanks of indent), each up to the ":" that follows it, if any.
std::vector<std::string> said(const std::string& output, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : split_lines(output)) {
        std::string text = line.substr(0, 2) == "  " ? line.substr(2) : line;
        if (text.compare(0, prefix.size(), prefix) != 0) continue;
        std::string rest = text.substr(prefix.size());
        if (rest.size() < 3 || rest[1] != ':' || rest[2] != '\\') continue;
        size_t colon = rest.find(':', 2);
        found.push_back(colon == std::string::npos ? rest : rest.substr(0, colon));
    }
    return found;
}

class CheckerAgainstThePrograms : public ::testing::Test {
protected:
    void TearDown() override {
        DeleteFileW((widened(dist) + GREEK_NAME).c_str());
        DeleteFileW((widened(DEFAULT_FOLDER) + GREEK_NAME).c_str());
        remove_sample_traces();
        remove_tree(DEFAULT_FOLDER);
        close_folder_windows();
    }

    ScratchFolder scratch;
    std::string dist = scratch / "Distribution\\";
};

TEST_F(CheckerAgainstThePrograms, PredictedRecordAndRemovalsAreWhatTheProgramsDo) {
    ASSERT_TRUE(copy_tree(sample_folder(), dist));
    HANDLE greek = CreateFileW((widened(dist) + GREEK_NAME).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(greek, INVALID_HANDLE_VALUE);
    CloseHandle(greek);
    remove_tree(DEFAULT_FOLDER);
    std::string folder = dist.substr(0, dist.size() - 1);
    long long code = 0;
    std::string report = run_checker(in_quotes(folder), &code, scratch);
    EXPECT_EQ(code, 0) << report;
    EXPECT_NE(report.find("0 errors, 0 warnings"), std::string::npos) << report;
    EXPECT_NE(report.find("\r\n    " + GREEK_UTF8 + "\r\n"), std::string::npos) << report;
    std::string predicted = run_checker("--record \"" + folder + "\"", &code, scratch);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(predicted.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(predicted.find("\r\n" + DEFAULT_FOLDER + GREEK_UTF8 + "\r\n"), std::string::npos) << predicted;

    // Setup with the proposed folder and options, in French.
    Program setup = start_program(dist + "Setup.exe", dist, "");
    HWND result = install_sample_as_proposed(setup, DEFAULT_FOLDER);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(read_bytes(DEFAULT_FOLDER + "Uninstall.dat"), predicted);
    EXPECT_TRUE(click_control(result, FINISH_BUTTON));
    EXPECT_GE(wait_program_end(setup, LIMIT), 0);
    EXPECT_TRUE(close_folder_window(SAMPLE_NAME, LIMIT));
    auto [carnet, window] = wait_carnet(LIMIT);
    ASSERT_TRUE(carnet.started());
    ASSERT_TRUE(type_text(window, CARNET_NOTES_EDIT, "notes"));
    request_close(window);
    EXPECT_EQ(wait_program_end(carnet, LIMIT), 0);
    write_bytes(DEFAULT_FOLDER + "Aide\\empty.txt", "");  // no data: goes with its folder

    std::string preview = run_checker("--uninstall \"" + DEFAULT_FOLDER.substr(0, DEFAULT_FOLDER.size() - 1) + "\"",
                                      &code, scratch);
    EXPECT_EQ(code, 0) << preview;
    std::vector<std::string> deleted = said(preview, "Delete ");
    for (const std::string& empty : said(preview, "Delete the empty file ")) deleted.push_back(empty);
    std::vector<std::string> removed = said(preview, "Remove the folder ");
    std::vector<std::string> kept = said(preview, "Keep ");
    std::vector<std::string> kept_folders = said(preview, "Keep the folder ");
    EXPECT_GE(deleted.size(), 10u) << preview;
    EXPECT_NE(std::find(removed.begin(), removed.end(), DEFAULT_FOLDER + "Aide\\"), removed.end()) << preview;
    EXPECT_NE(std::find(kept_folders.begin(), kept_folders.end(), DEFAULT_FOLDER), kept_folders.end()) << preview;

    ASSERT_TRUE(uninstall_installation(DEFAULT_FOLDER, "D\xE9sinstallation", LIMIT));
    close_folder_windows();

    for (const std::string& path : deleted) EXPECT_FALSE(exists(path)) << path;
    for (const std::string& folder_path : removed) EXPECT_FALSE(exists(folder_path)) << folder_path;
    for (const std::string& path : kept) EXPECT_TRUE(exists(path)) << path;
    for (const std::string& folder_path : kept_folders) EXPECT_TRUE(exists(folder_path)) << folder_path;
    EXPECT_TRUE(exists(DEFAULT_FOLDER + "Carnet.txt"));
    EXPECT_EQ(GetFileAttributesW((widened(DEFAULT_FOLDER) + GREEK_NAME).c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
