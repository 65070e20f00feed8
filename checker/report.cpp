#include "checker/report.h"

#include <algorithm>
#include <cstdio>

#include "runtime/text.h"

namespace {

size_t edit_distance(std::string_view a, std::string_view b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t above = row[j];
            size_t change = ascii_lower(a[i - 1]) == ascii_lower(b[j - 1]) ? 0 : 1;
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + change});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

void add_diagnostic(CheckReport& report, const std::string& file, int line, Severity severity,
                    const std::string& message) {
    report.diagnostics.push_back({file, line, severity, message});
}

std::string diagnostic_text(const Diagnostic& d) {
    std::string text = d.file;
    if (d.line > 0) {
        text += ':';
        text += std::to_string(d.line);
    }
    text += d.severity == SEVERITY_ERROR ? ": error: " : ": warning: ";
    return text + d.message;
}

int check_exit_code(const CheckReport& report) {
    int code = 0;
    for (const Diagnostic& d : report.diagnostics) code = std::max(code, static_cast<int>(d.severity));
    return code;
}

std::string nearest_name(std::string_view name, const std::vector<std::string>& known, size_t* distance) {
    std::string best;
    size_t best_distance = static_cast<size_t>(-1);
    // Names longer than any the kit reads are not worth a full comparison.
    std::string_view head = name.substr(0, 200);
    for (const std::string& candidate : known) {
        size_t d = edit_distance(head, candidate);
        if (d < best_distance) best = candidate, best_distance = d;
    }
    if (distance) *distance = best_distance;
    return best;
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

