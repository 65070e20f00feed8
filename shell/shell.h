// The installer's and the uninstaller's links to the Windows shell: special
// folders, the current folder and shortcut files.
#pragma once

#include <string>

// Shell folder identifiers (CSIDL numbers) the kit uses.
constexpr int FOLDER_PROGRAMS = 2;   // the user's Start-menu programs folder
constexpr int FOLDER_STARTUP = 7;    // the user's Startup folder
constexpr int FOLDER_DESKTOP = 16;   // the user's desktop folder
constexpr int FOLDER_APPDATA = 26;   // the user's application-data folder
// Every user's folders, where a run under the local system account puts
// what it would otherwise put in its own profile.
constexpr int FOLDER_COMMON_PROGRAMS = 23;  // CSIDL_COMMON_PROGRAMS
constexpr int FOLDER_COMMON_DESKTOP = 25;   // CSIDL_COMMON_DESKTOPDIRECTORY
// Added to an identifier: the shell creates the folder when it is missing
// (a user who deleted their Start-menu programs folder gets it back).
constexpr int FOLDER_CREATE = 0x8000;

// The folder's path ending with "\", or "" when the shell has no path for it.
std::string special_folder(int identifier);

// The current directory ending with "\".
std::string current_folder();

// Opens a folder window on folder, without waiting.
void show_folder(const std::string& folder);

// The Windows folder ending with "\".
std::string windows_folder();

// True when the process runs as the local system account, as deployment
// tools run installers: its own profile is one no person ever sees.
bool is_local_system();

// Starts a program without waiting, with the rights of the signed-in user
// even when this process runs elevated.
void start_with_user_rights(const std::string& file);

// Writes the shortcut file `link` pointing at `target`.  1 when the link was
// handed to the shell for saving, 0 when the shell link object or its file
// interface was not available.  The link's folder must exist.
int create_shortcut(const std::string& target, const std::string& link, const std::string& arguments,
                    const std::string& description, const std::string& working_folder, int show_command,
                    int hot_key, const std::string& icon_file, int icon_index);
