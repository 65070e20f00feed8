// The kit on a Windows of any language and for a user of any name: under
// the system code pages of Central European, Cyrillic, Greek and Japanese
// Windows (Wine takes the code page from the Unix locale) every text reads
// as on a Western one and a name keeps its letters; a user whose profile
// and temporary folder are named in Greek installs, updates and uninstalls
// like anyone; and a path beyond 260 characters is installed and removed
// like any other.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>

#include "driver/kit.h"
#include "driver/sample.h"
#include "uninstaller/uninstall.h"

namespace {

constexpr DWORD LIMIT = 30000;
const std::wstring MARK = L"\xFEFF";

// The system code page of each locale, as Wine chooses it.
const struct {
    const char* locale;
    long long code_page;
} LOCALES[] = {{"pl_PL.UTF-8", 1250}, {"ru_RU.UTF-8", 1251}, {"el_GR.UTF-8", 1253}, {"ja_JP.UTF-8", 932}};

std::wstring wide(const std::string& windows1252) {
    std::wstring text(windows1252.size(), L'\0');
    text.resize(MultiByteToWideChar(1252, 0, windows1252.data(), static_cast<int>(windows1252.size()), text.data(),
                                    static_cast<int>(text.size())));
    return text;
}

// A path in the long form, which the "W" functions take beyond 260 characters.
std::wstring long_form(const std::wstring& path) { return L"\\\\?\\" + path; }
bool exists_w(const std::wstring& path) { return GetFileAttributesW(long_form(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string read_w(const std::wstring& path) {
    HANDLE file = CreateFileW(long_form(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes;
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

// Removes a folder tree whose names the test's code page cannot spell.
void remove_tree_w(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(long_form(folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) remove_tree_w(folder + name + L"\\");
            else DeleteFileW(long_form(folder + name).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(long_form(folder).c_str());
}

std::string utf8(const std::wstring& text) {
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                     static_cast<int>(bytes.size()), nullptr, nullptr));
    return bytes;
}

// Starts a program whose path the test's own code page cannot spell.
Program start_w(const std::wstring& program, const std::wstring& folder, const std::wstring& parameters) {
    std::wstring command = L"\"" + program + L"\" " + parameters;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &started))
        return Program();
    CloseHandle(started.hThread);
    return Program(started.hProcess, started.dwProcessId);
}

// A message box's own texts: its title and message (its buttons are the
// system's, in the system's language).
std::vector<std::wstring> box_texts(HWND box) {
    std::vector<std::wstring> texts;
    for (const std::wstring& text : shown_texts(box))
        if (text.rfind(L"Button: ", 0) != 0) texts.push_back(text);
    return texts;
}

std::string utf8(const std::wstring& text);

// The texts one per line, in UTF-8, for failure messages.
std::string listed(const std::vector<std::wstring>& texts) {
    std::string out;
    for (const std::wstring& text : texts) out += utf8(text) + "\n";
    return out;
}

bool holds(const std::vector<std::wstring>& texts, const std::wstring& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// What one walk through the kit shows: Setup's language window, its
// refusal of an unticked licence box, its wizard with every page, its
// result page, then the uninstaller's window and closing message.
struct Walk {
    std::vector<std::wstring> language, refusal, wizard, result, uninstaller, closing;
    bool operator==(const Walk&) const = default;
};

class AnyLanguage : public ::testing::Test {
protected:
    void SetUp() override {
        ini.name = "KitLangues";
        ini.shortcut1_name = "KitLangues";
        ini.multilingual = "1";
    }
    void TearDown() override {
        close_folder_windows();
        remove_shell_traces(ini.name, {ini.shortcut1_name});
    }

    Walk walk_through(const Distribution& dist, bool english) {
        Walk walk;
        Program setup = dist.start_setup();
        HWND language = wait_built_window(setup, "Langue / Language", "ComboBox");
        if (!language) return walk;
        walk.language = shown_texts(language);
        choose_language(setup, english);
        HWND wizard = wait_wizard(setup, dist.ini());
        MessageBoxSeen refusal = wait_consent_refusal(setup, wizard);
        walk.refusal = box_texts(refusal.box);
        answer_message_box(setup, LIMIT);
        walk.wizard = shown_texts(wizard);
        press_install(wizard, dir);
        HWND result = wait_installed(setup, dist.ini(), dir, LIMIT);
        if (!result) {
            ADD_FAILURE() << describe_windows(setup) << read_bytes(dir + "Uninstall.dat") << "|"
                          << start_menu_folder(ini.name);
            kill_program(setup);
            return walk;
        }
        walk.result = shown_texts(result);
        finish_setup(setup, result, dist.ini(), LIMIT);

        Program uninstaller = start_program(dir + "Uninstall.exe", dir, "");
        HWND window = wait_window(uninstaller, "", "", LIMIT);
        if (!window || !wait_control(window, CANCEL_BUTTON, LIMIT)) return walk;
        walk.uninstaller = shown_texts(window);
        click_control(window, UNINSTALL_BUTTON);
        walk.closing = box_texts(wait_message_box(uninstaller, LIMIT).box);
        answer_message_box(uninstaller, LIMIT);
        EXPECT_EQ(wait_program_end(uninstaller, LIMIT), EXIT_DONE);
        return walk;
    }

    ScratchFolder scratch;
    std::string dir = scratch / "Langues\\";
    SetupIni ini;
};

// Both languages read the same, letter for letter, under each code page as
// under the Western one.
TEST_F(AnyLanguage, EveryTextReadsAsOnAWesternSystemUnderEveryCodePage) {
    Distribution dist(ini);
    dist.add_app_and_template();
    const Walk french = walk_through(dist, false), english = walk_through(dist, true);
    ASSERT_TRUE(holds(french.wizard, L"Button: Créer un raccourci sur le bureau")) << listed(french.wizard);
    ASSERT_TRUE(holds(french.refusal, L"Static: Vous n'avez pas accepté la licence d'utilisation du logiciel"))
        << listed(french.refusal);
    ASSERT_TRUE(holds(english.result, L"  Successful install")) << listed(english.result);
    ASSERT_FALSE(french.closing.empty());
    for (const auto& [locale, code_page] : LOCALES) {
        ProgramLocale system(locale);
        // The programs do run in that code page.
        Program probe = start_program(program_folder() + "code_page.exe", "", "");
        ASSERT_EQ(wait_program_end(probe, LIMIT), code_page) << locale;
        EXPECT_EQ(walk_through(dist, false), french) << locale;
        EXPECT_EQ(walk_through(dist, true), english) << locale;
    }
}

// Under a Japanese system a name with an accent still names one folder:
// everything goes inside it, the update-information file has its name and
// the next run finds it there, and the record stays in Windows-1252 bytes.
TEST_F(AnyLanguage, ANameWithAnAccentKeepsItsFolderUnderAJapaneseSystem) {
    ini.name = ini.shortcut1_name = "Caf\xE9";
    ProgramLocale japanese("ja_JP.UTF-8");
    Distribution dist(ini);
    dist.add_app_and_template();
    std::string cafe = "C:\\Program files\\Caf\xE9\\";
    EXPECT_EQ(dist.run_setup("/VERYSILENT /LOG=" + in_quotes(scratch / "cafe.log"), LIMIT), EXIT_DONE)
        << read_bytes(scratch / "cafe.log");
    EXPECT_TRUE(exists(cafe + "App.exe"));
    EXPECT_FALSE(exists("C:\\Program files\\Caf\xE9" "App.exe"));
    EXPECT_NE(read_bytes(cafe + "Uninstall.dat").find("\r\n" + cafe + "App.exe\r\n"), std::string::npos);
    EXPECT_TRUE(exists(start_menu_folder(ini.name) + "Mise \xE0 jour.Txt"));
    EXPECT_TRUE(exists(start_menu_folder(ini.name) + "Caf\xE9.lnk"));
    // The next run finds the installation through that file.
    EXPECT_EQ(dist.run_setup("/VERYSILENT /LOG=" + in_quotes(scratch / "again.log"), LIMIT), EXIT_DONE);
    std::string again = read_bytes(scratch / "again.log");
    EXPECT_NE(again.find("\r\n" + utf8(wide("Mise \xE0 jour du programme")) + "\r\n"), std::string::npos) << again;
    Program uninstaller = start_program(cafe + "Uninstall.exe", cafe, "/VERYSILENT");
    EXPECT_EQ(wait_program_end(uninstaller, LIMIT), EXIT_DONE);
    EXPECT_FALSE(exists(cafe));
    EXPECT_FALSE(exists(start_menu_folder(ini.name)));
}

// The Greek temporary folder for the programs started while it stands (the
// test's own scratch folders stay where they are).
class GreekTemp {
public:
    explicit GreekTemp(const std::wstring& folder) {
        for (const wchar_t* name : {L"TEMP", L"TMP"}) {
            wchar_t value[MAX_PATH] = L"";
            GetEnvironmentVariableW(name, value, MAX_PATH);
            saved_.push_back({name, value});
            SetEnvironmentVariableW(name, folder.c_str());
        }
    }
    ~GreekTemp() {
        for (const auto& [name, value] : saved_) SetEnvironmentVariableW(name.c_str(), value.c_str());
    }

private:
    std::vector<std::pair<std::wstring, std::wstring>> saved_;
};

// A Greek user on a French system: the user's folders and temporary folder
// are named "Ελένη", which the system's code page cannot spell.
class GreekProfile : public AnyLanguage {
protected:
    void SetUp() override {
        AnyLanguage::SetUp();
        profile = wide(scratch.path()) + L"Ελένη\\";
        for (const wchar_t* folder : {L"", L"AppData\\", L"Programs\\", L"Desktop\\", L"Temp\\"})
            CreateDirectoryW((profile + folder).c_str(), nullptr);
        HKEY key = nullptr;
        RegOpenKeyExW(HKEY_CURRENT_USER, SHELL_FOLDERS, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
        for (const auto& [name, standard] : STANDARD_FOLDERS) {
            wchar_t value[MAX_PATH] = L"";
            DWORD size = sizeof value, type = 0;
            // A run cut short leaves its Greek folders behind: the prefix's
            // own values come back then.
            if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
                !wcsstr(value, L"Ελένη"))
                saved.push_back({name, value, type});
            else
                saved.push_back({name, standard, REG_EXPAND_SZ});
            std::wstring path = profile + name;
            RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                           static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
        }
        RegCloseKey(key);
    }
    void TearDown() override {
        HKEY key = nullptr;
        RegOpenKeyExW(HKEY_CURRENT_USER, SHELL_FOLDERS, 0, KEY_SET_VALUE, &key);
        for (const Saved& s : saved)
            RegSetValueExW(key, s.name.c_str(), 0, s.type, reinterpret_cast<const BYTE*>(s.value.c_str()),
                           static_cast<DWORD>((s.value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        remove_tree_w(profile);
        AnyLanguage::TearDown();
        RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                                           ini.name).c_str());
    }

    static constexpr const wchar_t* SHELL_FOLDERS =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    static constexpr std::pair<const wchar_t*, const wchar_t*> STANDARD_FOLDERS[] = {
        {L"AppData", L"%USERPROFILE%\\AppData\\Roaming"},
        {L"Programs", L"%USERPROFILE%\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
        {L"Desktop", L"%USERPROFILE%\\Desktop"},
    };
    struct Saved {
        std::wstring name, value;
        DWORD type;
    };
    std::vector<Saved> saved;
    std::wstring profile;
};

TEST_F(GreekProfile, InstallsUpdatesAndUninstallsForTheCurrentUser) {
    Distribution first(ini);
    first.add_app_and_template();
    first.write("ancien.txt", "seulement dans la 1.0");
    {
        GreekTemp temp(profile + L"Temp");
        EXPECT_EQ(first.run_setup("/VERYSILENT /CURRENTUSER", LIMIT), EXIT_DONE);
    }
    const std::wstring installed = profile + L"AppData\\KitLangues\\", menu = profile + L"Programs\\Tarvo\\KitLangues\\";
    EXPECT_TRUE(exists_w(installed + L"App.exe"));
    EXPECT_TRUE(exists_w(menu + L"KitLangues.lnk"));
    EXPECT_TRUE(exists_w(menu + L"Désinstallation.lnk"));
    EXPECT_TRUE(exists_w(profile + L"Desktop\\KitLangues.lnk"));
    // The record and the update-information file name the Greek folder, so
    // they are UTF-8 after their mark.
    std::string record = read_w(installed + L"Uninstall.dat");
    EXPECT_EQ(record.substr(0, 17), "\xEF\xBB\xBF[Langue]\r\nFR\r\n");
    EXPECT_NE(record.find("\r\n" + utf8(installed) + "ancien.txt\r\n"), std::string::npos) << record;
    std::string information = read_w(menu + L"Mise à jour.Txt");
    EXPECT_EQ(information.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(information.find(utf8(installed)), std::string::npos) << information;

    // The next version finds it: the earlier files go, the user's stay.
    HANDLE notes = CreateFileW(long_form(installed + L"notes.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                               nullptr);
    CloseHandle(notes);
    SetupIni newer = ini;
    newer.version = "2.0";
    Distribution second(newer);
    second.add_app_and_template();
    {
        GreekTemp temp(profile + L"Temp");
        EXPECT_EQ(second.run_setup("/VERYSILENT /CURRENTUSER", LIMIT), EXIT_DONE);
    }
    EXPECT_FALSE(exists_w(installed + L"ancien.txt"));
    EXPECT_TRUE(exists_w(installed + L"notes.txt"));
    EXPECT_TRUE(exists_w(installed + L"App.exe"));
    EXPECT_EQ(apps_entry_value(HKEY_CURRENT_USER, ini.name, "DisplayVersion"), "2.0");

    // The uninstaller, started from the Greek folder, takes everything away.
    DeleteFileW(long_form(installed + L"notes.txt").c_str());
    GreekTemp temp(profile + L"Temp");
    Program uninstaller = start_w(installed + L"Uninstall.exe", installed, L"/VERYSILENT");
    EXPECT_EQ(wait_program_end(uninstaller, LIMIT), EXIT_DONE);
    EXPECT_FALSE(exists_w(installed));
    EXPECT_FALSE(exists_w(menu));
    EXPECT_FALSE(exists_w(profile + L"Desktop\\KitLangues.lnk"));
    EXPECT_FALSE(apps_entry_exists(HKEY_CURRENT_USER, ini.name));
}

// A packed download unpacks into the Greek temporary folder and Setup runs
// from there: its wizard, and the licence window over the pages it found.
// (Wine has no browser engine to draw the pages themselves.)
TEST_F(GreekProfile, APackedDownloadRunsFromTheTemporaryFolder) {
    Program package;
    {
        GreekTemp temp(profile + L"Temp");
        package = start_program(program_folder() + "..\\Carnet-1.0.exe", scratch.path(), "");
    }
    Program setup = attach_program("Setup.exe", LIMIT);
    ASSERT_TRUE(setup.started());
    ASSERT_TRUE(choose_language(setup, false));
    HWND wizard = wait_wizard(setup, sample_ini());
    ASSERT_NE(wizard, nullptr);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((profile + L"Temp\\Tarvo-*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    std::wstring unpacked = profile + L"Temp\\" + found.cFileName + L"\\";
    EXPECT_TRUE(exists_w(unpacked + L"Licence\\Licence.htm"));
    EXPECT_TRUE(licence_window_answers(setup, wizard, BANNER));
    ASSERT_TRUE(wait_active(wizard, LIMIT));
    press_key(wizard, VK_ESCAPE);
    EXPECT_EQ(wait_program_end(package, LIMIT), EXIT_CANCELLED);
    EXPECT_FALSE(exists_w(unpacked));
}

// A name that the system's code page cannot spell travels through a
// package: the packer stores it, the unpacking program writes it, Setup
// installs and records it.
TEST_F(AnyLanguage, AGreekNameTravelsThroughAPackage) {
    Distribution dist(ini);
    dist.add_app_and_template();
    const std::wstring greek = wide(dist.path()) + L"Ελένη.txt";
    HANDLE file = CreateFileW(greek.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "grec", 4, &written, nullptr);
    CloseHandle(file);
    std::string package = scratch / "Langues.exe", folder = scratch / "Install\xE9\\";
    EXPECT_EQ(run_console(in_quotes(program_folder() + "TarvoPack.exe") + " " +
                              in_quotes(dist.path().substr(0, dist.path().size() - 1)) + " " + in_quotes(package),
                          scratch / "pack.txt", LIMIT),
              0)
        << read_bytes(scratch / "pack.txt");
    Program run = start_program(package, scratch.path(), "/VERYSILENT /DIR=" + in_quotes(folder));
    EXPECT_EQ(wait_program_end(run, LIMIT), EXIT_DONE);
    const std::wstring installed = wide(folder) + L"Ελένη.txt";
    EXPECT_EQ(read_w(installed), "grec");
    std::string record = read_bytes(folder + "Uninstall.dat");
    EXPECT_NE(record.find("\r\n" + utf8(installed) + "\r\n"), std::string::npos) << record;
    DeleteFileW(greek.c_str());
    DeleteFileW(installed.c_str());
}

// A file whose installed path passes 260 characters is installed, recorded
// and removed like any other.
TEST_F(AnyLanguage, PathsBeyond260CharactersAreInstalledAndRemoved) {
    Distribution dist(ini);
    dist.add_app_and_template();
    std::string deep = "docs\\" + std::string(60, 'a') + "\\" + std::string(60, 'b') + "\\";
    make_folder(dist.path("docs"));
    make_folder(dist.path("docs\\" + std::string(60, 'a')));
    make_folder(dist.path(deep));
    dist.write(deep + std::string(40, 'c') + ".txt", "profond");
    std::string folder = scratch / std::string(100, 'L');
    std::wstring installed = wide(folder) + L"\\" + wide(deep) + std::wstring(40, L'c') + L".txt";
    ASSERT_GT(installed.size(), 260u);
    EXPECT_EQ(dist.run_setup("/VERYSILENT /DIR=" + in_quotes(folder) + " /LOG=" + in_quotes(scratch / "long.log"), LIMIT),
              EXIT_DONE)
        << read_bytes(scratch / "long.log");
    EXPECT_EQ(read_w(installed), "profond") << read_bytes(scratch / "long.log");
    Program uninstaller = start_program(folder + "\\Uninstall.exe", folder, "/VERYSILENT");
    EXPECT_EQ(wait_program_end(uninstaller, LIMIT), EXIT_DONE);
    EXPECT_FALSE(exists_w(wide(folder)));
}

}  // namespace
