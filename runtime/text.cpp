#include "runtime/text.h"

#include <algorithm>

namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_ignoring_ascii_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    return true;
}

std::vector<std::string> split_program_parameters(const std::string& command_line) {
    std::vector<std::string> tokens;
    size_t i = 0, n = command_line.size();
    for (;;) {
        while (i < n && blank(command_line[i])) ++i;
        if (i == n) break;
        std::string token;
        if (command_line[i] == '"') {
            size_t close = command_line.find('"', i + 1);
            if (close == std::string::npos) close = n;
            token = command_line.substr(i + 1, close - i - 1);
            i = close < n ? close + 1 : n;
        } else {
            size_t end = i;
            while (end < n && !blank(command_line[end])) ++end;
            token = command_line.substr(i, end - i);
            i = end;
        }
        tokens.push_back(token);
    }
    if (!tokens.empty()) tokens.erase(tokens.begin());  // the program's own name
    return tokens;
}

std::string string_field(const std::string& text, int index, const std::string& separator) {
    if (index < 1) return "";
    if (separator.empty()) return index == 1 ? text : "";
    char sep = separator[0];
    size_t start = 0;
    for (int field = 1; field < index; ++field) {
        size_t at = text.find(sep, start);
        if (at == std::string::npos) return "";
        start = at + 1;
    }
    size_t end = text.find(sep, start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string remove_string(const std::string& text, const std::string& part, int mode) {
    if (part.empty()) return text;
    auto same = [&](size_t at) {
        for (size_t k = 0; k < part.size(); ++k) {
            char a = text[at + k], b = part[k];
            if (mode & REMOVE_IGNORE_CASE ? ascii_lower(a) != ascii_lower(b) : a != b) return false;
        }
        return true;
    };
    std::string result;
    size_t i = 0;
    while (i < text.size()) {
        if (i + part.size() <= text.size() && same(i)) {
            i += part.size();
        } else {
            result += text[i++];
        }
    }
    return result;
}

void sort_array(std::vector<std::string>& array, int options, int first, int last) {
    if (first < 0 || last >= static_cast<int>(array.size()) || first >= last) return;
    bool ignore_case = options & SORT_IGNORE_CASE;
    std::sort(array.begin() + first, array.begin() + last + 1,
              [ignore_case](const std::string& a, const std::string& b) {
                  size_t n = std::min(a.size(), b.size());
                  for (size_t i = 0; i < n; ++i) {
                      unsigned char x = ignore_case ? ascii_lower(a[i]) : a[i];
                      unsigned char y = ignore_case ? ascii_lower(b[i]) : b[i];
                      if (x != y) return x < y;
                  }
                  return a.size() < b.size();
              });
}
