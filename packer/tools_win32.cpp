#include <windows.h>

#include "checker/folder.h"
#include "packer/tools.h"
#include "runtime/unicode.h"

extern const unsigned char stub_program[];
extern const size_t stub_program_size;

bool load_stub(const std::string& path, std::string* bytes, std::string* error) {
    if (path.empty()) {
        bytes->assign(reinterpret_cast<const char*>(stub_program), stub_program_size);
        return true;
    }
    bool whole = false;
    if (read_file_bytes(path, 64 << 20, bytes, &whole) && whole && !bytes->empty()) return true;
    *error = path + ": cannot be read";
    return false;
}

// Arguments are quoted as the C runtime splits them back.
int run_tool(const std::vector<std::string>& arguments) {
    std::string command;
    for (const std::string& a : arguments) {
        if (!command.empty()) command += ' ';
        command += '"';
        for (size_t i = 0; i < a.size(); ++i) {
            size_t backslashes = 0;
            while (i < a.size() && a[i] == '\\') ++i, ++backslashes;
            if (i == a.size()) {
                command.append(backslashes * 2, '\\');
                break;
            }
            if (a[i] == '"') command.append(backslashes * 2 + 1, '\\');
            else command.append(backslashes, '\\');
            command += a[i];
        }
        command += '"';
    }
    std::wstring line = wide(command);
    STARTUPINFOW start{};
    start.cb = sizeof start;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process))
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// The C runtime's narrow functions take the ANSI code page's names.
std::FILE* open_file(const std::string& path, const char* mode) {
    return _wfopen(file_path(path).c_str(), wide(mode).c_str());
}

bool remove_file(const std::string& path) { return DeleteFileW(file_path(path).c_str()) != 0; }
