// The log an administrator asks for on the command line (/LOG): what a run
// of the installer or the uninstaller did, for someone who saw nothing of
// it.  UTF-8 text with CR LF line ends, written line by line as the run
// goes, so that it also tells how far a run came that did not end.
#pragma once

#include <string>

// Creates (or empties) the log file, or with `append` adds to what it
// holds; false when it cannot be made.
bool open_run_log(const std::string& path, bool append = false);
// Lets another process write into the log meanwhile, and takes it back.
void suspend_run_log();
void resume_run_log();
std::string run_log_path();  // the open log's file, "" when none
// Appends one line of text; nothing when no log is open.
void run_log(const std::string& line);
// Appends a message box's title and text, as a wizard run shows it.
void run_log_message(const std::string& title, const std::string& text);
void close_run_log();

// A log file of its own in the user's temporary folder, named after the
// program and the time: "<temp>\<name> 2026-12-08 14-05-09.log".
std::string temporary_log_path(const std::string& name);
