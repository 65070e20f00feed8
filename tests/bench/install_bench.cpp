// Measures a whole installation and uninstallation of a generated
// distribution of small files under Wine, beside a bare CopyFileA loop and a
// bare DeleteFileA loop over the same tree.  Run by hand through
// scripts/bench-install, which adds the host's cp -r and rm -rf.
//
//   install_bench.exe <number of files> <work folder>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/kit.h"
#include "runtime/path_text.h"
#include "uninstaller/uninstall.h"

namespace {

constexpr DWORD LIMIT = 600000;

double now_ms() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

void make_tree(const std::string& dist, int files) {
    std::string content(200, 'x');
    for (int i = 0; i < files; ++i) {
        char folder[32], name[32];
        std::snprintf(folder, sizeof folder, "d%03d\\", i / 100);
        std::snprintf(name, sizeof name, "f%05d.dat", i);
        if (i % 100 == 0) CreateDirectoryA((dist + folder).c_str(), nullptr);
        write_bytes(dist + folder + name, content);
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
double install(const Distribution& dist, const std::string& dir) {
    const SetupIni& ini = dist.ini();
    auto [setup, wizard] = dist.start_wizard();
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
    return done ? spent : -1;
}

// From "Désinstaller" to the closing note, in ms; -1 on failure.
double uninstall(const std::string& dir) {
    Program uninstaller = start_program(dir + "Uninstall.exe", dir, "");
    HWND window = wait_window(uninstaller, "D\xE9sinstallation", "", LIMIT);
    if (!window || !wait_control(window, CANCEL_BUTTON, LIMIT)) return -1;
    double start = now_ms();
    post_click(window, UNINSTALL_BUTTON);
    bool done = wait_until([&] { return exists(dir + "Terminer la d\xE9sinstallation.txt"); }, LIMIT);
    double spent = now_ms() - start;
    answer_message_box(uninstaller, LIMIT);
    wait_program_end(uninstaller, LIMIT);
    close_folder_windows();
    return done ? spent : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: install_bench.exe <files> <work folder>\n");
        return 2;
    }
    int files = std::atoi(argv[1]);
    std::string work = with_backslash(argv[2]);
    SetupIni ini;
    ini.name = "KitBench" + std::to_string(files);
    ini.run_after = "";
    Distribution dist(ini);
    dist.write("Uninstall.dat", "[Langue]\r\n--\r\n[Fichiers]\r\n");
    make_tree(dist.path(), files);
    std::string bare = work + "bare\\";
    std::string dir = work + "installed\\";
    delete_tree(bare);
    delete_tree(dir);

    double start = now_ms();
    copy_tree(dist.path(), bare);
    double bare_copy = now_ms() - start;
    double installed = install(dist, dir);
    double removed = uninstall(dir);
    start = now_ms();
    delete_tree(bare);
    double bare_delete = now_ms() - start;
    remove_shell_traces(ini.name, {});
    delete_tree(dir);

    std::printf("files %d\n", files);
    std::printf("  bare CopyFileA loop  %9.0f ms  %6.3f ms/file\n", bare_copy, bare_copy / files);
    std::printf("  Setup.exe install    %9.0f ms  %6.3f ms/file  (%.2fx)\n", installed, installed / files,
                installed / bare_copy);
    std::printf("  bare DeleteFileA loop%9.0f ms  %6.3f ms/file\n", bare_delete, bare_delete / files);
    std::printf("  Uninstall.exe        %9.0f ms  %6.3f ms/file  (%.2fx)\n", removed, removed / files,
                removed / bare_delete);
    return installed < 0 || removed < 0;
}
