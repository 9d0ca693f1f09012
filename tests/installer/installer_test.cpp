// The installer package under Wine's msiexec, silent as an administrator would run it, in a
// fresh prefix of its own (run_installer_test.sh): what an install puts in place, that the
// installed program starts from the Start menu's shortcut and from the log-on Run value, that an
// uninstall ends the running program and removes the program's files and entries but nothing of
// the user's, and that an upgrade from an older version leaves one installation.
// The tests build on each other in the order written (one install serves them all).

#include <windows.h>
// windows.h first: these need its types.
#include <msi.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/app/e2e_support.h"
#include "tests/app/program_runner.h"

namespace endtoend {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Corvant Ferrolin 2";
constexpr DWORD kMsiexecMs = 120000;
// Generous: a loaded machine runs Wine slowly, and a wait that ends early costs nothing.
constexpr DWORD kStartMs = 60000;

std::wstring Folder(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring BesideTests(const wchar_t* relative) {
    return ProgramPath().substr(0, ProgramPath().rfind(L"app\\Ferrolin2.exe")) + relative;
}

std::wstring Package() {
    return BesideTests(L"Ferrolin2-" FERROLIN_VERSION L".msi");
}
std::wstring OlderPackage() {
    return BesideTests(L"tests\\installer\\Ferrolin2-" FERROLIN_OLDER_VERSION L".msi");
}

std::wstring InstallFolder() {
    return Folder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Corvant Ferrolin 2";
}
std::wstring InstalledProgram() {
    return InstallFolder() + L"\\Ferrolin2.exe";
}
std::wstring ShortcutPath() {
    return Folder(CSIDL_PROGRAMS) + L"\\Corvant Ferrolin 2.lnk";
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ReadRunValue() {
    wchar_t value[1024] = L"";
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return L"";
    }
    return value;
}

// msiexec with the arguments and a verbose log; its exit code, and the log's end on failure.
UINT Msiexec(const std::wstring& arguments) {
    const std::wstring log = Folder(CSIDL_LOCAL_APPDATA) + L"\\ferrolin-msiexec.log";
    DeleteFileW(log.c_str());
    std::wstring commandLine = L"msiexec.exe " + arguments + L" /qn /l*v \"" + log + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return GetLastError();
    }
    CloseHandle(info.hThread);
    DWORD exitCode = 1;
    if (WaitForSingleObject(info.hProcess, kMsiexecMs) != WAIT_OBJECT_0) {
        TerminateProcess(info.hProcess, 1);
    }
    GetExitCodeProcess(info.hProcess, &exitCode);
    CloseHandle(info.hProcess);
    if (exitCode != ERROR_SUCCESS) {
        if (const auto text = ReadFileBytes(log)) {
            // Windows writes the log in UTF-16 (with its mark), Wine in 8-bit text: show its end
            // as plain characters.
            std::string plain = *text;
            if (plain.size() >= 2 && plain[0] == '\xFF' && plain[1] == '\xFE') {
                plain.clear();
                for (size_t i = 2; i + 1 < text->size(); i += 2) {
                    plain += (*text)[i];
                }
            }
            std::printf("msiexec %ls: %lu\n%s\n", arguments.c_str(), exitCode,
                        plain.substr(plain.size() > 4000 ? plain.size() - 4000 : 0).c_str());
        }
    }
    return exitCode;
}

// The installed products of the package's upgrade code, with their versions.
std::vector<std::wstring> InstalledVersions() {
    std::vector<std::wstring> versions;
    wchar_t product[39] = L"";
    for (DWORD index = 0; MsiEnumRelatedProductsW(L"{" FERROLIN_UPGRADE_CODE L"}", 0, index,
                                                  product) == ERROR_SUCCESS;
         ++index) {
        wchar_t version[64] = L"";
        DWORD size = 64;
        MsiGetProductInfoW(product, L"VersionString", version, &size);
        versions.push_back(version);
    }
    return versions;
}

// The version resource's product version of a program ("2.0.0.0").
std::wstring ProductVersionOf(const std::wstring& program) {
    DWORD ignored = 0;
    std::vector<char> data(GetFileVersionInfoSizeW(program.c_str(), &ignored));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    if (data.empty() ||
        !GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &size)) {
        return L"";
    }
    wchar_t text[64] = L"";
    swprintf(text, 64, L"%u.%u.%u.%u", HIWORD(fixed->dwProductVersionMS),
             LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
             LOWORD(fixed->dwProductVersionLS));
    return text;
}

// The manifest the program carries (resource 1 of type 24), as text.
std::string ManifestOf(const std::wstring& program) {
    const HMODULE module = LoadLibraryExW(
        program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) {
        return "";
    }
    std::string text;
    if (const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        const HGLOBAL loaded = LoadResource(module, found);
        const auto* bytes = static_cast<const char*>(LockResource(loaded));
        if (bytes != nullptr) {
            text.assign(bytes, SizeofResource(module, found));
        }
    }
    FreeLibrary(module);
    return text;
}

struct Shortcut {
    std::wstring target;
    std::wstring arguments;
    std::wstring workingFolder;
};

std::optional<Shortcut> ReadShortcut(const std::wstring& path) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link)))) {
        return std::nullopt;
    }
    std::optional<Shortcut> result;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t target[MAX_PATH] = L"";
            wchar_t arguments[MAX_PATH] = L"";
            wchar_t folder[MAX_PATH] = L"";
            link->GetPath(target, MAX_PATH, nullptr, 0);
            link->GetArguments(arguments, MAX_PATH);
            link->GetWorkingDirectory(folder, MAX_PATH);
            result = Shortcut{target, arguments, folder};
        }
        file->Release();
    }
    link->Release();
    return result;
}

// Splits "\"C:\...\Ferrolin2.exe\" StartUp" into the program and its arguments.
std::pair<std::wstring, std::wstring> SplitCommand(const std::wstring& command) {
    if (command.size() < 2 || command[0] != L'"') {
        return {};
    }
    const size_t close = command.find(L'"', 1);
    if (close == std::wstring::npos) {
        return {};
    }
    const std::wstring rest = command.substr(close + 1);
    return {command.substr(1, close - 1), rest.empty() ? rest : rest.substr(1)};
}

// The image of the process that owns the program's main window; empty when none runs.
std::wstring RunningProgramImage() {
    const HWND window = FindWindowW(kMainWindowClass, nullptr);
    if (window == nullptr) {
        return L"";
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) {
        return L"";
    }
    wchar_t image[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    QueryFullProcessImageNameW(process, 0, image, &size);
    CloseHandle(process);
    return image;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

class Installer : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        CoInitialize(nullptr);
        EndLeftoverInstances();
        Configuration configuration;
        configuration.destination = L"F:\\";
        configuration.diskId = L"1234-ABCD";
        configuration.sources = {source_};
        configuration.startTime = 133485408000000000ULL;  // copied before: the program waits
        // An empty source: no pass, and so no prompt or progress, takes the program's attention
        // while the tests close it.
        CreateFolders(source_);
        WriteConfiguration(configuration);
        CreateFolders(L"F:\\Earlier Backup");
        WriteFileBytes(kDiskFile, "a file the backup disk already holds\r\n");
    }
    static void TearDownTestSuite() {
        EndLeftoverInstances();
        RemoveTree(source_);
        RemoveTree(L"F:\\Earlier Backup");
        DeleteProgramKey();
        CoUninitialize();
    }

    // Starts a program and waits for its main window; true when it came up.
    static bool StartAndWait(const std::wstring& program, const std::wstring& arguments) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        std::wstring commandLine = L"\"" + program + L"\" " + arguments;
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &info)) {
            return false;
        }
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        return WaitUntil([] { return FindWindowW(kMainWindowClass, nullptr) != nullptr; },
                         kStartMs);
    }

    static bool ProgramEnds() {
        return WaitUntil([] { return FindWindowW(kMainWindowClass, nullptr) == nullptr; },
                         kStartMs);
    }

    static inline const std::wstring source_ = L"C:\\Ferrolin Installer Source";
    static constexpr wchar_t kDiskFile[] = L"F:\\Earlier Backup\\kept.txt";
};

TEST_F(Installer, SilentInstallPutsTheProgramItsShortcutAndItsLogOnStartInPlace) {
    ASSERT_EQ(Msiexec(L"/i \"" + Package() + L"\""), 0u);

    EXPECT_TRUE(Exists(InstalledProgram()));
    EXPECT_TRUE(Exists(InstallFolder() + L"\\home.html"));
    EXPECT_TRUE(Exists(InstallFolder() + L"\\resource\\0101.html"));
    EXPECT_TRUE(Exists(InstallFolder() + L"\\resource\\0203.html"));
    // One version, from the build, in the package and in the program's version resource.
    EXPECT_EQ(InstalledVersions(), std::vector<std::wstring>{FERROLIN_VERSION});
    EXPECT_EQ(ProductVersionOf(InstalledProgram()), FERROLIN_VERSION L".0");

    const auto shortcut = ReadShortcut(ShortcutPath());
    ASSERT_TRUE(shortcut.has_value()) << "no Start menu shortcut";
    EXPECT_TRUE(SamePath(shortcut->target, InstalledProgram())) << shortcut->target;
    EXPECT_EQ(shortcut->arguments, L"");
    EXPECT_EQ(ReadRunValue(), L"\"" + InstalledProgram() + L"\" StartUp");
}

// Windows scales the windows of a program that does not say it handles every monitor's scale
// itself, which blurs them.
TEST_F(Installer, InstalledProgramDeclaresPerMonitorAwarenessAndTheBuildsVersion) {
    const std::string manifest = ManifestOf(InstalledProgram());
    EXPECT_NE(manifest.find(">PerMonitorV2</dpiAwareness>"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos) << manifest;
    std::string version;
    for (const wchar_t c : std::wstring(FERROLIN_VERSION L".0")) {
        version += static_cast<char>(c);
    }
    EXPECT_NE(manifest.find("name=\"Corvant.Ferrolin2\" version=\"" + version + "\""),
              std::string::npos)
        << manifest;
}

TEST_F(Installer, InstalledProgramStartsFromTheShortcutAndFromTheRunValue) {
    const auto shortcut = ReadShortcut(ShortcutPath());
    ASSERT_TRUE(shortcut.has_value());
    ASSERT_TRUE(StartAndWait(shortcut->target, shortcut->arguments));
    EXPECT_TRUE(SamePath(RunningProgramImage(), InstalledProgram())) << RunningProgramImage();
    // Switched off first, so that Close ends it without asking.
    WriteDword(L"Mirror Status", 0);
    PostMessageW(FindWindowW(kMainWindowClass, nullptr), WM_COMMAND, 40009, 0);
    ASSERT_TRUE(ProgramEnds());
    WriteDword(L"Mirror Status", 1);

    // As Windows does at log-on: the Run value's command line.
    const auto [program, arguments] = SplitCommand(ReadRunValue());
    EXPECT_EQ(arguments, L"StartUp");
    ASSERT_TRUE(StartAndWait(program, arguments));
    EXPECT_TRUE(SamePath(RunningProgramImage(), InstalledProgram())) << RunningProgramImage();
}

TEST_F(Installer, UninstallIsRefusedWhileTheProgramHasAWindowOpen) {
    const HWND window = FindWindowW(kMainWindowClass, nullptr);
    ASSERT_NE(window, nullptr) << "the program of the test before is not running";
    PostMessageW(window, WM_COMMAND, 57664, 0);  // About: the program ignores Close meanwhile
    ASSERT_TRUE(WaitUntil([] { return FindWindowW(L"FerrolinSplashWindow", nullptr); }, kStartMs));

    EXPECT_NE(Msiexec(L"/x \"" + Package() + L"\""), 0u);
    EXPECT_TRUE(Exists(InstalledProgram())) << "a refused uninstall removed the program";
    EXPECT_EQ(ReadRunValue(), L"\"" + InstalledProgram() + L"\" StartUp");
    EXPECT_NE(FindWindowW(kMainWindowClass, nullptr), nullptr);

    PostMessageW(FindWindowW(L"FerrolinSplashWindow", nullptr), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitUntil([] { return !FindWindowW(L"FerrolinSplashWindow", nullptr); }, 5000));
}

TEST_F(Installer, UninstallEndsTheRunningProgramAndLeavesTheSettingsAndTheDisk) {
    ASSERT_NE(FindWindowW(kMainWindowClass, nullptr), nullptr);
    // Switched on: the program asks with its turn-off notice, which the uninstall answers.
    ASSERT_EQ(ReadDword(L"Mirror Status"), 1u);

    ASSERT_EQ(Msiexec(L"/x \"" + Package() + L"\""), 0u);
    EXPECT_EQ(FindWindowW(kMainWindowClass, nullptr), nullptr) << "the program still runs";
    EXPECT_FALSE(Exists(InstalledProgram()));
    EXPECT_FALSE(Exists(InstallFolder())) << "the program's folder is left behind";
    EXPECT_FALSE(Exists(ShortcutPath()));
    EXPECT_EQ(ReadRunValue(), L"");
    EXPECT_TRUE(InstalledVersions().empty());
    // The user's settings and the backup disk are theirs.
    EXPECT_EQ(ReadDword(L"Mirror Status"), 1u);
    EXPECT_EQ(ReadFileBytes(kDiskFile), "a file the backup disk already holds\r\n");
}

TEST_F(Installer, UpgradeFromAnOlderVersionLeavesOneInstallationAndRestartsTheProgram) {
    ASSERT_EQ(Msiexec(L"/i \"" + OlderPackage() + L"\""), 0u);
    ASSERT_EQ(InstalledVersions(), std::vector<std::wstring>{FERROLIN_OLDER_VERSION});
    const auto [program, arguments] = SplitCommand(ReadRunValue());
    ASSERT_TRUE(StartAndWait(program, arguments));

    ASSERT_EQ(Msiexec(L"/i \"" + Package() + L"\""), 0u);
    EXPECT_EQ(InstalledVersions(), std::vector<std::wstring>{FERROLIN_VERSION});
    EXPECT_TRUE(Exists(InstalledProgram()));
    EXPECT_TRUE(Exists(ShortcutPath()));
    EXPECT_EQ(ReadRunValue(), L"\"" + InstalledProgram() + L"\" StartUp");
    // The program that ran before the upgrade runs again, from the new files.
    EXPECT_TRUE(
        WaitUntil([] { return FindWindowW(kMainWindowClass, nullptr) != nullptr; }, kStartMs))
        << "the program was not started again after the upgrade";

    // An older package does not go over a newer installation.
    EXPECT_NE(Msiexec(L"/i \"" + OlderPackage() + L"\""), 0u);
    EXPECT_EQ(InstalledVersions(), std::vector<std::wstring>{FERROLIN_VERSION});

    EXPECT_EQ(Msiexec(L"/x \"" + Package() + L"\""), 0u);
    EXPECT_TRUE(ProgramEnds());
    EXPECT_FALSE(Exists(InstallFolder()));
}

}  // namespace
}  // namespace endtoend
