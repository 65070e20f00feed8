// Measures read_line over a 10,000-line record of about 1 MB against one
// whole-file read split in memory, and against reading one byte per system
// call.  Run by hand:  scripts/wine-run build/bin/read_line_bench.exe
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "runtime/file.h"

namespace {

double now_ms() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

std::string make_record(const std::string& path) {
    std::string bytes = "[Langue]\r\nFR\r\n[Fichiers]\r\n";
    char line[160];
    for (int i = 0; i < 10000; ++i) {
        std::snprintf(line, sizeof line,
                      "C:\\Program files\\Sample program\\data\\folder%03d\\"
                      "file_%05d_with_a_rather_longer_name_to_read.dat\r\n",
                      i % 500, i);
        bytes += line;
    }
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return bytes;
}

size_t with_read_line(const std::string& path) {
    size_t lines = 0;
    read_file(0, path);
    while (!end_of_file(0)) {
        if (!read_line().empty()) ++lines;
    }
    close_file(0);
    return lines;
}

size_t whole_file_split(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size;
    GetFileSizeEx(h, &size);
    std::string all(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got;
    ReadFile(h, all.data(), static_cast<DWORD>(all.size()), &got, nullptr);
    CloseHandle(h);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find_first_of("\r\n", start);
        if (end == std::string::npos) end = all.size();
        lines.emplace_back(all, start, end - start);
        start = end + (all.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines.size();
}

// The plain way: one ReadFile call per byte.
size_t one_byte_per_call(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    size_t lines = 0;
    std::string line;
    char c;
    DWORD got;
    while (ReadFile(h, &c, 1, &got, nullptr) && got == 1) {
        if (c == '\n') {
            ++lines;
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    CloseHandle(h);
    return lines;
}

template <typename F>
void measure(const char* what, F f, const std::string& path, int rounds) {
    size_t lines = f(path);  // warm the file cache
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        double t = now_ms();
        lines = f(path);
        double spent = now_ms() - t;
        if (spent < best) best = spent;
    }
    std::printf("%-28s %8.2f ms  (%zu lines, best of %d)\n", what, best, lines, rounds);
}

}  // namespace

int main() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string path = std::string(temp) + "read_line_bench.dat";
    std::string bytes = make_record(path);
    std::printf("record: %zu bytes\n", bytes.size());
    measure("read_line", with_read_line, path, 10);
    measure("whole file + split", whole_file_split, path, 10);
    measure("one byte per ReadFile", one_byte_per_call, path, 2);
    DeleteFileA(path.c_str());
    return 0;
}
