// The packer's contact with its system: where the self-extracting program
// comes from, and starting the signing tool.  tools_posix.cpp serves the
// host, tools_win32.cpp the Windows console program.
#pragma once

#include <string>
#include <vector>

// The self-extracting program's bytes: from `path` when one is given;
// otherwise, on Windows, the copy built into the packer, and on the host
// TarvoStub.exe beside tarvo-pack or in the build's bin folder.
bool load_stub(const std::string& path, std::string* bytes, std::string* error);

// Runs a program found on the PATH with these arguments and waits for it;
// its exit code, or -1 when it could not be started.
int run_tool(const std::vector<std::string>& arguments);

// Renames over an existing file; false when it fails.
bool replace_file(const std::string& from, const std::string& to);
