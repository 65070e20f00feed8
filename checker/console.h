// The console of the author's tools (the checker and the packer): what they
// say, one UTF-8 line at a time, as this system's console shows it.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "checker/distribution.h"
#include "checker/folder.h"

// One line on standard output.
void say(const std::string& utf8);

// Each line, after `indent`.
void say_lines(const std::vector<std::string>& lines, const std::string& indent);

// The distribution folder named on the command line; false, said as an
// error, when it cannot be listed.
bool read_named_distribution(const std::string& folder, DistributionTree& tree);

// A tool's main(): libraries from the system folder only, the command
// line's arguments (UTF-8) given to `parse`, and the usage on standard error
// with exit code 3 when it refuses them; else `run` on the options, with
// standard output taking its bytes as they are.
template <typename Options, typename Run>
int run_tool(int argc, char** argv, bool (*parse)(const std::vector<std::string>&, Options&), const char* usage,
             Run run) {
    search_system_folder_only_on_windows();
    Options o;
    if (!parse(command_arguments(argc, argv), o)) {
        std::fputs(usage, stderr);
        return 3;
    }
    set_binary_output();
    return run(o);
}
