// setup.ini as the installer reads it: bytes, lines, groups, keys, values.
#include <algorithm>
#include <set>

#include "checker/checks.h"
#include "installer/settings_layout.h"
#include "installer/setup.h"
#include "runtime/code_page.h"
#include "runtime/settings.h"
#include "runtime/text.h"

namespace {

const char* const FILE_NAME = "setup.ini";

struct SettingsLine {
    int number;             // from 1
    std::string_view text;  // without its LF, and without a CR before it
};

// The lines as the settings reader cuts them: at LF only.
std::vector<SettingsLine> reader_lines(std::string_view text) {
    std::vector<SettingsLine> lines;
    int number = 1;
    for (size_t at = 0; at < text.size(); ++number) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back({number, line});
        at = end + 1;
    }
    return lines;
}

std::vector<std::string> group_names() {
    return {GROUP_INFORMATION, GROUP_OPTIONS, GROUP_TEXT_FR, GROUP_TEXT_EN};
}

std::vector<std::string> keys_of(const std::string& group) {
    std::vector<std::string> keys;
    for (int i = 0; i < SETTINGS_KEY_COUNT; ++i)
        if (group == SETTINGS_KEYS[i].group) keys.push_back(SETTINGS_KEYS[i].key);
    return keys;
}

// The group a key belongs to, "" when the installer reads no such key.
std::string group_of_key(std::string_view key) {
    for (int i = 0; i < SETTINGS_KEY_COUNT; ++i)
        if (same_ignoring_ascii_case(key, SETTINGS_KEYS[i].key)) return SETTINGS_KEYS[i].group;
    return "";
}

// The known name this one stands for, ignoring ASCII case; "" for none.
std::string known_name(std::string_view name, const std::vector<std::string>& known) {
    for (const std::string& k : known)
        if (same_ignoring_ascii_case(name, k)) return k;
    return "";
}

bool close_enough(size_t distance, std::string_view name) {
    return distance > 0 && distance <= std::max<size_t>(3, name.size() / 4);
}

// A valid UTF-8 sequence of two or more bytes starts at `at`.
bool utf8_sequence_at(std::string_view text, size_t at) {
    unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || at + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) return false;
    return true;
}

bool holds_utf8(std::string_view line) {
    for (size_t i = 0; i < line.size(); ++i)
        if (utf8_sequence_at(line, i)) return true;
    return false;
}

std::string trimmed(std::string_view text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return "";
    size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// Where the reading of the lines stands.
struct SettingsScan {
    CheckReport& report;
    SettingsLines& lines;
    std::string group = "";  // the known group the lines belong to, "" for none
    bool before_any_group = true;
    std::set<std::string> groups_seen = {};
    std::map<std::string, int> group_lines = {};
    std::map<std::string, int> key_lines = {};  // group + "]" + key to its first line
};

void error(SettingsScan& scan, int line, const std::string& message) {
    add_diagnostic(scan.report, FILE_NAME, line, SEVERITY_ERROR, message);
}

void warning(SettingsScan& scan, int line, const std::string& message) {
    add_diagnostic(scan.report, FILE_NAME, line, SEVERITY_WARNING, message);
}

// The part of the file the reader reads: up to the first NUL byte.
std::string_view check_bytes(SettingsScan& scan, std::string_view bytes) {
    size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos) {
        int line = 1 + static_cast<int>(std::count(bytes.begin(), bytes.begin() + nul, '\n'));
        error(scan, line, "a NUL byte: Setup stops reading setup.ini here, so nothing after it is read and every "
                    "setting after it takes its default; save the file as plain text");
        bytes = bytes.substr(0, nul);
    }
    if (bytes.substr(0, 3) == UTF8_MARK)
        error(scan, 1, "the file starts with a UTF-8 byte-order mark: the first line does not start with \"[\", so its "
                 "group is not found and its keys take their defaults; save setup.ini as Windows-1252 (ANSI), "
                 "without a byte-order mark");
    return bytes;
}

void check_encoding(SettingsScan& scan, const std::vector<SettingsLine>& lines) {
    int reported = 0;
    for (const SettingsLine& line : lines) {
        if (line.text.find('\r') != std::string_view::npos)
            error(scan, line.number, "a line end made of CR alone: Setup ends lines at LF only, so the lines joined here "
                               "are one line to it and every key after the first is lost; save the file with "
                               "CR LF (Windows) or LF line ends");
        if (holds_utf8(line.text) && reported++ < 10)
            error(scan, line.number, "UTF-8 text: Setup reads setup.ini as Windows-1252, so the user sees " +
                                   quoted(windows1252_to_utf8(line.text)) + "; save setup.ini as Windows-1252 (ANSI)");
    }
}

void check_header(SettingsScan& scan, const SettingsLine& line) {
    scan.before_any_group = false;
    scan.group.clear();
    size_t close = line.text.find(']');
    if (close == std::string_view::npos) {
        error(scan, line.number, "no \"]\" on this line: it is not a group header, and Setup reads what follows as part "
                           "of the group before; close the header with \"]\"");
        return;
    }
    std::string name(line.text.substr(1, close - 1));
    std::string known = known_name(name, group_names());
    if (!known.empty()) {
        if (!scan.groups_seen.insert(known).second) {
            warning(scan, line.number, "a second header of the group \"[" + known + "]\" (first on line " +
                                     std::to_string(scan.group_lines[known]) +
                                     "): Setup reads only the first, so the keys below this one are never read");
            return;
        }
        scan.group_lines[known] = line.number;
        scan.group = known;
        if (known == GROUP_TEXT_FR) scan.lines.text_fr = true;
        if (known == GROUP_TEXT_EN) scan.lines.text_en = true;
        return;
    }
    size_t distance = 0;
    std::string nearest = nearest_name(name, group_names(), &distance);
    if (!known_name(" " + name, group_names()).empty())
        error(scan, line.number, "\"[" + name + "]\" lacks the blank after \"[\": Setup looks for \"[" + nearest +
                               "]\", so every key of this group takes its default; write \"[" + nearest + "]\"");
    else if (close_enough(distance, name))
        error(scan, line.number, "Setup reads no group \"[" + name + "]\", so every key of it takes its default; did you "
                                                              "mean \"[" + nearest + "]\"?");
    else
        warning(scan, line.number, "Setup reads no group \"[" + name + "]\": its keys are ignored");
}

void check_key(SettingsScan& scan, const SettingsLine& line) {
    std::string text = trimmed(line.text);
    if (text.empty() || text[0] == ';') return;
    if (text[0] == '[') {
        warning(scan, line.number, "a blank before \"[\": this is not a group header, and Setup reads it as a line of "
                             "the group before; remove the blank");
        return;
    }
    size_t equals = text.find('=');
    if (equals == std::string::npos) {
        warning(scan, line.number, "neither a key (no \"=\") nor a comment (\";\"): Setup ignores this line");
        return;
    }
    std::string key = trimmed(std::string_view(text).substr(0, equals));
    if (scan.before_any_group) {
        warning(scan, line.number, "the key " + quoted(key) + " stands before any group: Setup never reads it; move it "
                             "into its group");
        return;
    }
    if (scan.group.empty()) return;  // reported with its group header
    std::vector<std::string> keys = keys_of(scan.group);
    std::string known = known_name(key, keys);
    if (known.empty() && scan.group != GROUP_TEXT_FR && scan.group != GROUP_TEXT_EN) {
        std::string home = group_of_key(key);
        if (!home.empty()) {
            error(scan, line.number, "the key " + quoted(key) + " belongs to the group \"[" + home + "]\": Setup does "
                               "not read it here, so it takes its default");
            return;
        }
    }
    if (known.empty()) {
        size_t distance = 0;
        std::string nearest = nearest_name(key, keys, &distance);
        if (close_enough(distance, key))
            error(scan, line.number, "Setup reads no key " + quoted(key) + " in \"[" + scan.group + "]\", so the setting "
                               "takes its default; did you mean " + quoted(nearest) + "?");
        else
            warning(scan, line.number, "Setup reads no key " + quoted(key) + " in \"[" + scan.group + "]\": it is ignored");
        return;
    }
    scan.lines.keys.emplace(known, line.number);
    auto [place, inserted] = scan.key_lines.emplace(scan.group + "]" + known, line.number);
    if (!inserted)
        warning(scan, line.number, "a second " + quoted(known) + " in its group (first on line " +
                                 std::to_string(place->second) + "): Setup reads only the first");
}

void check_values(SettingsScan& scan) {
    auto line_of = [&](const char* key) {
        auto found = scan.lines.keys.find(key);
        return found == scan.lines.keys.end() ? 0 : found->second;
    };
    if (setup.program_name.empty())
        error(scan, line_of(KEY_NAME), "no program name (\"Nom\" in \"[" + std::string(GROUP_INFORMATION) + "]\"): the "
                                 "proposed install folders are \"C:\\Program files\\\" and the application-data "
                                 "folder themselves, which Setup refuses, and the titles read \" - v\"");
    else if (!is_valid_file_name(setup.program_name))
        error(scan, line_of(KEY_NAME), "the program name " + quoted(setup.program_name) + " cannot be a folder name, and "
                                 "Setup makes folders of that name; leave out \\ / : * ? \" < > | and a final "
                                 "blank or dot");
    if (setup.program_version.empty())
        warning(scan, line_of(KEY_VERSION), "no version (\"Version\"): the window titles end with \" - v\"");
    if (line_of(KEY_COPY_SPLASH) && setup.copy_splash_file != 0 && setup.copy_splash_file != 1)
        warning(scan, line_of(KEY_COPY_SPLASH), "\"Copier le fichier Tarvo.exe\" is " + std::to_string(setup.copy_splash_file) +
                                              ": only exactly 1 copies Tarvo.exe");
    if (line_of(KEY_MULTILINGUAL) && setup.multilingual == 0 && read_setting_number(KEY_MULTILINGUAL, 0) != 0)
        warning(scan, line_of(KEY_MULTILINGUAL), "\"Programme multilangue\" counts by its lowest byte only, which is 0 "
                                           "here: no language window is shown; write 1 or 0");
    const char* fr_group = GROUP_TEXT_FR;
    if (!scan.lines.text_fr)
        warning(scan, 0, "no group \"[" + std::string(fr_group) + "]\": page 1 shows nine empty lines in French");
    if (setup.multilingual != 0 && !scan.lines.text_en)
        warning(scan, 0, "no group \"[" + std::string(GROUP_TEXT_EN) + "]\": page 1 shows nine empty lines in English");
}

// The encoding is checked on the file's bytes; the rest on its text as
// Setup reads it, Windows-1252 decoded once, which keeps every line end and
// NUL byte where it was.
void check_all(SettingsScan& scan, std::string_view bytes) {
    std::string_view read = check_bytes(scan, bytes);
    check_encoding(scan, reader_lines(read));
    std::string text = windows1252_to_utf8(read);
    for (const SettingsLine& line : reader_lines(text)) {
        if (!line.text.empty() && line.text[0] == '[') check_header(scan, line);
        else check_key(scan, line);
    }
    open_settings_text(windows1252_to_utf8(bytes));
    setup = SetupState{};
    read_settings_fields();
    check_values(scan);
    close_settings_text();
}

}  // namespace

void check_settings(std::string_view bytes, CheckReport& report, SettingsLines& lines) {
    lines = SettingsLines{};
    SettingsScan scan{report, lines};
    check_all(scan, bytes);
}
