// Lines of Uninstall.dat: blank removal and the nine section headers.
#include "uninstaller/uninstall.h"

namespace {

struct Header {
    const char* text;
    RecordSection section;
};

// Compared byte for byte and case-sensitively; "é" is byte 0xE9.
const Header HEADERS[] = {
    {"[Langue]", SECTION_NONE},
    {"[Lancer]", SECTION_RUN},
    {"[Programme]", SECTION_PROGRAM},
    {"[Registre]", SECTION_REGISTRY},
    {"[Démarrage]", SECTION_STARTUP},
    {"[Dossier du programme]", SECTION_PROGRAM_FOLDER},
    {"[Autre]", SECTION_OTHER},
    {"[Fichiers]", SECTION_FILES},
    {"[Menu]", SECTION_MENU},
};

}  // namespace

std::string strip_blanks(const std::string& line) {
    size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    size_t last = line.find_last_not_of(' ');
    return line.substr(first, last - first + 1);
}

bool record_header(const std::string& line, RecordSection* section) {
    for (const Header& header : HEADERS) {
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
