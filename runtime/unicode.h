// Text where the runtime meets Windows.  Inside, the programs hold text as
// UTF-8; Windows takes and gives it as UTF-16 through its "W" functions, so
// that no text passes through the system's ANSI code page, which differs
// from one system language to another.
#pragma once

#include <string>
#include <string_view>

std::wstring wide(std::string_view text);
std::string narrow(std::wstring_view text);
std::string narrow(const wchar_t* text);  // "" for nullptr

// A path for the file functions: as given while it is short enough for
// them; beyond that, made absolute ("." and ".." resolved) and in the
// "\\?\" form, which has no length limit.
std::wstring file_path(std::string_view path);

// A text a system function writes into a buffer it is given the size of,
// returning the length written (or the size it needs when that is larger):
// `fill(buffer, size)` is called until the text fits.
template <typename Fill>
std::string system_text(Fill fill) {
    std::wstring buffer(260, L'\0');
    for (;;) {
        unsigned long length = fill(buffer.data(), static_cast<unsigned long>(buffer.size()));
        if (length == 0) return "";
        if (length < buffer.size()) return narrow(std::wstring_view(buffer.data(), length));
        buffer.assign(length + 1 > buffer.size() * 2 ? length + 1 : buffer.size() * 2, L'\0');
    }
}
