// What the checker finds: diagnostics in the form editors and build
// systems read ("setup.ini:3: error: ..."), and the exit code they give.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum Severity : int {
    SEVERITY_WARNING = 1,  // works, but not as the author most likely means
    SEVERITY_ERROR = 2,    // the user's installation or uninstallation goes wrong
};

struct Diagnostic {
    std::string file;  // relative to the folder checked, "/" between names
    int line;          // from 1; 0 for the file as a whole
    Severity severity;
    std::string message;  // UTF-8, as every text of the kit
};

struct CheckReport {
    std::vector<Diagnostic> diagnostics;
};

void add_diagnostic(CheckReport& report, const std::string& file, int line, Severity severity,
                    const std::string& message);

// "file:line: error: message" (no line number for a whole file).
std::string diagnostic_text(const Diagnostic& diagnostic);

// 0 when nothing was found, 1 with warnings only, 2 with an error.
int check_exit_code(const CheckReport& report);

// Of the known names, the one that needs the fewest single-byte edits to
// become `name` (ASCII letters compared without regard to case), with that
// number of edits in *distance; "" when `known` is empty.
std::string nearest_name(std::string_view name, const std::vector<std::string>& known, size_t* distance);

// A text of the author's, quoted for a message: control bytes as \xNN so
// that a message stays on one line.
std::string quoted(std::string_view text);


