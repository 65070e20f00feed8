// Reading Uninstall.dat: its sections, the lines that are entries, and what
// an update keeps.  Pure text work, no system calls.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The kind of the current section of Uninstall.dat.
enum RecordSection : int {
    SECTION_NONE = -1,           // before any header, and "[Langue]"
    SECTION_RUN = 0,             // "[Lancer]": program & parameters, run hidden and waited for
    SECTION_PROGRAM = 1,         // "[Programme]": title of a window to close
    SECTION_REGISTRY = 2,        // "[Registre]": root\key to delete
    SECTION_STARTUP = 3,         // "[Démarrage]": Startup shortcut name without ".lnk"
    SECTION_PROGRAM_FOLDER = 4,  // "[Dossier du programme]": file relative to the install directory
    SECTION_OTHER = 5,           // "[Autre]": full path of a file
    SECTION_FILES = 6,           // "[Fichiers]": full path of a file
    SECTION_MENU = 7,            // "[Menu]": the Start-menu folder, cleared at the end
};

// One header of the record: its exact line and the section it opens.
struct RecordHeader {
    const char* text;
    RecordSection section;
};

// The nine headers, in the order of the sections above ("[Langue]" first).
extern const RecordHeader RECORD_HEADERS[];
extern const int RECORD_HEADER_COUNT;

std::string strip_blanks(const std::string& line);         // leading and trailing 0x20 bytes only
bool record_header(const std::string& line, RecordSection* section);  // true for one of the nine headers
bool acts_in_update_mode(RecordSection section);            // kept sections are skipped in an update

// Where the reading of a record stands: the section of the lines read so far.
struct RecordReader {
    RecordSection section = SECTION_NONE;
    bool update_mode = false;
};

// Takes the next line of the record as read_line gives it.  True when the
// line is an entry to act on; *entry then holds it without its blanks.
// Headers switch the section; empty lines, lines before the first header
// or under "[Langue]", and in an update the entries of kept sections, are
// passed over.
bool next_record_entry(RecordReader& reader, const std::string& line, std::string* entry);

// One entry of a whole record, with its section.
struct RecordEntry {
    RecordSection section;
    std::string text;
    bool operator==(const RecordEntry&) const = default;
};

// Every entry the uninstaller acts on, in file order, for a record of these
// bytes (Windows-1252, or UTF-8 after its mark), as UTF-8.  A record is read
// line by line until its end; an empty record still gives one (empty) line.
std::vector<RecordEntry> record_entries(std::string_view bytes, bool update_mode);

// The installer records its Start-menu folder as ...\Tarvo\<name>\; true
// when the absolute path `full` has that shape (the "Tarvo" in any ASCII
// case, trailing "\" ignored).
bool is_program_menu_path(const std::string& full);
