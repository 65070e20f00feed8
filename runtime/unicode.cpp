#include "runtime/unicode.h"

#include <windows.h>

std::wstring wide(std::string_view text) {
    if (text.empty()) return L"";
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(length > 0 ? length : 0, L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
    return result;
}

std::string narrow(std::wstring_view text) {
    if (text.empty()) return "";
    int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(length > 0 ? length : 0, '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length, nullptr, nullptr);
    return result;
}

std::string narrow(const wchar_t* text) { return text ? narrow(std::wstring_view(text)) : std::string(); }

namespace {

// Below this length every file function takes a path as it is; a folder's
// own limit is MAX_PATH less the 12 characters of an 8.3 file name in it.
constexpr size_t SHORT_PATH_LIMIT = MAX_PATH - 12;

}  // namespace

std::wstring file_path(std::string_view path) {
    std::wstring given = wide(path);
    if (given.size() < SHORT_PATH_LIMIT || given.rfind(L"\\\\?\\", 0) == 0) return given;
    DWORD needed = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return given;
    std::wstring full(needed, L'\0');
    DWORD length = GetFullPathNameW(given.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return given;
    full.resize(length);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);  // \\server\share\...
    return L"\\\\?\\" + full;
}
