// The rights an elevated installation demands of a folder before it writes
// into it, runs what it holds or deletes what its record lists, read from
// descriptors as Windows writes them in SDDL.
#include <gtest/gtest.h>

#include "runtime/folder_rights.h"
#include "runtime/path_text.h"

namespace {

const std::string USER = "S-1-5-21-1111-2222-3333-1001";  // the administrator who installs
const std::string OTHER = "S-1-5-21-1111-2222-3333-1002";  // another user of the computer

// Program Files as Windows ships it: TrustedInstaller owns it and only
// administrators, SYSTEM and TrustedInstaller may change it.
const char PROGRAM_FILES[] =
    "O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
    "D:PAI(A;;FA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)"
    "(A;CIIO;GA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)"
    "(A;;0x1301bf;;;SY)(A;OICIIO;GA;;;SY)(A;;0x1301bf;;;BA)(A;OICIIO;GA;;;BA)"
    "(A;;0x1200a9;;;BU)(A;OICIIO;GXGR;;;BU)(A;OICIIO;GA;;;CO)(A;;0x1200a9;;;AC)(A;OICIIO;GXGR;;;AC)";
// A folder an administrator made at the root of the system drive: what it
// inherits lets every signed-in user change what it holds.
const char DRIVE_ROOT_FOLDER[] =
    "O:BAD:AI(A;ID;FA;;;BA)(A;OICIIOID;GA;;;BA)(A;ID;FA;;;SY)(A;OICIIOID;GA;;;SY)"
    "(A;OICIID;0x1200a9;;;BU)(A;ID;0x1301bf;;;AU)(A;OICIIOID;SDGXGWGR;;;AU)";

TEST(FolderRights, WhoMayChangeAFolder) {
    struct Row {
        const char* what;
        std::string sddl;
        bool only_trusted;
    };
    const Row rows[] = {
        {"Program Files", PROGRAM_FILES, true},
        {"the protected list", PROTECTED_FOLDER_SDDL, true},
        {"a folder of the drive's root", DRIVE_ROOT_FOLDER, false},
        {"owned by the installing user", "O:" + USER + "D:P(A;OICI;FA;;;" + USER + ")(A;OICI;FA;;;SY)", true},
        {"owned by another user", "O:" + OTHER + "D:P(A;OICI;FA;;;BA)", false},
        {"another user may write", "O:BAD:P(A;OICI;FA;;;BA)(A;;0x2;;;" + OTHER + ")", false},
        {"another user may change the rights", "O:BAD:P(A;OICI;FA;;;BA)(A;;WD;;;" + OTHER + ")", false},
        {"everyone may delete", "O:BAD:P(A;OICI;FA;;;BA)(A;;SD;;;WD)", false},
        {"users may make files in it", "O:BAD:P(A;OICI;FA;;;BA)(A;OICIIO;GW;;;BU)", false},
        {"everyone reads and runs", "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FRFX;;;WD)", true},
        {"a denial takes nothing away", "O:BAD:P(A;OICI;FA;;;BA)(D;;FA;;;WD)", true},
        {"the creator owner's template", "O:BAD:P(A;OICI;FA;;;BA)(A;OICIIO;GA;;;CO)", true},
        {"no rights list at all", "O:BAD:NO_ACCESS_CONTROL", false},
        {"no owner", "D:P(A;OICI;FA;;;BA)", false},
        {"not SDDL", "O:BAD:P(A;OICI;FA;;;BA", false},
        {"an unknown right", "O:BAD:P(A;;QQ;;;BA)", false},
    };
    for (const Row& row : rows) EXPECT_EQ(only_trusted_can_change(row.sddl, USER), row.only_trusted) << row.what;
}

TEST(FolderRights, AnExistingFolderIsUsedTakenOverOrRefused) {
    const std::string mine = "O:" + USER + "D:AI(A;ID;FA;;;" + USER + ")";
    const std::string admins = "O:BAD:AI(A;ID;FA;;;BA)";
    const std::string others = "O:" + OTHER + "D:AI(A;ID;FA;;;" + OTHER + ")";
    struct Row {
        const char* what;
        std::string folder;
        std::vector<HeldEntry> held;
        FolderVerdict verdict;
    };
    const Row rows[] = {
        {"admin-only, whatever it holds", PROGRAM_FILES, {{others, false}}, FOLDER_ADMIN_ONLY},
        {"admin-only, holding a link", PROGRAM_FILES, {{admins, false}, {admins, true}}, FOLDER_REFUSED},
        {"others can change it, empty", DRIVE_ROOT_FOLDER, {}, FOLDER_TAKE_OVER},
        {"holding the installer's own files", DRIVE_ROOT_FOLDER, {{mine, false}, {admins, false}}, FOLDER_TAKE_OVER},
        {"owned by another user, empty", "O:" + OTHER + "D:(A;;FA;;;" + OTHER + ")", {}, FOLDER_TAKE_OVER},
        {"holding another user's file", DRIVE_ROOT_FOLDER, {{mine, false}, {others, false}}, FOLDER_REFUSED},
        {"holding a link", DRIVE_ROOT_FOLDER, {{admins, true}}, FOLDER_REFUSED},
        {"holding what cannot be read", DRIVE_ROOT_FOLDER, {{"", false}}, FOLDER_REFUSED},
    };
    for (const Row& row : rows) EXPECT_EQ(judge_existing_folder(row.folder, row.held, USER), row.verdict) << row.what;
}

TEST(FolderRights, SddlAsWindowsWritesIt) {
    SecurityText s;
    ASSERT_TRUE(read_sddl(DRIVE_ROOT_FOLDER, &s));
    EXPECT_EQ(s.owner, "S-1-5-32-544");
    EXPECT_TRUE(s.has_rights_list);
    EXPECT_FALSE(s.protected_list);
    ASSERT_EQ(s.rights.size(), 7u);
    EXPECT_EQ(s.rights[5].sid, "S-1-5-11");
    EXPECT_EQ(s.rights[5].mask, 0x1301bfu);
    EXPECT_TRUE(s.rights[6].inherit_only);
    EXPECT_TRUE(s.rights[6].inherited);
    EXPECT_EQ(s.rights[6].mask, 0x10000u | 0x20000000u | 0x40000000u | 0x80000000u);
    ASSERT_TRUE(read_sddl(PROTECTED_FOLDER_SDDL, &s));
    EXPECT_TRUE(s.protected_list);
}

TEST(FolderRights, PathsInsideAFolder) {
    EXPECT_TRUE(path_inside("C:\\Program Files\\Carnet", "c:\\program files\\"));
    EXPECT_TRUE(path_inside("C:\\Program Files\\", "C:\\Program Files"));
    EXPECT_FALSE(path_inside("C:\\Program Files (x86)\\Carnet", "C:\\Program Files"));
    EXPECT_FALSE(path_inside("C:\\Jeux", "C:\\Program Files"));
    EXPECT_FALSE(path_inside("C:\\Jeux", ""));
}

// Names from setup.ini that become paths: a folder, a shortcut, a program.
TEST(PathText, RelativeFilePaths) {
    for (const char* good : {"Carnet.exe", "bin\\Carnet.exe", "Aide\\Aide de Carnet.txt", "Carnet de notes"})
        EXPECT_TRUE(is_relative_file_path(good)) << good;
    for (const char* bad : {"", "..\\..\\Windows", "bin\\..\\..\\x.exe", ".", "C:\\Windows\\x.exe", "C:x.exe",
                            "\\Windows", "a\\\\b", "Carnet.exe:flux", "CON", "bin\\NUL.txt", "bin\\", "a/b",
                            "notes.", "Carnet "})
        EXPECT_FALSE(is_relative_file_path(bad)) << bad;
}

}  // namespace
