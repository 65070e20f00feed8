// Lines of Uninstall.dat: blank removal, the nine section headers and the
// entries the uninstaller acts on.
#include "uninstaller/record.h"

#include "runtime/code_page.h"
#include "runtime/line_split.h"
#include "runtime/text.h"

// Compared byte for byte and case-sensitively.
const RecordHeader RECORD_HEADERS[] = {
    {"[Langue]", SECTION_NONE},
    {"[Lancer]", SECTION_RUN},
    {"[Programme]", SECTION_PROGRAM},
    {"[Registre]", SECTION_REGISTRY},
    // [Démarrage]
    {"[D\xC3\xA9marrage]", SECTION_STARTUP},
    {"[Dossier du programme]", SECTION_PROGRAM_FOLDER},
    {"[Autre]", SECTION_OTHER},
    {"[Fichiers]", SECTION_FILES},
    {"[Menu]", SECTION_MENU},
};
const int RECORD_HEADER_COUNT = sizeof RECORD_HEADERS / sizeof RECORD_HEADERS[0];

std::string strip_blanks(const std::string& line) {
    size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    size_t last = line.find_last_not_of(' ');
    return line.substr(first, last - first + 1);
}

bool record_header(const std::string& line, RecordSection* section) {
    for (const RecordHeader& header : RECORD_HEADERS) {
        if (line == header.text) {
            *section = header.section;
            return true;
        }
    }
    return false;
}

// An update keeps registry keys, Startup shortcuts and the data files of
// the program folder and elsewhere; it removes what the installer put there.
bool acts_in_update_mode(RecordSection section) {
    switch (section) {
    case SECTION_RUN: return true;
    case SECTION_PROGRAM: return true;
    case SECTION_FILES: return true;
    case SECTION_MENU: return true;
    default: return false;
    }
}

bool next_record_entry(RecordReader& reader, const std::string& line, std::string* entry) {
    *entry = strip_blanks(line);
    if (record_header(*entry, &reader.section)) return false;
    if (entry->empty() || reader.section == SECTION_NONE) return false;
    if (reader.update_mode && !acts_in_update_mode(reader.section)) return false;
    return true;
}

std::vector<RecordEntry> record_entries(std::string_view bytes, bool update_mode) {
    std::vector<RecordEntry> entries;
    RecordReader reader;
    reader.update_mode = update_mode;
    bool utf8_form = bytes.substr(0, 3) == UTF8_MARK;
    if (utf8_form) bytes.remove_prefix(3);
    std::string line, entry;
    size_t at = 0;
    do {
        at = next_line(bytes, at, &line);
        if (next_record_entry(reader, decode_stored_line(line, utf8_form), &entry))
            entries.push_back({reader.section, entry});
    } while (at < bytes.size());
    return entries;
}

bool is_program_menu_path(const std::string& full) {
    std::string path = full;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    size_t name_start = path.rfind('\\');
    if (name_start == std::string::npos || name_start + 1 >= path.size()) return false;
    std::string parent = path.substr(0, name_start);
    size_t parent_start = parent.rfind('\\');
    if (parent_start == std::string::npos) return false;
    return same_ignoring_ascii_case(std::string_view(parent).substr(parent_start + 1), "Tarvo");
}
