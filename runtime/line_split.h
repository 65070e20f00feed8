// How text files are cut into lines: the rules of read_line, over bytes in
// memory.  Pure byte handling, no system calls.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Longest line read_line returns: the runtime's 64000-byte text work area,
// less its terminating NUL.
constexpr size_t LINE_LIMIT = 63999;

// What the bytes at hand hold of the current line.
struct LineScan {
    size_t content;  // bytes of the line before its end, or all of them when it has none here
    bool ended;      // a line end (CR, LF or NUL) follows the content
    bool cr;         // that end is a CR: an LF right after it belongs to the same end
};

// Scans bytes[0..count) for the end of the current line.
LineScan scan_line(const char* bytes, size_t count);

// Adds a piece of the current line, keeping only its first LINE_LIMIT bytes;
// the rest of an overlong line is dropped up to its end.
void append_line_part(std::string& line, const char* bytes, size_t count);

// The line that starts at offset `at` of text, as read_line gives it (CR LF,
// LF, CR or NUL ends it), into *line.  Returns the offset of the next line;
// text.size() once the text is used up.
size_t next_line(std::string_view text, size_t at, std::string* line);
