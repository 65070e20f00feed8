// Deleting without following links.  A program that may run elevated must
// not be turned, by a junction or symbolic link someone put into a folder it
// cleans up, or swapped in for one of its folders while it works, into
// deleting files elsewhere.
//
// Each path is taken below a base folder it belongs to (the install folder,
// a Start-menu folder, the desktop, the drive's root): every folder between
// the base and the file is checked not to be a link and held open, so that
// it cannot be renamed or swapped while the file, opened itself without
// following a link, is deleted through its own handle.  A link met on the way
// is removed as a link, never entered.
#pragma once

#include <string>

// Deletes the file `path`, which lies below `base` (a folder, with "\").  A
// file with more than one name is unlinked without touching its
// attributes; otherwise `force` clears a read-only attribute first.  1 when
// the file is gone (or was not there), 0 when it stays: in use, refused, a
// folder, or behind a link.
int delete_below(const std::string& base, const std::string& path, bool force);

// Removes the folder `path` below `base` when it is empty, or when it is a
// link (the link alone).  1 when it is gone, 0 when it stays.
int remove_folder_below(const std::string& base, const std::string& path);

// Whether `path` is a junction or symbolic link (a folder's or a file's).
bool is_link(const std::string& path);

// The base a path belongs to when it lies in none of the program's folders:
// its drive's root ("C:\") or network share ("\\server\share\").
std::string path_root(const std::string& path);

// Lets go of the folders held between deletions; called before a held
// folder itself is removed and when the runtime is released.
void release_held_folders();
