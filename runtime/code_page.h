// Text between Windows-1252, the kit's own code page, and UTF-8.  Pure byte
// handling, no system calls.
#pragma once

#include <string>
#include <string_view>

// Windows-1252 bytes as UTF-8; bytes the code page leaves undefined keep
// their own code point, as Windows turns them.
std::string windows1252_to_utf8(std::string_view text);

// UTF-8 as Windows-1252; false (and *out unchanged) when the text is not
// valid UTF-8 or holds a character that code page does not have.
bool utf8_to_windows1252(std::string_view text, std::string* out);

// UTF-8 as Windows-1252 for showing, with "?" for what the code page lacks.
std::string utf8_to_windows1252_shown(std::string_view text);

// The bytes of the UTF-8 sequence that `lead` begins (1 for a byte that
// begins none).
inline size_t utf8_length(unsigned char lead) {
    return lead >= 0xF0 && lead < 0xF8 ? 4 : lead >= 0xE0 ? (lead < 0xF0 ? 3 : 1) : lead >= 0xC0 ? 2 : 1;
}

// Whether the text is UTF-8 (overlong forms, surrogates and code points
// beyond U+10FFFF are not).
bool is_utf8(std::string_view text);

// The files the programs write and read back (the record, the
// update-information file, the closing note) hold Windows-1252 bytes, as
// they always did, or, when a line holds a character that code page lacks
// (a name in Greek, in Japanese), UTF-8 after its byte-order mark.
inline constexpr char UTF8_MARK[] = "\xEF\xBB\xBF";

// A stored file's bytes as UTF-8: after the mark, the UTF-8 that follows
// (bytes that are not UTF-8 read as Windows-1252); else Windows-1252.
std::string decode_stored_text(std::string_view bytes);

// One line of such a file, as UTF-8: in a file of the UTF-8 form, a line
// that is not UTF-8 after all is read as Windows-1252, as it would be
// without the mark.
std::string decode_stored_line(std::string_view line, bool utf8_form);

// UTF-8 text as a file stores it: its Windows-1252 bytes when every
// character has one, else the mark and the text.
std::string encode_stored_text(std::string_view text);
