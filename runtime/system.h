// Starting other programs, the command line, pauses and the Windows version.
#pragma once

#include <cstdint>
#include <string>

constexpr int RUN_WAIT = 1;    // wait until the started process ends, servicing messages
constexpr int RUN_HIDDEN = 2;  // start it hidden

// Starts file through the shell's "Open" verb.  Non-zero on success (the
// process handle when one was created), 0 on failure.
intptr_t run_program(const std::string& file, const std::string& parameters,
                     const std::string& folder, int flags);
std::string next_program_parameter();  // "" when none is left
// The whole command line, and the path of the running program's own file.
std::string command_line();
std::string program_file();
bool set_current_folder(const std::string& folder);  // true when it is the current folder now
void delay(int milliseconds);
// Closes the process handles run_program kept; called by release_runtime.
void release_programs();
// Marks a run of the kit's installer or uninstaller for the whole computer,
// every session included, until this process ends.  False when another
// run already held the mark (this one holds it too from now on).
bool mark_kit_run();
// 10 Windows 95, 30 98, 40 ME, 5 NT 3.51, 20 NT 4.0, 50 2000, 60 XP, 100 anything else.
int windows_version();
