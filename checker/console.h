// The console of the author's tools (the checker and the packer): what they
// say, one UTF-8 line at a time, as this system's console shows it.
#pragma once

#include <string>
#include <vector>

#include "checker/distribution.h"

// One line on standard output.
void say(const std::string& utf8);

// Each line, after `indent`.
void say_lines(const std::vector<std::string>& lines, const std::string& indent);

// The distribution folder named on the command line; false, said as an
// error, when it cannot be listed.
bool read_named_distribution(const std::string& folder, DistributionTree& tree);
