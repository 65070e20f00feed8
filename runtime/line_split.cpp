#include "runtime/line_split.h"

#include <algorithm>

LineScan scan_line(const char* bytes, size_t count) {
    size_t i = 0;
    while (i < count && bytes[i] != '\r' && bytes[i] != '\n' && bytes[i] != 0) ++i;
    if (i == count) return {i, false, false};
    return {i, true, bytes[i] == '\r'};
}

void append_line_part(std::string& line, const char* bytes, size_t count) {
    if (line.size() < LINE_LIMIT) line.append(bytes, std::min(count, LINE_LIMIT - line.size()));
}

size_t next_line(std::string_view text, size_t at, std::string* line) {
    line->clear();
    if (at >= text.size()) return text.size();
    LineScan scan = scan_line(text.data() + at, text.size() - at);
    append_line_part(*line, text.data() + at, scan.content);
    at += scan.content;
    if (!scan.ended) return at;
    ++at;
    if (scan.cr && at < text.size() && text[at] == '\n') ++at;
    return at;
}
