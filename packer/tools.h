// The packer's contact with its system: where the self-extracting program
// comes from, starting the signing tool, and the files it writes, named in
// UTF-8.  tools_posix.cpp serves the host, tools_win32.cpp the Windows
// console program.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// The self-extracting program's bytes: from `path` when one is given;
// otherwise, on Windows, the copy built into the packer, and on the host
// TarvoStub.exe beside tarvo-pack or in the build's bin folder.
bool load_stub(const std::string& path, std::string* bytes, std::string* error);

// Runs a program found on the PATH with these arguments and waits for it;
// its exit code, or -1 when it could not be started.
int run_tool(const std::vector<std::string>& arguments);

// std::fopen for a UTF-8 path; mode "rb" or "wb".
std::FILE* open_file(const std::string& path, const char* mode);

// Deletes a file; false when it fails.
bool remove_file(const std::string& path);
