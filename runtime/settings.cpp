#include "runtime/settings.h"

#include <windows.h>

#include <string_view>
#include <vector>

#include "runtime/settings_text.h"

namespace {

struct SettingsReader {
    HANDLE file = INVALID_HANDLE_VALUE;
    std::vector<char> text;  // the file's bytes followed by NUL bytes
    size_t group = NO_POSITION;
    char comment = ';';
};

SettingsReader reader;

std::string_view loaded_text() {
    if (reader.text.empty()) return {};
    return std::string_view(reader.text.data(), reader.text.size());
}

size_t find_key(const std::string& key) {
    if (reader.file == INVALID_HANDLE_VALUE) return NO_POSITION;
    return find_settings_key(loaded_text(), reader.group, key, reader.comment);
}

}  // namespace

int open_settings(const std::string& path) {
    close_settings();
    // The file stays open, readable by others but not writable, until it is
    // closed.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size) || size.QuadPart > 0x7FFFFFF0) {
        CloseHandle(h);
        return 0;
    }
    std::vector<char> text(static_cast<size_t>(size.QuadPart) + 2, '\0');
    DWORD got = 0;
    if (!ReadFile(h, text.data(), static_cast<DWORD>(size.QuadPart), &got, nullptr)) {
        CloseHandle(h);
        return 0;
    }
    text.resize(got + 1);  // what was read, then the NUL that ends the text
    reader.file = h;
    reader.text = std::move(text);
    reader.group = 0;
    return 1;
}

int select_settings_group(const std::string& name) {
    reader.group = NO_POSITION;
    if (reader.file == INVALID_HANDLE_VALUE) return 0;
    reader.group = find_settings_group(loaded_text(), name);
    return reader.group == NO_POSITION ? 0 : 1;
}

std::string read_setting_text(const std::string& key, const std::string& default_value) {
    size_t value = find_key(key);
    return value == NO_POSITION ? default_value : settings_value_text(loaded_text(), value);
}

int32_t read_setting_number(const std::string& key, int32_t default_value) {
    size_t value = find_key(key);
    return value == NO_POSITION ? default_value : settings_value_number(loaded_text(), value);
}

void close_settings() {
    if (reader.file != INVALID_HANDLE_VALUE) CloseHandle(reader.file);
    reader.file = INVALID_HANDLE_VALUE;
    reader.text.clear();
    reader.text.shrink_to_fit();
    reader.group = NO_POSITION;
}
