// The rights the process runs with and those of files and folders, for the
// rule of runtime/folder_rights.h.
#pragma once

#include <string>

// Whether the process runs elevated, with an administrator's full rights.
bool process_elevated();
// Whether the user is an administrator whose rights Windows filters: asked
// for, elevation would give them more.
bool filtered_administrator();
// The SID of the account the process runs as ("S-1-5-21-..."), "" when it
// cannot be read.
std::string process_user_sid();

// The owner and rights list of a file or folder in SDDL, "" when they
// cannot be read.  A link is read, not what it leads to.
std::string security_text(const std::string& path);

// Makes one folder level with the protected rights list; non-zero on success.
int create_protected_directory(const std::string& path);
// Gives an existing folder the protected rights list and Administrators as
// its owner; what it holds then inherits from it.  False when refused.
bool protect_folder(const std::string& path);
