// The sample as one file to download (<build>/Carnet-1.0.exe, made by the
// kit's packer): started from an unrelated folder it installs Carnet as the
// distribution folder does and leaves no temporary folder behind; damaged,
// it is refused before anything is written; cancelled while it unpacks, it
// removes what it wrote; signed, it still finds its payload.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>

#include "driver/sample.h"

namespace {

constexpr DWORD LIMIT = 30000;
const std::string DEFAULT_FOLDER = "C:\\Program files\\Carnet de notes\\";
// The self-extracting program's own exit codes.
constexpr long long DAMAGED = 1;
constexpr long long CANCELLED = 3;
constexpr int CANCEL_BUTTON_ID = 3;

std::string built(const std::string& name) { return program_folder() + "..\\" + name; }

// The folders the self-extracting program made in the temporary folder.
std::vector<std::string> unpack_folders() {
    char temp[MAX_PATH + 1];
    GetTempPathA(MAX_PATH + 1, temp);
    std::vector<std::string> found;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((std::string(temp) + "Tarvo-*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do found.push_back(data.cFileName);
    while (FindNextFileA(search, &data));
    FindClose(search);
    return found;
}

class Package : public ::testing::Test {
protected:
    void SetUp() override { before = unpack_folders(); }
    void TearDown() override {
        remove_sample_traces();
        remove_tree(DEFAULT_FOLDER);
        close_folder_windows();
    }

    // A copy of a package in a folder of its own, as a download would be.
    std::string downloaded(const std::string& package, const std::string& name = "Carnet-1.0.exe") {
        make_folder(downloads);
        EXPECT_TRUE(CopyFileA(package.c_str(), (downloads + name).c_str(), FALSE)) << package;
        return downloads + name;
    }

    ScratchFolder scratch;
    std::string downloads = scratch / "T\xE9l\xE9" "chargements\\";
    std::vector<std::string> before;
};

TEST_F(Package, InstallsAsTheDistributionFolderDoesAndLeavesNoTemporaryFolder) {
    long long code = 0;
    std::string folder = sample_folder();
    code = run_console(in_quotes(program_folder() + "TarvoCheck.exe") + " --record " +
                           in_quotes(folder.substr(0, folder.size() - 1)),
                       scratch / "record.txt", LIMIT);
    ASSERT_EQ(code, 0);
    std::string predicted = read_bytes(scratch / "record.txt");
    remove_tree(DEFAULT_FOLDER);

    Program package = start_program(downloaded(built("Carnet-1.0.exe")), downloads, "");
    Program setup = attach_program("Setup.exe", LIMIT);
    ASSERT_TRUE(setup.started());
    HWND result = install_sample_as_proposed(setup, DEFAULT_FOLDER);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(read_bytes(DEFAULT_FOLDER + "Uninstall.dat"), predicted);
    EXPECT_EQ(unpack_folders().size(), before.size() + 1);  // Setup runs from it

    EXPECT_TRUE(click_control(result, FINISH_BUTTON));
    EXPECT_EQ(wait_program_end(setup, LIMIT), 0);
    EXPECT_EQ(wait_program_end(package, LIMIT), 0);  // Setup's exit code
    EXPECT_EQ(unpack_folders(), before);
    EXPECT_TRUE(close_folder_window(SAMPLE_NAME, LIMIT));
    auto [carnet, window] = wait_carnet(LIMIT);
    ASSERT_TRUE(carnet.started());
    request_close(window);
    EXPECT_EQ(wait_program_end(carnet, LIMIT), 0);
}

// A deployment tool's command line goes to Setup: nothing shows, the exit
// code is Setup's, and the silent uninstall command takes it all away.
TEST_F(Package, InstallsAndUninstallsSilentlyThroughItsCommandLine) {
    std::string dir = scratch / "Carnet silencieux\\";
    Program package = start_program(downloaded(built("Carnet-1.0.exe")), downloads, "/VERYSILENT /DIR=" + in_quotes(dir));
    WindowWatch watch(package);
    EXPECT_EQ(wait_program_end(package, LIMIT), EXIT_DONE);
    EXPECT_EQ(watch.stop(), std::vector<std::string>{});
    EXPECT_EQ(unpack_folders(), before);
    EXPECT_TRUE(exists(dir + "Carnet.exe"));
    std::string quiet = apps_entry_value(HKEY_LOCAL_MACHINE, SAMPLE_NAME, "QuietUninstallString");
    ASSERT_EQ(quiet, "\"" + dir + "Uninstall.exe\" /VERYSILENT");
    Program uninstaller = start_program(dir + "Uninstall.exe", "", "/VERYSILENT");
    EXPECT_EQ(wait_program_end(uninstaller, LIMIT), EXIT_DONE);
    EXPECT_FALSE(exists(dir));
    EXPECT_FALSE(apps_entry_exists(HKEY_LOCAL_MACHINE, SAMPLE_NAME));
}

// Elevated, the installation is made from the package unpacked again into
// a folder only administrators can change: the user's own copy, changed
// after the package checked it, is not what is installed.  (Wine does not
// elevate: a package started with the limited token shows the hand-over.)
TEST_F(Package, AnElevatedRunInstallsThePackagesBytesNotTheUsersCopy) {
    std::string dir = scratch / "Carnet \xE9lev\xE9\\";
    Program package = start_program_limited(downloaded(built("Carnet-1.0.exe")), downloads, "");
    Program setup = attach_program("Setup.exe", LIMIT);
    ASSERT_TRUE(setup.started());
    ASSERT_TRUE(choose_language(setup, false));
    HWND wizard = wait_wizard(setup, sample_ini());
    ASSERT_NE(wizard, nullptr);
    std::vector<std::string> made = unpack_folders();
    ASSERT_EQ(made.size(), before.size() + 1);
    std::string mine;
    for (const std::string& folder : made)
        if (std::find(before.begin(), before.end(), folder) == before.end()) mine = folder;
    char temp[MAX_PATH + 1];
    GetTempPathA(MAX_PATH + 1, temp);
    write_bytes(std::string(temp) + mine + "\\Carnet.exe", "changed");
    click_tab(wizard, PAGES, OPTIONS_PAGE);
    click_control(wizard, RUN_AFTER_BOX);
    press_install(wizard, dir);
    HWND result = wait_handed_over_result(setup, sample_ini(), LIMIT);
    ASSERT_NE(result, nullptr);
    ASSERT_TRUE(wait_until([&] { return record_complete(dir, SAMPLE_NAME); }, LIMIT));
    EXPECT_TRUE(click_control(result, FINISH_BUTTON));
    EXPECT_EQ(wait_program_end(setup, LIMIT), EXIT_DONE);
    EXPECT_EQ(wait_program_end(package, LIMIT), EXIT_DONE);
    EXPECT_EQ(read_bytes(dir + "Carnet.exe"), read_bytes(sample_folder() + "Carnet.exe"));
    EXPECT_EQ(unpack_folders(), before);
}

TEST_F(Package, ADamagedDownloadIsRefusedBeforeAnythingIsWritten) {
    std::string package = read_bytes(built("Carnet-1.0.exe"));
    ASSERT_GT(package.size(), 200000u);
    package[package.size() - 100000] ^= 0x01;  // inside the payload
    write_bytes(scratch / "damaged.exe", package);
    Program damaged = start_program(downloaded(scratch / "damaged.exe"), downloads, "");
    MessageBoxSeen seen = answer_message_box(damaged, LIMIT);
    EXPECT_EQ(seen.title, "Erreur / Error");
    EXPECT_NE(seen.text.find("endommag\xE9 ou incomplet"), std::string::npos) << seen.text;
    EXPECT_EQ(wait_program_end(damaged, LIMIT), DAMAGED);
    EXPECT_EQ(unpack_folders(), before);

    // Cut short, as an interrupted download is.
    write_bytes(scratch / "cut.exe", package.substr(0, package.size() / 2));
    Program cut = start_program(downloaded(scratch / "cut.exe", "cut.exe"), downloads, "");
    answer_message_box(cut, LIMIT);
    EXPECT_EQ(wait_program_end(cut, LIMIT), DAMAGED);
    EXPECT_EQ(unpack_folders(), before);
    EXPECT_FALSE(process_named_running("Setup.exe"));
}

// A package of the sample with a large file takes long enough to unpack
// for a cancel to come in the middle.
TEST_F(Package, ACancelWhileUnpackingRemovesWhatWasWritten) {
    std::string dist = scratch / "Grande\\";
    ASSERT_TRUE(copy_tree(sample_folder(), dist));
    write_bytes(dist + "Aide\\grand.bin", std::string(400u << 20, '\0'));
    std::string package = scratch / "Grande.exe";
    ASSERT_EQ(run_console(in_quotes(program_folder() + "TarvoPack.exe") + " " + in_quotes(dist.substr(0, dist.size() - 1)) +
                              " " + in_quotes(package),
                          scratch / "pack.txt", 120000),
              0)
        << read_bytes(scratch / "pack.txt");
    Program unpacking = start_program(downloaded(package), downloads, "");
    HWND window = wait_window(unpacking, "", "TarvoUnpackWindow", LIMIT);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(post_click(window, CANCEL_BUTTON_ID));
    EXPECT_EQ(wait_program_end(unpacking, LIMIT), CANCELLED);
    EXPECT_EQ(unpack_folders(), before);
    EXPECT_FALSE(process_named_running("Setup.exe"));
}

// Signed at build time with a certificate made for the tests.
TEST_F(Package, ASignedPackageStillFindsItsPayload) {
    Program package = start_program(downloaded(program_folder() + "..\\tests\\e2e\\signing\\Carnet-1.0-signed.exe"),
                                    downloads, "");
    Program setup = attach_program("Setup.exe", LIMIT);
    ASSERT_TRUE(setup.started());
    ASSERT_TRUE(choose_language(setup, false));
    HWND wizard = wait_wizard(setup, sample_ini());
    ASSERT_NE(wizard, nullptr);
    EXPECT_TRUE(click_control(wizard, QUIT_PAGE_1));
    EXPECT_EQ(wait_program_end(setup, LIMIT), EXIT_CANCELLED);
    EXPECT_EQ(wait_program_end(package, LIMIT), EXIT_CANCELLED);  // Setup's exit code
    EXPECT_EQ(unpack_folders(), before);
}

}  // namespace
