#include "runtime/run_log.h"

#include <windows.h>

#include <string_view>

#include "runtime/unicode.h"
#include "runtime/path_text.h"

namespace {

HANDLE log_file = INVALID_HANDLE_VALUE;
std::string log_path;   // the open log's
std::string suspended;  // the log's path while another process writes into it

}  // namespace

bool open_run_log(const std::string& path, bool append) {
    close_run_log();
    log_file = CreateFileW(file_path(path).c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    log_path = path;
    return log_file != INVALID_HANDLE_VALUE;
}

void suspend_run_log() {
    if (log_file == INVALID_HANDLE_VALUE) return;
    suspended = log_path;
    close_run_log();
}

std::string run_log_path() { return log_file == INVALID_HANDLE_VALUE ? "" : log_path; }

void resume_run_log() {
    if (!suspended.empty()) open_run_log(suspended, true);
    suspended.clear();
}

void run_log(const std::string& line) {
    if (log_file == INVALID_HANDLE_VALUE) return;
    std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(log_file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// The text's lines below its title, indented.
void run_log_message(const std::string& title, const std::string& text) {
    run_log("Message \"" + title + "\":");
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        run_log("    " + text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
}

void close_run_log() {
    if (log_file != INVALID_HANDLE_VALUE) CloseHandle(log_file);
    log_file = INVALID_HANDLE_VALUE;
}

std::string temporary_log_path(const std::string& name) {
    std::string folder = system_text([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); });
    std::string file;
    for (char c : name)
        file += static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos
                    ? '_'
                    : c;
    SYSTEMTIME now;
    GetLocalTime(&now);
    // " 2026-12-08 16-49-02.log", without printf, which would bring its
    // floating-point formatting into the uninstaller.
    std::string stamp;
    const WORD parts[] = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    for (int i = 0; i < 6; ++i) {
        std::string number = std::to_string(parts[i]);
        stamp += (i == 0 ? " " : i == 3 ? " " : "-") + std::string(number.size() < 2 ? 1 : 0, '0') + number;
    }
    return with_backslash(folder) + file + stamp + ".log";
}
