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

#include "tests/e2e/driver.h"
#include "tests/e2e/kit.h"

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

void copy_tree(const std::string& from, const std::string& to) {
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((from + "*.*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            copy_tree(from + name + "\\", to + name + "\\");
        else
            CopyFileA((from + name).c_str(), (to + name).c_str(), FALSE);
    } while (FindNextFileA(h, &data));
    FindClose(h);
}

void delete_tree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((folder + "*.*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            delete_tree(folder + name + "\\");
        else
            DeleteFileA((folder + name).c_str());
    } while (FindNextFileA(h, &data));
    FindClose(h);
    RemoveDirectoryA(folder.c_str());
}

// From "Installer" to the completed record, in ms; -1 on failure.
double install(const Distribution& dist, const SetupIni& ini, const std::string& dir) {
    Program setup = dist.start_setup();
    HWND wizard = wait_wizard(setup, ini);
    if (!wizard) return -1;
    click_control(wizard, 19);
    click_tab(wizard, 20, 3);
    type_text(wizard, 21, dir);
    double start = now_ms();
    post_click(wizard, 4);
    std::string menu = start_menu_folder(ini.name);
    bool done = wait_until([&] {
        std::string record = read_bytes(dir + "Uninstall.dat");
        return record.size() > menu.size() && record.compare(record.size() - menu.size(), menu.size(), menu) == 0;
    }, LIMIT);
    double spent = now_ms() - start;
    HWND result = find_window(setup.id(), ini.name + " - v" + ini.version, "");
    if (result) click_control(result, 16);
    wait_program_end(setup, LIMIT);
    return done ? spent : -1;
}

// From "Désinstaller" to the closing note, in ms; -1 on failure.
double uninstall(const std::string& dir) {
    Program uninstaller = start_program(dir + "Uninstall.exe", dir, "");
    HWND window = wait_window(uninstaller, "D\xE9sinstallation", "", LIMIT);
    if (!window || !wait_control(window, 2, LIMIT)) return -1;
    double start = now_ms();
    post_click(window, 1);
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
    std::string work = argv[2];
    if (work.back() != '\\') work += '\\';
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
    double installed = install(dist, ini, dir);
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
