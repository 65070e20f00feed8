#include "runtime/path_text.h"

#include "runtime/text.h"

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

bool is_valid_file_name(std::string_view name) {
    if (name.empty() || name.back() == ' ' || name.back() == '.') return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            return false;
    std::string_view stem = name.substr(0, name.find('.'));
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (same_ignoring_ascii_case(stem, device)) return false;
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9' &&
        (same_ignoring_ascii_case(stem.substr(0, 3), "COM") || same_ignoring_ascii_case(stem.substr(0, 3), "LPT")))
        return false;
    return true;
}


bool is_relative_file_path(std::string_view path) {
    if (path.empty()) return false;
    for (size_t start = 0;;) {
        size_t end = path.find('\\', start);
        if (!is_valid_file_name(path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start)))
            return false;
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}
