#include "runtime/settings_text.h"

#include <limits>

#include "runtime/settings.h"
#include "runtime/text.h"

namespace {

size_t line_end(std::string_view text, size_t at) {
    size_t lf = text.find('\n', at);
    return lf == std::string_view::npos ? text.size() : lf;
}

size_t next_line(std::string_view text, size_t at) {
    size_t end = line_end(text, at);
    return end < text.size() ? end + 1 : text.size();
}

// The text up to its first NUL: the reader stores a NUL after the file's
// bytes and stops there, wherever it comes.
std::string_view until_nul(std::string_view text) {
    size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

}  // namespace

size_t find_settings_group(std::string_view text, std::string_view name) {
    text = until_nul(text);
    for (size_t line = 0; line < text.size(); line = next_line(text, line)) {
        if (text[line] != '[') continue;
        size_t end = line_end(text, line);
        // Searched within the line only, so that lookups stay linear in a
        // long file of lines without "]" or "=".
        size_t close = text.substr(line, end - line).find(']');
        if (close == std::string_view::npos) continue;
        close += line;
        if (close != line + name.size() + 1) continue;
        if (same_ignoring_ascii_case(text.substr(line + 1, name.size()), name)) return next_line(text, line);
    }
    return NO_POSITION;
}

size_t find_settings_key(std::string_view text, size_t group, std::string_view key, char comment) {
    text = until_nul(text);
    if (group == NO_POSITION || key.empty()) return NO_POSITION;
    for (size_t line = group; line < text.size(); line = next_line(text, line)) {
        if (text[line] == '[') return NO_POSITION;
        size_t end = line_end(text, line);
        size_t at = line;
        while (at < end && text[at] == ' ') ++at;
        if (at < end && text[at] == comment) continue;
        size_t equals = text.substr(at, end - at).find('=');
        if (equals == std::string_view::npos) continue;
        equals += at;
        size_t key_end = equals;
        while (key_end > at && text[key_end - 1] == ' ') --key_end;
        if (same_ignoring_ascii_case(text.substr(at, key_end - at), key)) return equals + 1;
    }
    return NO_POSITION;
}

std::string settings_value_text(std::string_view text, size_t value) {
    text = until_nul(text);
    if (value == NO_POSITION || value > text.size()) return "";
    while (value < text.size() && text[value] == ' ') ++value;
    size_t end = value;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    return std::string(text.substr(value, end - value));
}

int32_t settings_value_number(std::string_view text, size_t value) {
    std::string v = settings_value_text(text, value);
    size_t i = 0;
    // White space before the number, but never past the line's end: an empty
    // value reads as 0, not as a number on the next line.
    while (i < v.size() && (v[i] == ' ' || v[i] == '\t' || v[i] == '\v' || v[i] == '\f')) ++i;
    bool negative = false;
    if (i < v.size() && (v[i] == '+' || v[i] == '-')) negative = v[i++] == '-';
    int64_t n = 0;
    constexpr int64_t limit = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) {
        n = n * 10 + (v[i] - '0');
        if (n > limit) n = limit;  // values beyond 32 bits saturate
    }
    if (negative) n = -n;
    if (n > std::numeric_limits<int32_t>::max()) n = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(n);
}

namespace {

// The loaded settings text and the group lookups start from.
struct SettingsReader {
    bool loaded = false;
    std::string text;
    size_t group = NO_POSITION;
    char comment = ';';
};

SettingsReader reader;

size_t find_key(const std::string& key) {
    if (!reader.loaded) return NO_POSITION;
    return find_settings_key(reader.text, reader.group, key, reader.comment);
}

}  // namespace

// Keys above the first group are readable until a group is selected.
int open_settings_text(std::string_view bytes) {
    reader.text.assign(bytes);
    reader.loaded = true;
    reader.group = 0;
    return 1;
}

int select_settings_group(const std::string& name) {
    reader.group = NO_POSITION;
    if (!reader.loaded) return 0;
    reader.group = find_settings_group(reader.text, name);
    return reader.group == NO_POSITION ? 0 : 1;
}

std::string read_setting_text(const std::string& key, const std::string& default_value) {
    size_t value = find_key(key);
    return value == NO_POSITION ? default_value : settings_value_text(reader.text, value);
}

int32_t read_setting_number(const std::string& key, int32_t default_value) {
    size_t value = find_key(key);
    return value == NO_POSITION ? default_value : settings_value_number(reader.text, value);
}

void close_settings_text() {
    reader = SettingsReader{};
}
