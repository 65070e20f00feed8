#include "checker/console.h"

#include "checker/folder.h"

namespace {

// More entries than any distribution holds; the tree says when it is cut.
constexpr size_t ENTRY_LIMIT = 1000000;

}  // namespace

void say(const std::string& utf8) { write_output_line(utf8); }

void say_lines(const std::vector<std::string>& lines, const std::string& indent) {
    for (const std::string& line : lines) say(indent + line);
}

bool read_named_distribution(const std::string& folder, DistributionTree& tree) {
    if (read_distribution(folder, ENTRY_LIMIT, tree)) return true;
    say(folder + ": error: cannot be listed; give the distribution folder");
    return false;
}
