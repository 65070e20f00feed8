// One step of the installation benchmark at a time, so that scripts/bench-
// install can let the disk finish writing before each timed step (under
// Wine a copy or a deletion takes as long again while the disk still
// writes what the step before made).  The timed steps print their time in
// milliseconds.
//
//   install_bench.exe prepare <work folder> <number of files>
//       writes the distribution (dist\): the kit's programs, setup.ini, the
//       record template and the files, of 1 to 8 KiB, 50 to a folder
//   install_bench.exe bare-copy <work folder>    dist\ into bare\, a bare CopyFileA loop
//   install_bench.exe install <work folder>      dist\ into installed\ through Setup's wizard,
//                                                from "Installer" to the completed record
//   install_bench.exe uninstall <work folder>    installed\ through Uninstall.exe, from
//                                                "Désinstaller" to the closing note
//   install_bench.exe silent-install <work folder>
//                                                dist\ into installed\ by "Setup.exe /VERYSILENT",
//                                                from its start to its end
//   install_bench.exe silent-uninstall <work folder>
//                                                installed\ by "Uninstall.exe /VERYSILENT", from
//                                                its start to its end (the folder gone)
//   install_bench.exe bare-delete <work folder>  bare\, a bare DeleteFileA loop
//   install_bench.exe clean <work folder>        removes what the timed steps made
//   install_bench.exe snapshot <work folder>     dist\ installed into installed\ and uninstalled
//                                                again, untimed; writes into snapshot\ what each
//                                                left (log, record, trees, Start-menu folder),
//                                                for comparing two builds byte for byte
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/kit.h"
#include "runtime/path_text.h"
#include "uninstaller/uninstall.h"

namespace {

constexpr DWORD LIMIT = 600000;
constexpr int FILES_PER_FOLDER = 50;
const char* const PROGRAM_NAME = "KitBench";

double now_ms() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

SetupIni bench_ini() {
    SetupIni ini;
    ini.name = PROGRAM_NAME;
    ini.run_after = "";
    return ini;
}

bool prepare(const std::string& dist, int files) {
    CreateDirectoryA(dist.c_str(), nullptr);
    for (const char* program : {"Setup.exe", "Uninstall.exe"})
        if (!CopyFileA((program_folder() + program).c_str(), (dist + program).c_str(), FALSE)) return false;
    write_bytes(dist + "setup.ini", bench_ini().text());
    write_bytes(dist + "Uninstall.dat", "[Langue]\r\n--\r\n[Fichiers]\r\n");
    for (int i = 0; i < files; ++i) {
        char folder[32], name[32];
        std::snprintf(folder, sizeof folder, "d%04d\\", i / FILES_PER_FOLDER);
        std::snprintf(name, sizeof name, "f%05d.dat", i);
        if (i % FILES_PER_FOLDER == 0) CreateDirectoryA((dist + folder).c_str(), nullptr);
        write_bytes(dist + folder + name, std::string(1024 * (1 + i % 8), 'x'));
    }
    return true;
}

// The bare CopyFileA loop.  Its files are new, as Setup's are, and it asks
// for no overwriting: under Wine that is the fastest copy there is.
void bare_copy(const std::string& from, const std::string& to) {
    CreateDirectoryA(to.c_str(), nullptr);
    for (const TreeEntry& entry : list_tree(from)) {
        if (entry.is_folder())
            CreateDirectoryA((to + entry.path).c_str(), nullptr);
        else
            CopyFileA((from + entry.path).c_str(), (to + entry.path).c_str(), TRUE);
    }
}

// The bare DeleteFileA loop: a folder's files go before the folder.
void delete_tree(const std::string& folder) {
    std::vector<TreeEntry> entries = list_tree(folder);
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (entry->is_folder())
            RemoveDirectoryA((folder + entry->path).c_str());
        else
            DeleteFileA((folder + entry->path).c_str());
    }
    RemoveDirectoryA(folder.c_str());
}

// From "Installer" to the completed record, in ms; -1 on failure.
double install(const std::string& dist, const std::string& dir) {
    SetupIni ini = bench_ini();
    Program setup = start_program(dist + "Setup.exe", dist, "");
    HWND wizard = setup.started() ? wait_wizard(setup, ini) : nullptr;
    if (!wizard) return -1;
    click_control(wizard, CONSENT_BOX);
    click_tab(wizard, PAGES, OPTIONS_PAGE);
    type_text(wizard, DIRECTORY_FIELD, dir);
    double start = now_ms();
    post_click(wizard, INSTALL_BUTTON);
    bool done = wait_until([&] { return record_complete(dir, ini.name); }, LIMIT);
    double spent = now_ms() - start;
    HWND result = find_window(setup.id(), ini.title(), "");
    if (result) click_control(result, FINISH_BUTTON);
    wait_program_end(setup, LIMIT);
    close_folder_windows();
    return done ? spent : -1;
}

// From "Désinstaller" to the closing note, in ms; -1 on failure.
double uninstall(const std::string& dir) {
    Program uninstaller = start_program(dir + "Uninstall.exe", dir, "");
    HWND window = wait_window(uninstaller, "D\xE9sinstallation", "", LIMIT);
    if (!window || !wait_control(window, CANCEL_BUTTON, LIMIT)) return -1;
    double start = now_ms();
    post_click(window, UNINSTALL_BUTTON);
    // Looked for every 50 ms only: under Wine each look for a name not yet
    // there reads the whole install folder, beside the uninstaller at work.
    std::string note = dir + "Terminer la d\xE9sinstallation.txt";
    bool done = false;
    while (!(done = exists(note)) && now_ms() - start < LIMIT) Sleep(50);
    double spent = now_ms() - start;
    answer_message_box(uninstaller, LIMIT);
    wait_program_end(uninstaller, LIMIT);
    close_folder_windows();
    return done ? spent : -1;
}

// A program started and waited for, in ms from its start to its end; -1
// when it failed.
double run_to_end(const std::string& program, const std::string& folder, const std::string& parameters) {
    double start = now_ms();
    Program run = start_program(program, folder, parameters);
    long long code = run.started() ? wait_program_end(run, LIMIT) : -1;
    double spent = now_ms() - start;
    return code == 0 ? spent : -1;
}

// One line per entry of a tree: its path and size, and for a file, with
// `source`, whether its bytes are those of the same path there.
std::string tree_text(const std::string& folder, const std::string& source) {
    std::string text;
    for (const TreeEntry& entry : list_tree(folder)) {
        text += entry.path + "|" + std::to_string(entry.size);
        if (!source.empty() && !entry.is_folder())
            text += read_bytes(folder + entry.path) == read_bytes(source + entry.path) ? "|same" : "|changed";
        text += "\r\n";
    }
    return text;
}

// The Start-menu folder: its tree, each shortcut's target and folder, and
// the bytes of its other files.
std::string menu_text(const std::string& menu) {
    std::string text = tree_text(menu, "");
    for (const TreeEntry& entry : list_tree(menu)) {
        if (entry.is_folder()) continue;
        if (entry.path.size() > 4 && entry.path.compare(entry.path.size() - 4, 4, ".lnk") == 0) {
            ShortcutValues link = read_shortcut(menu + entry.path);
            text += entry.path + " -> " + link.target + " in " + link.working_folder + "\r\n";
        } else {
            text += entry.path + ":\r\n" + read_bytes(menu + entry.path) + "\r\n";
        }
    }
    return text;
}

// Installs and uninstalls as the timed steps do and writes into `out` what
// each left; false when a step failed.
bool snapshot(const std::string& dist, const std::string& dir, const std::string& out) {
    SetupIni ini = bench_ini();
    CreateDirectoryA(out.c_str(), nullptr);
    Program setup = start_program(dist + "Setup.exe", dist, "");
    HWND wizard = setup.started() ? wait_wizard(setup, ini) : nullptr;
    if (!wizard) return false;
    press_install(wizard, dir);
    HWND result = wait_installed(setup, ini, dir, LIMIT);
    if (!result) return false;
    std::string log;
    for (const std::string& line : list_lines(result, LOG_LIST)) log += line + "\r\n";
    write_bytes(out + "log.txt", log);
    write_bytes(out + "Uninstall.dat", read_bytes(dir + "Uninstall.dat"));
    write_bytes(out + "installed.txt", tree_text(dir, dist));
    std::string menu = start_menu_folder(ini.name);
    write_bytes(out + "menu.txt", menu_text(menu));
    click_control(result, FINISH_BUTTON);
    wait_program_end(setup, LIMIT);
    // Under Wine a folder cannot be removed while a window shows it.
    close_folder_window(ini.name, LIMIT);
    if (uninstall(dir) < 0) return false;
    write_bytes(out + "uninstalled.txt", tree_text(dir, "") + "menu folder " + (exists(menu) ? "kept" : "gone") + "\r\n");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: install_bench.exe prepare|bare-copy|install|uninstall|silent-install|silent-uninstall|"
                    "bare-delete|clean|snapshot"
                    " <work folder> [files]\n");
        return 2;
    }
    std::string step = argv[1];
    std::string work = with_backslash(argv[2]);
    std::string dist = work + "dist\\", bare = work + "bare\\", dir = work + "installed\\";
    double start = now_ms();
    double spent = -1;
    if (step == "prepare") {
        return argc > 3 && prepare(dist, std::atoi(argv[3])) ? 0 : 1;
    } else if (step == "bare-copy") {
        bare_copy(dist, bare);
        spent = now_ms() - start;
    } else if (step == "install") {
        spent = install(dist, dir);
    } else if (step == "uninstall") {
        spent = uninstall(dir);
    } else if (step == "silent-install") {
        spent = run_to_end(dist + "Setup.exe", dist, "/VERYSILENT /DIR=" + in_quotes(dir));
    } else if (step == "silent-uninstall") {
        spent = run_to_end(dir + "Uninstall.exe", dist, "/VERYSILENT");
    } else if (step == "bare-delete") {
        delete_tree(bare);
        spent = now_ms() - start;
    } else if (step == "snapshot") {
        return snapshot(dist, dir, work + "snapshot\\") ? 0 : 1;
    } else if (step == "clean") {
        remove_shell_traces(PROGRAM_NAME, {});
        for (const std::string& folder : {bare, dir}) delete_tree(folder);
        return 0;
    } else {
        return 2;
    }
    std::printf("%.0f\n", spent);
    return spent < 0;
}
