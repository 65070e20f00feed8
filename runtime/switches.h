// The switches of a command line, spelled as administrators type them for
// installers: "/NAME" or "-NAME", some with "=value", names in any letter
// case.  Pure text work, no system calls.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// What a run of the kit's installer or uninstaller shows.
enum RunDisplay : int {
    DISPLAY_WIZARD,       // no switch: every window, as always
    DISPLAY_SILENT,       // /SILENT: only the window that shows the work going on
    DISPLAY_VERY_SILENT,  // /VERYSILENT or /S: nothing at all
};

// One argument of a command line.
struct Switch {
    std::string name;        // without its "/" or "-", ASCII letters in capitals; "" for a plain argument
    std::string value;       // after the first "=", its quotes removed
    bool has_value = false;  // an "=" was there, even with nothing after it
    std::string typed;       // the whole argument as typed, quotes removed, for messages
};

// The parameters of a whole command line: what follows the program's own
// name (quoted or not) and the blanks after it.
std::string_view command_line_parameters(std::string_view command_line);
std::wstring_view command_line_parameters(std::wstring_view command_line);

// The arguments of a command line's parameters.  Blanks separate them; a
// double quote anywhere in an argument opens or closes a run in which
// blanks are kept, and is removed (so "/DIR=\"C:\Program Files\X\"" and
// "\"/DIR=C:\Program Files\X\"" are the same switch).  Backslashes are
// plain characters: a folder typed as "C:\Program Files\" keeps its last
// "\".  An argument "/D=" or "-D=" in any case takes the rest of the line
// as its value, blanks included and the trailing ones dropped: the folder
// given last and unquoted, as other installers take it.
std::vector<Switch> split_switches(std::string_view parameters);

// The refusal of an argument not understood, named as typed, in French and
// in English (the language is not chosen yet): `program` names itself in
// the advice to list its switches, `undone_fr` and `undone_en` say what was
// not done ("install\xC3\xA9" and "installed").
std::string invalid_switch_text(const std::string& typed, const char* program, const char* undone_fr,
                                const char* undone_en);
