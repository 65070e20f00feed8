#include "runtime/folder_rights.h"

#include "runtime/text.h"

namespace {

struct Alias {
    const char* name;
    const char* sid;
};

// The SID aliases of SDDL that a file's descriptor may hold.
const Alias SID_ALIASES[] = {
    {"BA", "S-1-5-32-544"}, {"SY", "S-1-5-18"},     {"BU", "S-1-5-32-545"}, {"WD", "S-1-1-0"},
    {"AU", "S-1-5-11"},     {"CO", "S-1-3-0"},      {"OW", "S-1-3-4"},      {"CG", "S-1-3-1"},
    {"IU", "S-1-5-4"},      {"NU", "S-1-5-2"},      {"AN", "S-1-5-7"},      {"NS", "S-1-5-20"},
    {"LS", "S-1-5-19"},     {"PU", "S-1-5-32-547"}, {"BG", "S-1-5-32-546"}, {"AC", "S-1-15-2-1"},
    {"SU", "S-1-5-6"},      {"BO", "S-1-5-32-551"}, {"SO", "S-1-5-32-549"}, {"RD", "S-1-5-32-555"},
};

constexpr char ADMINISTRATORS[] = "S-1-5-32-544";
constexpr char LOCAL_SYSTEM[] = "S-1-5-18";
constexpr char TRUSTED_INSTALLER[] = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
constexpr char CREATOR_OWNER[] = "S-1-3-0";
constexpr char OWNER_RIGHTS[] = "S-1-3-4";

struct Right {
    const char* code;
    uint32_t mask;
};

// The access-right codes of SDDL, generic, standard and those of files.
const Right RIGHT_CODES[] = {
    {"GA", 0x10000000}, {"GR", 0x80000000}, {"GW", 0x40000000}, {"GX", 0x20000000}, {"RC", 0x00020000},
    {"SD", 0x00010000}, {"WD", 0x00040000}, {"WO", 0x00080000}, {"FA", 0x001F01FF}, {"FR", 0x00120089},
    {"FW", 0x00120116}, {"FX", 0x001200A0}, {"CC", 0x00000001}, {"DC", 0x00000002}, {"LC", 0x00000004},
    {"SW", 0x00000008}, {"RP", 0x00000010}, {"WP", 0x00000020}, {"DT", 0x00000040}, {"LO", 0x00000080},
    {"CR", 0x00000100},
};

// Writing into, deleting, or changing the rights or owner: file data,
// appending (a folder's new subfolders), deleting children, deletion itself,
// and the generic rights that hold them.
constexpr uint32_t CHANGE_RIGHTS =
    0x00000002 | 0x00000004 | 0x00000040 | 0x00010000 | 0x00040000 | 0x00080000 | 0x40000000 | 0x10000000;

bool is_section_start(std::string_view s, size_t at) {
    return at + 1 < s.size() && s[at + 1] == ':' && std::string_view("OGDS").find(s[at]) != std::string_view::npos;
}

std::string canonical_sid(std::string_view text) {
    for (const Alias& alias : SID_ALIASES)
        if (text == alias.name) return alias.sid;
    return std::string(text);
}

bool read_hex(std::string_view text, uint32_t* value) {
    if (text.size() < 3 || text.size() > 10) return false;
    uint32_t v = 0;
    for (char c : text.substr(2)) {
        int digit = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (digit < 0) return false;
        v = v << 4 | static_cast<uint32_t>(digit);
    }
    *value = v;
    return true;
}

bool read_rights(std::string_view text, uint32_t* mask) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return read_hex(text, mask);
    if (text.size() % 2) return false;
    uint32_t m = 0;
    for (size_t i = 0; i < text.size(); i += 2) {
        bool known = false;
        for (const Right& right : RIGHT_CODES)
            if (text.substr(i, 2) == right.code) m |= right.mask, known = true;
        if (!known) return false;
    }
    *mask = m;
    return true;
}

// "(type;flags;rights;object;inherited object;account[;condition])"
bool read_entry(std::string_view text, AccessEntry* entry) {
    std::string_view field[6];
    size_t start = 0;
    for (int i = 0; i < 6; ++i) {
        size_t end = text.find(';', start);
        if (end == std::string_view::npos && i < 5) return false;
        field[i] = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        start = end == std::string_view::npos ? text.size() : end + 1;
    }
    std::string_view type = field[0];
    if (type == "A" || type == "OA") entry->allow = true;
    else if (type == "D" || type == "OD") entry->allow = false;
    else return false;
    if (field[1].size() % 2 || field[5].empty()) return false;
    for (size_t i = 0; i + 1 < field[1].size(); i += 2) {
        std::string_view flag = field[1].substr(i, 2);
        if (flag == "IO") entry->inherit_only = true;
        if (flag == "ID") entry->inherited = true;
    }
    entry->sid = canonical_sid(field[5]);
    return read_rights(field[2], &entry->mask);
}

// The rights list after "D:": its flags, then its entries.
bool read_rights_list(std::string_view text, SecurityText* out) {
    size_t i = 0;
    while (i < text.size() && text[i] != '(') ++i;
    std::string_view flags = text.substr(0, i);
    if (flags.find("NO_ACCESS_CONTROL") != std::string_view::npos) return true;  // the null list: everyone
    out->has_rights_list = true;
    out->protected_list = flags.find('P') != std::string_view::npos;
    while (i < text.size()) {
        if (text[i] != '(') return false;
        size_t close = text.find(')', i);
        if (close == std::string_view::npos) return false;
        AccessEntry entry;
        if (!read_entry(text.substr(i + 1, close - i - 1), &entry)) return false;
        out->rights.push_back(entry);
        i = close + 1;
    }
    return true;
}

bool owner_trusted(const SecurityText& s, const std::string& user_sid) { return trusted_principal(s.owner, user_sid); }

}  // namespace

bool read_sddl(std::string_view sddl, SecurityText* out) {
    *out = SecurityText{};
    size_t i = 0;
    while (i < sddl.size()) {
        if (!is_section_start(sddl, i)) return false;
        char section = sddl[i];
        size_t start = i + 2, end = start;
        int depth = 0;
        while (end < sddl.size() && (depth > 0 || !is_section_start(sddl, end))) {
            if (sddl[end] == '(') ++depth;
            if (sddl[end] == ')') --depth;
            ++end;
        }
        std::string_view body = sddl.substr(start, end - start);
        if (section == 'O') out->owner = canonical_sid(body);
        if (section == 'D' && !read_rights_list(body, out)) return false;
        i = end;
    }
    return true;
}

bool trusted_principal(const std::string& sid, const std::string& user_sid) {
    return sid == ADMINISTRATORS || sid == LOCAL_SYSTEM || sid == TRUSTED_INSTALLER || (!user_sid.empty() && sid == user_sid);
}

// Creator Owner and Owner Rights stand for the owner of the object, whose
// trust is judged as the owner's.
bool only_trusted_can_change(std::string_view sddl, const std::string& user_sid) {
    SecurityText s;
    if (!read_sddl(sddl, &s) || !s.has_rights_list || !owner_trusted(s, user_sid)) return false;
    for (const AccessEntry& e : s.rights) {
        if (!e.allow || !(e.mask & CHANGE_RIGHTS)) continue;
        if (e.sid == CREATOR_OWNER || e.sid == OWNER_RIGHTS) continue;
        if (!trusted_principal(e.sid, user_sid)) return false;
    }
    return true;
}

FolderVerdict judge_existing_folder(std::string_view folder_sddl, const std::vector<HeldEntry>& held,
                                    const std::string& user_sid) {
    for (const HeldEntry& entry : held)
        if (entry.link) return FOLDER_REFUSED;
    if (only_trusted_can_change(folder_sddl, user_sid)) return FOLDER_ADMIN_ONLY;
    for (const HeldEntry& entry : held) {
        SecurityText s;
        if (!read_sddl(entry.sddl, &s) || !owner_trusted(s, user_sid)) return FOLDER_REFUSED;
    }
    return FOLDER_TAKE_OVER;
}

bool path_inside(std::string_view path, std::string_view folder) {
    while (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    if (folder.empty() || path.size() < folder.size()) return false;
    if (!same_ignoring_ascii_case(path.substr(0, folder.size()), folder)) return false;
    return path.size() == folder.size() || path[folder.size()] == '\\';
}
