#include "runtime/settings.h"

#include <windows.h>

#include <vector>

#include "runtime/code_page.h"
#include "runtime/unicode.h"

namespace {

// The open settings file; its bytes live in the text reader.
HANDLE settings_file = INVALID_HANDLE_VALUE;

// The file's bytes, or false when it cannot be read whole.
bool read_whole_file(HANDLE h, std::vector<char>& bytes) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size) || size.QuadPart > 0x7FFFFFF0) return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!bytes.empty() && !ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) return false;
    bytes.resize(got);
    return true;
}

}  // namespace

int open_settings(const std::string& path) {
    close_settings();
    // The file stays open, readable by others but not writable, until it is
    // closed.
    HANDLE h = CreateFileW(file_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    std::vector<char> bytes;
    if (!read_whole_file(h, bytes)) {
        CloseHandle(h);
        return 0;
    }
    settings_file = h;
    // A settings file is Windows-1252, as the author's guide asks.
    return open_settings_text(windows1252_to_utf8(std::string_view(bytes.data(), bytes.size())));
}

void close_settings() {
    if (settings_file != INVALID_HANDLE_VALUE) CloseHandle(settings_file);
    settings_file = INVALID_HANDLE_VALUE;
    close_settings_text();
}
