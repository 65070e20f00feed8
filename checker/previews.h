// What the kit's programs would do, worked out without doing it: the files
// Setup copies and the record it writes, and what Uninstall removes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "checker/distribution.h"
#include "installer/apps_entry.h"
#include "installer/copy_rules.h"
#include "installer/install_plan.h"

// The user's folders the previews assume.
struct UserFolders {
    std::string appdata;  // the application-data folder, with "\"
    ShellFolders shell;   // Start-menu programs and desktop
};

// A typical user's folders, for a preview made away from Windows.
UserFolders sample_user_folders();

struct LeftOut {
    std::string path;  // relative, "\" between names
    CopyRule rule;
};

struct InstallPreview {
    std::string install_dir;            // with "\"
    std::vector<std::string> copied;    // relative paths, in the order of the copy
    std::vector<LeftOut> left_out;
    int64_t total_size = 0;
    std::string size_line;              // the result page's disk-space line
    IntegrationPlan plan;
    std::string record;                 // the completed Uninstall.dat, byte for byte as Setup writes it
    bool apps_listed = false;           // "Applications et fonctionnalités" is not 0
    std::string apps_root;              // HKEY_LOCAL_MACHINE (all users) or HKEY_CURRENT_USER
    AppsEntry apps_entry;               // dated with INSTALL_DAY; empty when not listed
};

// The install date of the previewed entry: Setup writes the day it runs.
extern const char* const INSTALL_DAY;

// An installation of the tree with the settings in `setup` and the catalogue
// of the run's language loaded, into the proposed folder of the kind of use
// asked for, with the wizard's default options.  `template_bytes` is the
// distribution's Uninstall.dat ("" when it has none).
InstallPreview preview_installation(const DistributionTree& tree, std::string_view template_bytes,
                                    bool current_user, const UserFolders& folders);

// Why a file is left out, for the preview's listing.
std::string left_out_reason(CopyRule rule);

// The entry in Windows' list of programs, one line a value under the line
// of its key; a line saying why there is none when the settings leave the
// program out.
std::vector<std::string> apps_entry_lines(const InstallPreview& preview);

// What Uninstall.exe would do with the installation in `folder` (a full
// uninstall, started from its Start-menu shortcut), one line a step, in
// order.  False, with the reason in *lines, when there is no record.
bool preview_uninstall(const std::string& folder, std::vector<std::string>* lines);
