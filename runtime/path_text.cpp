#include "runtime/path_text.h"

namespace {

bool ascii_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::string with_backslash(const std::string& folder) {
    if (!folder.empty() && folder.back() != '\\') return folder + "\\";
    return folder;
}

bool is_absolute_path(const std::string& path) {
    if (path.rfind("\\\\", 0) == 0) return true;
    return path.size() >= 3 && ascii_letter(path[0]) && path[1] == ':' && path[2] == '\\';
}
