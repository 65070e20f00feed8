// What Uninstall.exe would do with an installed folder: the record's
// entries in order, then the clean-up of the folders, over a listing of the
// folder taken now.  Nothing is changed.
#include <algorithm>
#include <map>

#include "checker/folder.h"
#include "checker/previews.h"
#include "checker/report.h"
#include "runtime/line_split.h"
#include "runtime/text.h"
#include "uninstaller/folder_walk.h"
#include "uninstaller/record.h"
#include "uninstaller/uninstall.h"

namespace {

// Records are at most a few hundred kilobytes; this reads any sane one.
constexpr size_t RECORD_LIMIT = 64 << 20;

// The installation as a listing: folder (relative, with "\", "" for the
// install folder) to what it holds now.
struct Snapshot {
    std::string install_dir;  // as the record names it, with "\"
    std::map<std::string, std::vector<WalkEntry>> folders;
    std::vector<std::string> unlisted;  // relative folders with "\"
    std::vector<std::string>* lines;
};

std::string parent_of(const std::string& path) {
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

Snapshot take_snapshot(const DistributionTree& tree, const std::string& install_dir, std::vector<std::string>* lines) {
    Snapshot snapshot{install_dir, {}, {}, lines};
    snapshot.folders[""];
    for (const DistributionEntry& e : tree.entries) {
        snapshot.folders[parent_of(e.path)].push_back({entry_name(e.path), e.folder, e.link, e.size});
        if (e.folder && !e.link) snapshot.folders[e.path + "\\"];
    }
    for (const std::string& shown : tree.unlisted_folders) {
        std::string relative = shown;
        std::replace(relative.begin(), relative.end(), '/', '\\');
        snapshot.unlisted.push_back(relative + "\\");
    }
    return snapshot;
}

// The path relative to the install folder, or false when it lies outside.
bool inside(const Snapshot& s, const std::string& path, std::string* relative) {
    if (path.size() < s.install_dir.size() ||
        !same_ignoring_ascii_case(std::string_view(path).substr(0, s.install_dir.size()), s.install_dir))
        return false;
    *relative = path.substr(s.install_dir.size());
    return true;
}

// Removes a file from the listing; false when it is not there.
bool remove_file(Snapshot& s, const std::string& relative) {
    auto folder = s.folders.find(parent_of(relative));
    if (folder == s.folders.end()) return false;
    std::string name = entry_name(relative);
    auto& entries = folder->second;
    auto found = std::find_if(entries.begin(), entries.end(), [&](const WalkEntry& e) {
        return !e.folder && same_ignoring_ascii_case(e.name, name);
    });
    if (found == entries.end()) return false;
    entries.erase(found);
    return true;
}

bool list_snapshot(void* context, const std::string& folder, int, std::vector<WalkEntry>& entries) {
    Snapshot& s = *static_cast<Snapshot*>(context);
    std::string relative;
    if (!inside(s, folder, &relative)) return false;
    if (std::find(s.unlisted.begin(), s.unlisted.end(), relative) != s.unlisted.end()) return false;
    auto found = s.folders.find(relative);
    if (found == s.folders.end()) return false;
    entries = found->second;
    return true;
}

void report_unlisted(void* context, const std::string& folder) {
    Snapshot& s = *static_cast<Snapshot*>(context);
    s.lines->push_back("Show the message " + quoted(U(FOLDER_NOT_OPENED)) + ": " + folder + " cannot be listed");
}

// clear_folder: the files left in a folder without data are empty ones;
// they go, then the folder.
void clear_snapshot_folder(void* context, const std::string& folder) {
    Snapshot& s = *static_cast<Snapshot*>(context);
    std::string relative;
    inside(s, folder, &relative);
    auto& entries = s.folders[relative];
    for (auto e = entries.begin(); e != entries.end();) {
        if (e->folder) {
            ++e;
            continue;
        }
        s.lines->push_back("Delete the empty file " + folder + e->name);
        e = entries.erase(e);
    }
    if (!entries.empty() || relative.empty()) {
        if (relative.empty() && entries.empty()) s.lines->push_back("Remove the install folder " + folder);
        return;
    }
    s.folders.erase(relative);
    s.lines->push_back("Remove the folder " + folder);
    std::string parent = parent_of(relative.substr(0, relative.size() - 1));
    auto& siblings = s.folders[parent];
    std::string name = entry_name(relative.substr(0, relative.size() - 1));
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                  [&](const WalkEntry& e) { return e.folder && e.name == name; }),
                   siblings.end());
}

const FolderWalkOps SNAPSHOT_WALK = {list_snapshot, report_unlisted, clear_snapshot_folder};

// The install folder as the record names it: the installer records its own
// copy of Uninstall.dat among the installed files.
std::string recorded_install_dir(const std::vector<RecordEntry>& entries) {
    for (const RecordEntry& e : entries)
        if (e.section == SECTION_FILES && e.text.size() > 14 &&
            same_ignoring_ascii_case(std::string_view(e.text).substr(e.text.size() - 14), "\\Uninstall.dat"))
            return e.text.substr(0, e.text.size() - 13);
    return "";
}

// "." and ".." of an absolute path resolved, as the system would before
// the uninstaller compares the Start-menu folder's shape.
std::string resolved(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (parts.size() > 1) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string result;
    for (const std::string& part : parts) result += part + "\\";
    return result;
}

void act_on(Snapshot& s, const RecordEntry& e, std::string* menu) {
    std::vector<std::string>& out = *s.lines;
    std::string relative;
    switch (e.section) {
    case SECTION_RUN: {
        std::string run = "Run, hidden, and wait for: " + string_field(e.text, 1, "&");
        std::string parameters = string_field(e.text, 2, "&");
        if (!parameters.empty()) {
            run += ' ';
            run += parameters;
        }
        out.push_back(run);
        break;
    }
    case SECTION_PROGRAM:
        out.push_back("Ask the window titled " + quoted(e.text) + " to close, without waiting");
        break;
    case SECTION_REGISTRY: {
        std::string root = string_field(e.text, 1, "\\");
        bool known = root == "HKEY_CLASSES_ROOT" || root == "HKEY_CURRENT_USER" || root == "HKEY_LOCAL_MACHINE" ||
                     root == "HKEY_USERS";
        out.push_back(known ? "Delete the registry key " + e.text + " in both registry views (a key that has "
                              "subkeys stays)"
                            : "Leave " + quoted(e.text) + " alone: not under a registry root the uninstaller knows");
        break;
    }
    case SECTION_STARTUP:
        out.push_back("Delete the Startup shortcut " + e.text + ".lnk");
        break;
    case SECTION_PROGRAM_FOLDER:
    case SECTION_OTHER:
    case SECTION_FILES: {
        std::string path = e.section == SECTION_PROGRAM_FOLDER ? s.install_dir + e.text : e.text;
        if (!inside(s, path, &relative)) {
            out.push_back("Delete " + path + " (outside the install folder)");
        } else if (same_ignoring_ascii_case(relative, "Uninstall.exe")) {
            out.push_back("Keep " + path + ": it is the uninstaller, running");
        } else if (remove_file(s, relative)) {
            out.push_back("Delete " + path);
        } else {
            out.push_back("Delete " + path + ": it is not there now");
        }
        break;
    }
    case SECTION_MENU:
        *menu = e.text;
        break;
    case SECTION_NONE:
        break;
    }
}

// Why each folder that stays, stays: the files with bytes and the links in
// it (folders that hold only folders that stay are left unsaid).
void report_kept_folders(const Snapshot& s) {
    for (const auto& [relative, entries] : s.folders) {
        std::string held;
        int shown = 0;
        for (const WalkEntry& e : entries) {
            if (e.folder && !e.link) continue;
            if (shown++ == 3) {
                held += ", ...";
                break;
            }
            held += (held.empty() ? "" : ", ") + e.name +
                    (e.link ? " (a link)" : " (" + std::to_string(e.size) + " bytes)");
        }
        if (!held.empty()) s.lines->push_back("Keep the folder " + s.install_dir + relative + ": it holds " + held);
    }
}

}  // namespace

bool preview_uninstall(const std::string& folder, std::vector<std::string>* lines) {
    std::string bytes;
    bool whole = false;
    if (!read_file_bytes(native_path(folder, "Uninstall.dat"), RECORD_LIMIT, &bytes, &whole)) {
        lines->push_back("There is no readable Uninstall.dat in " + folder + ": Uninstall.exe ends at once and "
                         "removes nothing");
        return false;
    }
    std::string line;
    next_line(bytes, next_line(bytes, 0, &line), &line);
    load_uninstall_text(line == "FR");
    std::vector<RecordEntry> entries = record_entries(bytes, false);
    std::string install_dir = recorded_install_dir(entries);
    if (install_dir.empty()) {
        lines->push_back("The record lists no installed Uninstall.dat, so the install folder's recorded name is "
                         "unknown: the paths below are taken as they stand");
        install_dir = "?\\";
    }
    DistributionTree tree;
    read_distribution(folder, 1000000, tree);
    Snapshot s = take_snapshot(tree, install_dir, lines);
    std::string menu;
    for (const RecordEntry& e : entries) act_on(s, e, &menu);
    remove_file(s, "Uninstall.dat");
    lines->push_back("Delete " + install_dir + "Uninstall.dat");
    remove_empty_tree(install_dir, 0, SNAPSHOT_WALK, &s);
    report_kept_folders(s);
    if (!menu.empty()) {
        if (is_program_menu_path(resolved(menu)))
            lines->push_back("Clear the Start-menu folder " + menu + ": its files, then the folder when nothing "
                             "else is left in it");
        else
            lines->push_back("Leave " + quoted(menu) + " alone: not a Start-menu folder the installer makes");
    }
    lines->push_back("Remove the Start-menu folder \"Tarvo\" when what is left in it holds 100 bytes at most "
                     "(the web link)");
    lines->push_back("Write " + quoted(U(CLOSING_NOTE_NAME)) + " in " + install_dir +
                     ", open that folder in a window, and show the message " + quoted(U(CLOSING_NOTE)));
    return true;
}
