// File and folder operations of the runtime.  Paths are UTF-8 texts,
// absolute or relative to the current directory, of any length.  Every
// operation reports failure through its result and shows nothing.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/line_split.h"

// delete_directory flags.
constexpr int DELETE_RECURSIVE = 1;
constexpr int DELETE_FORCE = 2;

// next_directory_entry results.
constexpr int ENTRY_NONE = 0;
constexpr int ENTRY_FILE = 1;
constexpr int ENTRY_FOLDER = 2;

// Size in bytes of the file at path; -1 when nothing exists there (also for
// ""), -2 when it is a folder.  One trailing "\" is ignored; "C:" and "C:\"
// give -2 for an existing drive and -1 otherwise.
int64_t file_size(const std::string& path);

// True for an existing file (not a folder) with the read-only attribute.
bool is_read_only_file(const std::string& path);

int create_directory(const std::string& path);                   // one level; non-zero on success
int copy_file(const std::string& source, const std::string& destination);  // overwrites; non-zero on success
// As copy_file; the copy then loses the download mark it took from its
// source (the ":Zone.Identifier" stream), nothing else of it changes.
int copy_file_without_download_mark(const std::string& source, const std::string& destination);
int delete_file(const std::string& path);                        // non-zero on success

// Deletes the entries of folder that match pattern ("" = "*.*"), descending
// into subfolders with DELETE_RECURSIVE and clearing read-only attributes with
// DELETE_FORCE, then removes the folder.  Non-zero when the folder itself was
// removed; 0 at once for "".
int delete_directory(const std::string& folder, const std::string& pattern, int flags);

// Open files, numbered by the program (-1 allocates an identifier, which is
// returned).  Each returns non-zero on success and makes the file current.
intptr_t read_file(int number, const std::string& path);    // existing file, reading
intptr_t open_file(int number, const std::string& path);    // reading and writing, created when missing, never truncated
intptr_t create_file(int number, const std::string& path);  // writing, truncated
void close_file(int number);

// These act on the current file, the one most recently opened.  A file
// read from its start holds Windows-1252 text, or UTF-8 text after a
// byte-order mark (code_page.h); read_line gives its lines as UTF-8.  The
// other operations read and write bytes.
std::string read_line();     // next line without its end (CR LF, LF, CR or NUL); "" at the end
std::string read_all();      // every byte from the start; the position is then the end
int end_of_file(int number); // -1 when no byte can be read at the file's position, else 0
int write_text(const std::string& text);  // bytes written
int write_line(const std::string& text);  // bytes written, CR LF included
void file_seek(int64_t position);
void truncate_file();        // the current file ends at its position
int64_t file_position();
int64_t file_length();       // -1 when no file is open

// Folder listings, numbered by the program (-1 allocates).  The listing most
// recently started or selected is current.
int examine_directory(int number, const std::string& folder, const std::string& pattern);
int next_directory_entry();            // ENTRY_FILE, ENTRY_FOLDER, or ENTRY_NONE (listing closed)
std::string directory_entry_name();
int64_t directory_entry_size();
uint32_t directory_entry_attributes(); // native attributes of the entry (reparse points and the like)
void select_directory(int number);

// The absolute form of a path ("." and ".." resolved, from the current
// folder when relative), letter case kept; "" when none can be formed.
std::string full_path(const std::string& path);

// A folder in one spelling for comparisons: absolute, no trailing "\"
// (except after a drive), ASCII letters small.
std::string comparable_path(const std::string& path);

// Closes every open file and listing; called when the runtime is released.
void release_files();
