// What Windows reads of the built programs before it runs them: the
// manifest (the rights each program asks for, the Windows versions it was
// made for, the common controls it wants) and the version information that
// Explorer's properties and the elevation prompt show.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "kit_version.h"

namespace {

struct Expected {
    const char* file;
    ACTCTX_REQUESTED_RUN_LEVEL level;
    bool common_controls;
    const char* description;
};

// Setup and Uninstall take an administrator's full rights (after the
// elevation prompt) and a standard user's own; the splash needs none.
const Expected PROGRAMS[] = {
    {"Setup.exe", ACTCTX_RUN_LEVEL_AS_INVOKER, true, "Installeur Tarvo"},
    {"Uninstall.exe", ACTCTX_RUN_LEVEL_AS_INVOKER, true, "D\xE9sinstalleur Tarvo"},
    {"Tarvo.exe", ACTCTX_RUN_LEVEL_AS_INVOKER, false, "Logo Tarvo"},
};

// Windows 7, 8, 8.1, and 10 and 11.
const char* const SUPPORTED_OS[] = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
};

std::string built(const char* file) { return program_folder() + file; }

// A setting of the manifest's windowsSettings, as Windows reads it; "" when
// there is none.
std::wstring manifest_setting(HANDLE context, const wchar_t* space, const wchar_t* name) {
    using QuerySettings = BOOL(WINAPI*)(DWORD, HANDLE, const wchar_t*, const wchar_t*, wchar_t*, SIZE_T, SIZE_T*);
    auto query = reinterpret_cast<QuerySettings>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryActCtxSettingsW")));
    wchar_t value[64] = L"";
    SIZE_T written = 0;
    if (!query || !query(0, context, space, name, value, 64, &written)) return L"";
    return value;
}

// The text of the program's manifest, resource 1 of type RT_MANIFEST; ""
// when it has none.
std::string embedded_manifest(const std::string& program) {
    HMODULE module =
        LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return "";
    std::string text;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), RT_MANIFEST);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    if (loaded) text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

// The activation context Windows makes of the program's manifest, as it does
// when it starts the program; INVALID_HANDLE_VALUE when it refuses it.
HANDLE program_context(const std::string& program) {
    ACTCTXA request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = program.c_str();
    request.lpResourceName = MAKEINTRESOURCEA(1);
    return CreateActCtxA(&request);
}

// The encoded identities of the assemblies of a context: the program's own
// first, then the ones it depends on.
std::vector<std::wstring> assemblies(HANDLE context) {
    std::vector<std::wstring> names;
    // Each answer is a record followed by its texts: its size is asked first.
    SIZE_T needed = 0;
    QueryActCtxW(0, context, nullptr, ActivationContextDetailedInformation, nullptr, 0, &needed);
    std::vector<char> details_buffer(std::max<SIZE_T>(needed, sizeof(ACTIVATION_CONTEXT_DETAILED_INFORMATION)));
    auto* details = reinterpret_cast<ACTIVATION_CONTEXT_DETAILED_INFORMATION*>(details_buffer.data());
    if (!QueryActCtxW(0, context, nullptr, ActivationContextDetailedInformation, details, details_buffer.size(),
                      nullptr))
        return names;
    for (DWORD index = 1; index <= details->ulAssemblyCount; ++index) {
        needed = 0;
        QueryActCtxW(0, context, &index, AssemblyDetailedInformationInActivationContext, nullptr, 0, &needed);
        std::vector<char> buffer(needed);
        auto* assembly = reinterpret_cast<ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer.data());
        if (needed && QueryActCtxW(0, context, &index, AssemblyDetailedInformationInActivationContext, assembly,
                                   needed, nullptr) && assembly->lpAssemblyEncodedAssemblyIdentity)
            names.emplace_back(assembly->lpAssemblyEncodedAssemblyIdentity);
    }
    return names;
}

TEST(ProgramResources, ManifestsAskForTheirRightsAndNameTheWindowsVersions) {
    for (const Expected& program : PROGRAMS) {
        SCOPED_TRACE(program.file);
        std::string manifest = embedded_manifest(built(program.file));
        ASSERT_FALSE(manifest.empty());
        // Declared, Windows applies none of its compatibility shims (and
        // reports its own version rather than that of Windows 8).
        for (const char* id : SUPPORTED_OS)
            EXPECT_NE(manifest.find(std::string("Id=\"") + id + "\""), std::string::npos) << id;

        HANDLE context = program_context(built(program.file));
        ASSERT_NE(context, INVALID_HANDLE_VALUE) << "the manifest is refused: " << GetLastError();
        ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION run_level{};
        EXPECT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &run_level,
                                 sizeof run_level, nullptr));
        EXPECT_EQ(run_level.RunLevel, program.level);
        EXPECT_EQ(run_level.UiAccess, 0u);
        std::vector<std::wstring> names = assemblies(context);
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(names[0].find(L"Tarvo.Kit."), 0u);
        EXPECT_NE(names[0].find(L"version=\"" KIT_VERSION_TEXT ".0\""), std::wstring::npos);
        // The common controls of version 6 (visual styles), as the system
        // resolves the dependency to its own build of them.
        bool common_controls_6 = false;
        for (const std::wstring& name : names)
            if (name.find(L"Microsoft.Windows.Common-Controls,") == 0 &&
                name.find(L"version=\"6.") != std::wstring::npos)
                common_controls_6 = true;
        EXPECT_EQ(common_controls_6, program.common_controls);
        // Drawn for each monitor's scale (per-monitor, version 2), or for
        // the system's by a Windows that knows no other.
        EXPECT_EQ(manifest_setting(context, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
                  L"PerMonitorV2");
        EXPECT_EQ(manifest_setting(context, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"),
                  L"true");
        ReleaseActCtx(context);
    }
    // The self-extracting program's window too.
    HANDLE stub = program_context(built("TarvoStub.exe"));
    ASSERT_NE(stub, INVALID_HANDLE_VALUE);
    EXPECT_EQ(manifest_setting(stub, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
              L"PerMonitorV2");
    ReleaseActCtx(stub);
}

// One string of the program's version information, in the language and code
// page its translation table names first; "" when it has none.
std::string version_string(const std::vector<char>& block, const std::string& name) {
    struct Translation {
        WORD language;
        WORD code_page;
    }* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < sizeof *translation)
        return "";
    char key[128];
    snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\%s", translation->language, translation->code_page,
             name.c_str());
    char* value = nullptr;
    if (!VerQueryValueA(block.data(), key, reinterpret_cast<void**>(&value), &length) || !value) return "";
    return value;
}

TEST(ProgramResources, VersionInformationNamesEachProgramAndTheKitsVersion) {
    const DWORD version_high = MAKELONG(KIT_VERSION_MINOR, KIT_VERSION_MAJOR);
    const DWORD version_low = MAKELONG(0, KIT_VERSION_PATCH);
    for (const Expected& program : PROGRAMS) {
        SCOPED_TRACE(program.file);
        std::string path = built(program.file);
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
        ASSERT_GT(size, 0u);
        std::vector<char> block(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        ASSERT_EQ(length, sizeof *fixed);
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, version_high);
        EXPECT_EQ(fixed->dwFileVersionLS, version_low);
        EXPECT_EQ(fixed->dwProductVersionMS, version_high);
        EXPECT_EQ(fixed->dwProductVersionLS, version_low);
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

        // French, Windows-1252: the texts come back as the same bytes.
        EXPECT_EQ(version_string(block, "FileDescription"), program.description);
        EXPECT_EQ(version_string(block, "ProductName"), "Kit d'installation Tarvo");
        EXPECT_EQ(version_string(block, "CompanyName"), "Tarvo Developpement");
        EXPECT_EQ(version_string(block, "LegalCopyright"), "Copyright (C) Tarvo Developpement");
        EXPECT_EQ(version_string(block, "FileVersion"), KIT_VERSION_TEXT);
        EXPECT_EQ(version_string(block, "ProductVersion"), KIT_VERSION_TEXT);
        EXPECT_EQ(version_string(block, "OriginalFilename"), program.file);
    }
}

}  // namespace
