// Paths as texts: the shapes the programs tell apart without asking the
// system.  Pure byte handling, no system calls.
#pragma once

#include <string>

// folder with one "\" at its end ("" stays "").
std::string with_backslash(const std::string& folder);

// A path that names the same place from any current folder: "X:\..." or a
// network path "\\...".  "C:name" and "\name" depend on the current drive or
// folder and are not absolute.
bool is_absolute_path(const std::string& path);
