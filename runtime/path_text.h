// Paths as texts: the shapes the programs tell apart without asking the
// system.  Pure byte handling, no system calls.
#pragma once

#include <string>
#include <string_view>

// folder with one "\" at its end ("" stays "").
std::string with_backslash(const std::string& folder);

// A path that names the same place from any current folder: "X:\..." or a
// network path "\\...".  "C:name" and "\name" depend on the current drive or
// folder and are not absolute.
bool is_absolute_path(const std::string& path);

// A name a file can have on Windows: not empty, no control character, none
// of \ / : * ? " < > |, not ending in a blank or a dot, not a device name
// (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1 to COM9, LPT1 to LPT9, with any
// extension).
bool is_valid_file_name(std::string_view name);

// A path below a folder, as a setting may name a file in it: names each
// valid (is_valid_file_name, so neither "." nor "..") joined by "\"; no drive,
// no leading "\", no ":" stream.
bool is_relative_file_path(std::string_view path);
