// One step of the package benchmark at a time (scripts/bench-package lets
// the disk finish writing before each timed step).  The timed steps print
// their time in milliseconds.
//
//   package_bench.exe prepare <work folder> <number of files>
//       writes the distribution (dist\): a stand-in Setup.exe that notes
//       when it starts, setup.ini, the record template, Uninstall.exe and
//       the files, of 1 to 8 KiB, 50 to a folder
//   package_bench.exe pack <work folder>        dist\ into package.exe through TarvoPack.exe
//   package_bench.exe unpack <work folder>      package.exe started, until it starts its Setup.exe
//   package_bench.exe bare-write <work folder>  the same files written into bare\ from memory,
//                                               with CreateFileA and WriteFile
//   package_bench.exe clean <work folder>       removes what the timed steps made
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/kit.h"

namespace {

constexpr DWORD LIMIT = 600000;
constexpr int FILES_PER_FOLDER = 50;

double now_ms() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

unsigned long long clock_now() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    return (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

std::string file_name(int i) {
    char name[64];
    std::snprintf(name, sizeof name, "d%03d\\f%05d.dat", i / FILES_PER_FOLDER, i);
    return name;
}

std::string content(int i) { return std::string(1024 + (i * 7919) % (7 * 1024), static_cast<char>('a' + i % 26)); }

void prepare(const std::string& work, int files) {
    std::string dist = work + "dist\\";
    make_folder(dist);
    CopyFileA((program_folder() + "clock_setup.exe").c_str(), (dist + "Setup.exe").c_str(), FALSE);
    CopyFileA((program_folder() + "Uninstall.exe").c_str(), (dist + "Uninstall.exe").c_str(), FALSE);
    write_bytes(dist + "setup.ini", "[ Informations sur le logiciel]\r\nNom=KitBench\r\nVersion=1.0\r\n");
    write_bytes(dist + "Uninstall.dat", "[Langue]\r\n--\r\n[Fichiers]\r\n");
    for (int i = 0; i < files; ++i) {
        if (i % FILES_PER_FOLDER == 0) make_folder(dist + file_name(i).substr(0, 4));
        write_bytes(dist + file_name(i), content(i));
    }
}

double pack(const std::string& work) {
    double start = now_ms();
    long long code = run_console(in_quotes(program_folder() + "TarvoPack.exe") + " " + in_quotes(work + "dist") + " " +
                                     in_quotes(work + "package.exe"),
                                 work + "pack.txt", LIMIT);
    double ms = now_ms() - start;
    if (code != 0) std::fprintf(stderr, "%s", read_bytes(work + "pack.txt").c_str());
    return code == 0 ? ms : -1;
}

// From the start of the package to the start of its Setup.exe.
double unpack(const std::string& work) {
    std::string clock = work + "clock.txt";
    DeleteFileA(clock.c_str());
    SetEnvironmentVariableA("KIT_BENCH_CLOCK", clock.c_str());
    unsigned long long started = clock_now();
    Program package = start_program(work + "package.exe", work, "");
    if (wait_program_end(package, LIMIT) != 0) return -1;
    unsigned long long setup_started = std::strtoull(read_bytes(clock).c_str(), nullptr, 10);
    return setup_started > started ? static_cast<double>(setup_started - started) / 10000.0 : -1;
}

double bare_write(const std::string& work, int files) {
    std::vector<std::string> contents;
    for (int i = 0; i < files; ++i) contents.push_back(content(i));
    std::string bare = work + "bare\\";
    double start = now_ms();
    CreateDirectoryA(bare.c_str(), nullptr);
    for (int i = 0; i < files; ++i) {
        std::string path = bare + file_name(i);
        if (i % FILES_PER_FOLDER == 0) CreateDirectoryA(path.substr(0, path.rfind('\\')).c_str(), nullptr);
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(h, contents[i].data(), static_cast<DWORD>(contents[i].size()), &written, nullptr);
        CloseHandle(h);
    }
    return now_ms() - start;
}

int count_files(const std::string& work) {
    int files = 0;
    while (GetFileAttributesA((work + "dist\\" + file_name(files)).c_str()) != INVALID_FILE_ATTRIBUTES) ++files;
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    std::string step = argv[1];
    std::string work = argv[2];
    if (work.back() != '\\') work += '\\';
    double ms = 0;
    if (step == "prepare" && argc > 3) {
        prepare(work, std::atoi(argv[3]));
        return 0;
    }
    if (step == "pack") ms = pack(work);
    else if (step == "unpack") ms = unpack(work);
    else if (step == "bare-write") ms = bare_write(work, count_files(work));
    else if (step == "clean") {
        remove_tree(work + "bare");
        return 0;
    } else {
        return 2;
    }
    if (ms < 0) return 1;
    std::printf("%.0f\n", ms);
    return 0;
}
