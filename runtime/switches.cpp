#include "runtime/switches.h"

namespace {

template <typename Char>
bool blank(Char c) { return c == ' ' || c == '\t'; }

char ascii_upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// "/D=" or "-D=", the switch that runs to the end of the line.
bool is_folder_to_end(std::string_view rest) {
    return rest.size() >= 3 && (rest[0] == '/' || rest[0] == '-') && ascii_upper(rest[1]) == 'D' && rest[2] == '=';
}

Switch make_switch(const std::string& typed) {
    Switch s;
    s.typed = typed;
    if (typed.empty() || (typed[0] != '/' && typed[0] != '-')) return s;
    size_t equals = typed.find('=');
    std::string name = typed.substr(1, equals == std::string::npos ? std::string::npos : equals - 1);
    for (char& c : name) c = ascii_upper(c);
    s.name = name;
    if (equals != std::string::npos) {
        s.has_value = true;
        s.value = typed.substr(equals + 1);
    }
    return s;
}

template <typename Char>
std::basic_string_view<Char> parameters_of(std::basic_string_view<Char> command_line) {
    size_t i = 0, n = command_line.size();
    while (i < n && blank(command_line[i])) ++i;
    if (i < n && command_line[i] == '"') {
        size_t close = command_line.find('"', i + 1);
        i = close == std::basic_string_view<Char>::npos ? n : close + 1;
    }
    while (i < n && !blank(command_line[i])) ++i;
    while (i < n && blank(command_line[i])) ++i;
    return command_line.substr(i);
}

}  // namespace

std::string_view command_line_parameters(std::string_view command_line) { return parameters_of(command_line); }

std::wstring_view command_line_parameters(std::wstring_view command_line) { return parameters_of(command_line); }

std::vector<Switch> split_switches(std::string_view parameters) {
    std::vector<Switch> switches;
    size_t i = 0, n = parameters.size();
    for (;;) {
        while (i < n && blank(parameters[i])) ++i;
        if (i == n) break;
        if (is_folder_to_end(parameters.substr(i))) {
            size_t end = n;
            while (end > i && blank(parameters[end - 1])) --end;
            std::string typed;
            for (char c : parameters.substr(i, end - i))
                if (c != '"') typed += c;  // no file name holds a quote
            switches.push_back(make_switch(typed));
            break;
        }
        std::string typed;
        bool quoted = false;
        for (; i < n && (quoted || !blank(parameters[i])); ++i) {
            if (parameters[i] == '"') quoted = !quoted;
            else typed += parameters[i];
        }
        switches.push_back(make_switch(typed));
    }
    return switches;
}

std::string invalid_switch_text(const std::string& typed, const char* program, const char* undone_fr,
                                const char* undone_en) {
    // Option inconnue ou mal écrite : ... Rien n'a été ... ; ... donne la liste des options.
    return "Option inconnue ou mal \xC3\xA9" "crite : " + typed + "\nRien n'a \xC3\xA9t\xC3\xA9 " + undone_fr + ". " + program +
           " /? donne la liste des options.\n\nUnknown or malformed switch: " + typed + "\nNothing was " + undone_en +
           ". " + program + " /? lists the switches.";
}
