// Who may change a folder: the rule an elevated installer and uninstaller
// follow before they write into a folder, run what it holds or delete what
// its record lists.  Decided from security descriptors in SDDL, the text
// form Windows gives of them.  Pure text work, no system calls.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One entry of a rights list.
struct AccessEntry {
    bool allow = true;       // an allowing entry; denying ones take nothing away here
    bool inherit_only = false;
    bool inherited = false;
    uint32_t mask = 0;       // the access rights, generic ones as they stand
    std::string sid;         // "S-1-5-32-544", aliases turned into that form
};

struct SecurityText {
    std::string owner;              // "" when the descriptor names none
    bool has_rights_list = false;   // a rights list is there, and not the null one that lets everyone in
    bool protected_list = false;    // it inherits nothing from the folder above
    std::vector<AccessEntry> rights;
};

// Reads the owner and rights list of an SDDL text ("O:BAG:SYD:PAI(A;OICI;FA;;;SY)...").
// False when the text is not SDDL.
bool read_sddl(std::string_view sddl, SecurityText* out);

// The principals an elevated installation trusts with its folder:
// Administrators, SYSTEM, TrustedInstaller and the installing user.
bool trusted_principal(const std::string& sid, const std::string& user_sid);

// True when the descriptor has a trusted owner and gives no one else the
// right to write into, delete, or change the rights or owner of what it
// guards (now or, through inheritance, of what is made in it).  A descriptor
// that cannot be read, or has no rights list, lets anyone in.
bool only_trusted_can_change(std::string_view sddl, const std::string& user_sid);

// What an elevated installation does with an existing install folder.
enum FolderVerdict : int {
    FOLDER_ADMIN_ONLY,  // only trusted principals can change it: used as it is
    FOLDER_TAKE_OVER,   // others can, but all it holds is trusted: given the protected list first
    FOLDER_REFUSED,     // others can, and it holds what the installation must not trust
};

// One file or folder an install folder holds.
struct HeldEntry {
    std::string sddl;  // its owner at least
    bool link = false; // a junction or symbolic link
};

// An existing install folder: refused when it holds a link anywhere (the
// copy would write through it, wherever it leads); otherwise used as it is
// when only trusted principals can change it, taken over when everything it
// holds (its whole tree) is owned by trusted principals, refused when not.
// The folder's own owner does not count: a take-over makes Administrators
// its owner.  The entries' descriptors are read only when they count
// (`sddl` may be "" for a folder only trusted principals can change).
FolderVerdict judge_existing_folder(std::string_view folder_sddl, const std::vector<HeldEntry>& held,
                                    const std::string& user_sid);

// The rights list an elevated installation gives a folder it makes outside
// Program Files, or takes over: owned by Administrators, Administrators and
// SYSTEM in full control, Users reading and running, nothing inherited.
inline constexpr char PROTECTED_FOLDER_SDDL[] = "O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

// Whether `path` lies in `folder` or is it, both absolute, letters of any
// case, trailing "\" ignored.
bool path_inside(std::string_view path, std::string_view folder);
