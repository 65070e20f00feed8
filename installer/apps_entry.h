// The installation's entry in Windows' list of installed programs (Settings
// > Apps, and the Control Panel's "Programs and Features"), where users
// look to remove a program and package managers find its version and its
// silent uninstall command.  Worked out from the installer's state alone:
// pure text work, no system calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "installer/setup.h"
#include "shell/apps_list.h"

struct AppsEntryValue {
    const char* name;
    bool number;       // REG_DWORD `dword`, else REG_SZ `text`
    std::string text;
    uint32_t dword = 0;
};

struct AppsEntry {
    std::string key;  // the entry's key name below APPS_ENTRIES_KEY
    std::vector<AppsEntryValue> values;
};

// The key name of the program's entry: the same for every version, so that
// an update rewrites the entry of the installation it updates.
std::string apps_entry_key(const std::string& program_name);

// The entry of the installation in state.install_dir (with its "\") made
// on `date` (YYYYMMDD) with `total_size` bytes installed.  The icon is the
// first shortcut's program, else the program run after installation, else
// the uninstaller.
AppsEntry plan_apps_entry(const SetupState& state, int64_t total_size, const std::string& date);
