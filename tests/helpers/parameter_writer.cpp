// Stands in for a program that the kit starts:
//
//   parameter_writer.exe <output file> <milliseconds> [parameters...]
//
// waits the given time, then writes its current folder and every parameter
// that next_program_parameter gives (the first two included), one per line,
// and last "END" followed by what one more call gives after the "" that ended
// the list.  The file appears whole, by a rename, so a test that sees it sees
// everything.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "runtime/system.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, folder);
    std::string text = std::string(folder) + "\r\n";
    std::string output, parameter;
    for (int n = 0; !(parameter = next_program_parameter()).empty(); ++n) {
        if (n == 0) output = parameter;
        if (n == 1) delay(std::atoi(parameter.c_str()));
        text += parameter + "\r\n";
    }
    text += "END" + next_program_parameter() + "\r\n";
    if (output.empty()) return 1;

    std::string partial = output + ".partial";
    HANDLE file = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExA(partial.c_str(), output.c_str(), MOVEFILE_REPLACE_EXISTING);
    return 0;
}
