#include "runtime/security.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "runtime/folder_rights.h"
#include "runtime/unicode.h"

namespace {

// The process token's information of one class, in `buffer`; false when it
// cannot be read.
bool token_information(TOKEN_INFORMATION_CLASS kind, void* buffer, DWORD size) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    DWORD returned = 0;
    bool read = GetTokenInformation(token, kind, buffer, size, &returned);
    CloseHandle(token);
    return read;
}

// The protected list as a descriptor, freed with LocalFree.
PSECURITY_DESCRIPTOR protected_descriptor() {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(wide(PROTECTED_FOLDER_SDDL).c_str(), SDDL_REVISION_1, &descriptor,
                                                         nullptr);
    return descriptor;
}

}  // namespace

bool process_elevated() {
    TOKEN_ELEVATION elevation{};
    return token_information(TokenElevation, &elevation, sizeof elevation) && elevation.TokenIsElevated;
}

bool filtered_administrator() {
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    return token_information(TokenElevationType, &type, sizeof type) && type == TokenElevationTypeLimited;
}

std::string process_user_sid() {
    alignas(TOKEN_USER) unsigned char buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    if (!token_information(TokenUser, buffer, sizeof buffer)) return "";
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) return "";
    std::string sid = narrow(text);
    LocalFree(text);
    return sid;
}

std::string security_text(const std::string& path) {
    HANDLE file = CreateFileW(file_path(path).c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD read = GetSecurityInfo(file, SE_FILE_OBJECT, wanted, nullptr, nullptr, nullptr, nullptr, &descriptor);
    CloseHandle(file);
    if (read != ERROR_SUCCESS) return "";
    wchar_t* text = nullptr;
    std::string sddl;
    if (ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, wanted, &text, nullptr)) {
        sddl = narrow(text);
        LocalFree(text);
    }
    LocalFree(descriptor);
    return sddl;
}

int create_protected_directory(const std::string& path) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, protected_descriptor(), FALSE};
    if (!attributes.lpSecurityDescriptor) return 0;
    BOOL made = CreateDirectoryW(file_path(path).c_str(), &attributes);
    LocalFree(attributes.lpSecurityDescriptor);
    return made ? 1 : 0;
}

bool protect_folder(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = protected_descriptor();
    if (!descriptor) return false;
    PSID owner = nullptr;
    PACL list = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    GetSecurityDescriptorOwner(descriptor, &owner, &defaulted);
    GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted);
    std::wstring native = file_path(path);
    DWORD set = SetNamedSecurityInfoW(native.data(), SE_FILE_OBJECT,
                                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                          PROTECTED_DACL_SECURITY_INFORMATION,
                                      owner, nullptr, list, nullptr);
    LocalFree(descriptor);
    return set == ERROR_SUCCESS;
}
