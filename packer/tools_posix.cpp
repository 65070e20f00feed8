#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "checker/folder.h"
#include "packer/tools.h"

extern char** environ;

namespace {

std::string own_folder() {
    std::vector<char> path(4096);
    ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) return ".";
    std::string exe(path.data(), static_cast<size_t>(length));
    return exe.substr(0, exe.rfind('/'));
}

}  // namespace

bool load_stub(const std::string& path, std::string* bytes, std::string* error) {
    std::vector<std::string> candidates;
    if (!path.empty()) {
        candidates = {path};
    } else {
        std::string here = own_folder();
        candidates = {here + "/TarvoStub.exe", here + "/../../bin/TarvoStub.exe"};
    }
    for (const std::string& candidate : candidates) {
        bool whole = false;
        if (read_file_bytes(candidate, 64 << 20, bytes, &whole) && whole && !bytes->empty()) return true;
    }
    *error = path.empty() ? "no TarvoStub.exe beside tarvo-pack or in the build's bin folder; give one with --stub"
                          : path + ": cannot be read";
    return false;
}

int run_tool(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

std::FILE* open_file(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

bool remove_file(const std::string& path) { return std::remove(path.c_str()) == 0; }
