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
