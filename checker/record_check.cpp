// The Uninstall.dat template as the installer completes it and the
// uninstaller reads it.
#include <algorithm>

#include "checker/checks.h"
#include "installer/setup.h"
#include "runtime/code_page.h"
#include "runtime/line_split.h"
#include "runtime/path_text.h"
#include "runtime/text.h"
#include "uninstaller/record.h"

namespace {

const char* const FILE_NAME = "Uninstall.dat";

const char* const REGISTRY_ROOTS[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS"};

std::vector<std::string> header_names() {
    std::vector<std::string> names;
    for (int i = 0; i < RECORD_HEADER_COUNT; ++i) names.push_back(RECORD_HEADERS[i].text);
    return names;
}

std::string section_header(RecordSection section) {
    for (int i = 0; i < RECORD_HEADER_COUNT; ++i)
        if (RECORD_HEADERS[i].section == section) return RECORD_HEADERS[i].text;
    return "";
}

bool looks_like_header(const std::string& line) {
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

bool holds_high_bytes_as_utf8(const std::string& line) {
    return std::any_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) &&
           is_utf8(line);
}

size_t characters(std::string_view text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// The bytes of the first `count` characters of UTF-8 text.
size_t leading_bytes(std::string_view text, size_t count) {
    size_t at = 0;
    for (; count > 0 && at < text.size(); --count) at += utf8_length(static_cast<unsigned char>(text[at]));
    return std::min(at, text.size());
}

std::vector<std::string> lines_of(std::string_view text) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t at = 0; at < text.size();) {
        at = next_line(text, at, &line);
        lines.push_back(line);
    }
    return lines;
}

// What becomes of the files Setup appends when the template's last header
// opens this section rather than "[Fichiers]".
std::string appended_files_fate(RecordSection section) {
    switch (section) {
    case SECTION_RUN:
        return "the uninstaller opens each of them, hidden, and waits for it to end instead of deleting it";
    case SECTION_PROGRAM: return "the uninstaller takes each for the title of a window to close and deletes none";
    case SECTION_REGISTRY:
        return "the uninstaller takes each for a registry key under no root it knows and deletes none";
    case SECTION_STARTUP: return "the uninstaller takes each for the name of a Startup shortcut and deletes none";
    case SECTION_PROGRAM_FOLDER:
        return "the uninstaller takes each full path inside the install folder and deletes none";
    case SECTION_OTHER:
        return "a full uninstallation deletes them, but an update keeps them, and the files a new version no "
               "longer installs stay behind";
    case SECTION_MENU: return "the uninstaller takes each for the Start-menu folder and deletes none";
    default: return "the uninstaller ignores them and deletes none";
    }
}

// The line of the last header, known or not, line 2 aside; 0 for none.
int last_header_line(const std::vector<std::string>& lines) {
    for (size_t i = lines.size(); i-- > 0;)
        if (i != 1 && looks_like_header(strip_blanks(lines[i]))) return static_cast<int>(i + 1);
    return 0;
}

struct RecordScan {
    CheckReport& report;
    const DistributionTree& tree;
    RecordSection section = SECTION_NONE;
    bool any_header = false;
    int appending_header = 0;  // the line of the header the installed files fall under; -1: said on line 2
    bool utf8_form = false;    // the file starts with a UTF-8 byte-order mark
    bool read_as_utf8 = false; // and is UTF-8 after it, so Setup reads it as UTF-8
};

void error(RecordScan& scan, int line, const std::string& message) {
    add_diagnostic(scan.report, FILE_NAME, line, SEVERITY_ERROR, message);
}

void warning(RecordScan& scan, int line, const std::string& message) {
    add_diagnostic(scan.report, FILE_NAME, line, SEVERITY_WARNING, message);
}

// Line 2 holds the two-letter placeholder that Setup overwrites with "FR"
// or "EN", which the uninstaller reads to choose its language.
void check_language_lines(RecordScan& scan, const std::vector<std::string>& lines) {
    if (lines.empty() || lines[0] != "[Langue]")
        warning(scan, 1, "the first line is not \"[Langue]\": the record should start with \"[Langue]\" and a "
                         "line of two characters that Setup replaces with the language code");
    if (lines.size() < 2) {
        error(scan, 1, "no second line: Setup writes the language code \"FR\" or \"EN\" where line 2 should "
                       "start, which here is the end of line 1; add a line \"--\" after \"[Langue]\"");
        return;
    }
    const std::string& second = lines[1];
    if (characters(second) != 2 || looks_like_header(strip_blanks(second)))
        error(scan, 2, "Setup writes the language code over the first two characters of this line, turning " +
                           quoted(second) + " into " + quoted("FR" + second.substr(leading_bytes(second, 2))) +
                           "; line 2 should hold two characters only, such as \"--\"");
}

void check_entry(RecordScan& scan, int number, const std::string& entry) {
    switch (scan.section) {
    case SECTION_NONE:
        warning(scan, number, (scan.any_header ? "an entry under \"[Langue]\"" : "an entry before any header") +
                                  std::string(": the uninstaller ignores it"));
        break;
    case SECTION_RUN: {
        std::string program = string_field(entry, 1, "&");
        if (!is_absolute_path(program) && installed_file(scan.tree, program).empty())
            warning(scan, number, "the program " + quoted(program) + " is not a file the installation installs: "
                                  "the uninstaller starts it from the install folder, where it will not be");
        break;
    }
    case SECTION_REGISTRY: {
        std::string root = string_field(entry, 1, "\\");
        bool known = std::any_of(std::begin(REGISTRY_ROOTS), std::end(REGISTRY_ROOTS),
                                 [&](const char* r) { return root == r; });
        if (!known)
            error(scan, number, "the uninstaller deletes keys only under HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, "
                                "HKEY_LOCAL_MACHINE or HKEY_USERS, written in full and in capitals; " +
                                    quoted(root) + " is none of them, so the key stays");
        else if (entry.size() <= root.size() + 1)
            error(scan, number, "a registry root without a key: the uninstaller deletes nothing here");
        break;
    }
    case SECTION_PROGRAM_FOLDER:
        if (is_absolute_path(entry))
            warning(scan, number, "an entry of \"[Dossier du programme]\" names a file inside the install folder, "
                                  "relative to it; this full path is taken inside the install folder and deletes "
                                  "nothing");
        break;
    case SECTION_MENU:
        warning(scan, number, "Setup appends its own \"[Menu]\" line; the last one counts, so this one is "
                              "replaced");
        break;
    default:
        break;
    }
}

// UTF-8 text in a template read as Windows-1252: its bytes read as other
// characters, a header or a name no longer what the author wrote.
void check_misread_utf8(RecordScan& scan, int number, const std::string& raw, const std::string& text) {
    if (!holds_high_bytes_as_utf8(raw)) return;
    if (scan.utf8_form)
        error(scan, number, "UTF-8 text in a file that is not UTF-8 throughout: Setup reads such a template as "
                            "Windows-1252, byte-order mark or not, and reads " + quoted(text) + "; save "
                            "Uninstall.dat as UTF-8 throughout");
    else
        error(scan, number, "UTF-8 text without a byte-order mark: Setup and the uninstaller read such a file as "
                            "Windows-1252, and read " + quoted(text) + "; save Uninstall.dat as Windows-1252 "
                            "(ANSI) or as UTF-8 with a byte-order mark");
}

// `raw`: the line's bytes; `text`: the line as Setup and the uninstaller
// read it.
void check_line(RecordScan& scan, int number, const std::string& raw, const std::string& text) {
    if (raw.size() >= LINE_LIMIT)
        error(scan, number, "a line of " + std::to_string(raw.size()) + " bytes or more: the uninstaller reads "
                            "its first 63,999 bytes only");
    if (!scan.read_as_utf8) check_misread_utf8(scan, number, raw, text);
    std::string line = strip_blanks(text);
    if (line.empty()) return;
    RecordSection section = scan.section;
    bool last = number == scan.appending_header;
    if (record_header(line, &section)) {
        scan.section = section;
        scan.any_header = true;
        if (last && section != SECTION_FILES)
            error(scan, number, "the last header is " + quoted(line) + ", so Setup appends the installed files "
                                "and shortcuts under it: " + appended_files_fate(section) + "; " +
                                (section == SECTION_MENU ? "remove it, as Setup appends its own, and " : "") +
                                "end the template with \"[Fichiers]\"");
        else if (section == SECTION_MENU)
            warning(scan, number, "Setup appends its own \"[Menu]\" section; remove this one");
        return;
    }
    if (looks_like_header(line)) {
        size_t distance = 0;
        std::string nearest = nearest_name(line, header_names(), &distance);
        std::string before = scan.any_header ? section_header(scan.section) : "no section";
        bool appended = last && scan.section != SECTION_FILES;
        error(scan, number, "the uninstaller knows no header " + quoted(line) + ": it reads this line and the "
                            "entries below it" + (appended ? ", the files Setup appends included," : "") +
                            " as entries of " + (scan.any_header ? quoted(before) : before) + "; did you mean " +
                            quoted(nearest) + "?");
        return;
    }
    check_entry(scan, number, line);
}

}  // namespace

// A template is Windows-1252, or UTF-8 after its byte-order mark, as Setup
// reads it; decoding keeps every line end where it was, so the lines of the
// bytes and of the text match one for one.
void check_record_template(std::string_view bytes, const DistributionTree& tree, CheckReport& report) {
    RecordScan scan{report, tree};
    scan.utf8_form = bytes.substr(0, 3) == UTF8_MARK;
    std::string_view body = scan.utf8_form ? bytes.substr(3) : bytes;
    scan.read_as_utf8 = scan.utf8_form && is_utf8(body);
    std::vector<std::string> raw_lines = lines_of(body);
    std::vector<std::string> lines = lines_of(decode_stored_text(bytes));
    if (bytes.find('\0') != std::string_view::npos)
        warning(scan, 0, "NUL bytes: the uninstaller takes each as a line end; save the file as plain text");
    check_language_lines(scan, lines);
    // A header on line 2 is broken by the language code and said there,
    // whatever it meant for the installed files.
    scan.appending_header = last_header_line(lines);
    if (scan.appending_header < 2 && lines.size() > 1 && looks_like_header(strip_blanks(lines[1])))
        scan.appending_header = -1;
    // Line 2 is the placeholder, never an entry.
    for (size_t i = 0; i < lines.size(); ++i)
        if (i != 1) check_line(scan, static_cast<int>(i + 1), raw_lines[i], lines[i]);
    if (scan.appending_header == 0)
        error(scan, 0, "no section header: Setup appends the installed files and shortcuts outside any section, "
                       "where " + appended_files_fate(SECTION_NONE) + "; end the template with \"[Fichiers]\"");
}
