// The contract suites over the Win32 ports: a fresh folder under the user's temporary folder and
// a fresh key under HKEY_CURRENT_USER for each test, both removed afterwards.

#include <atomic>
#include <memory>
#include <string>

#include "os/win32/unique_handle.h"
#include "os/win32/wide_text.h"
#include "os/win32/win32_machine.h"
#include "os/win32/win32_path.h"
#include "os/win32/windows_api.h"
#include "tests/os/contract/port_environment.h"

namespace contract {

namespace {

using os::win32::Narrow;
using os::win32::Widen;

constexpr wchar_t kRegistryParent[] = L"Software\\Corvant Ferrolin 2 Tests";

std::atomic<unsigned> serial{0};

std::wstring UniqueSuffix() {
    return std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++serial) + L"-" +
           std::to_wstring(::GetTickCount64());
}

// Deletes a folder with everything in it, read-only files and paths of any length included.
// Returns the first error met (0 when all is gone).
DWORD RemoveTree(const std::wstring& folder) {
    DWORD firstError = ERROR_SUCCESS;
    auto note = [&firstError](DWORD error) {
        if (firstError == ERROR_SUCCESS) {
            firstError = error;
        }
    };
    WIN32_FIND_DATAW data{};
    os::win32::FindHandle search(::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic,
                                                    &data, FindExSearchNameMatch, nullptr, 0));
    if (search) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring path = folder + L"\\" + name;
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // a failure shows below
            const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const bool isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (isFolder && !isLink) {
                note(RemoveTree(path));
            } else if (isFolder) {
                if (!::RemoveDirectoryW(path.c_str())) {
                    note(::GetLastError());  // the link goes, never what it points to
                }
            } else if (!::DeleteFileW(path.c_str())) {
                note(::GetLastError());
            }
        } while (::FindNextFileW(search.Get(), &data));
    }
    search.Reset();
    if (!::RemoveDirectoryW(folder.c_str())) {
        note(::GetLastError());
    }
    return firstError;
}

bool RunningUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A new empty folder under the temporary folder, with a space in its name as users' folders
// often have; "" (and a test failure) when none can be made.
std::string MakeScratchFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) {
        const DWORD error = ::GetLastError();
        ADD_FAILURE() << "no temporary folder (error " << error << ")";
        return {};
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring folder =
            std::wstring(temp, length) + L"Ferrolin contract " + UniqueSuffix();
        if (::CreateDirectoryW(folder.c_str(), nullptr)) {
            return Narrow(folder);
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "cannot create the scratch folder (error " << error << ")";
            return {};
        }
    }
    ADD_FAILURE() << "no free name for a scratch folder";
    return {};
}

class Win32Environment final : public PortEnvironment {
  public:
    Win32Environment()
        : underWine_(RunningUnderWine()),
          scratch_(MakeScratchFolder()),
          registryScratch_(
              Narrow(std::wstring(kRegistryParent) + L"\\Contract " + UniqueSuffix())) {}

    ~Win32Environment() override {
        if (!scratch_.empty()) {
            std::wstring extended;
            EXPECT_EQ(os::win32::ToExtendedPath(scratch_, extended), 0u);
            EXPECT_EQ(RemoveTree(extended), static_cast<DWORD>(ERROR_SUCCESS))
                << "the scratch folder " << scratch_ << " was not removed completely";
        }
        const LSTATUS status = ::RegDeleteTreeW(HKEY_CURRENT_USER, Widen(registryScratch_).c_str());
        EXPECT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << status;
        // The parent goes when no other run still has a key in it (RegDeleteKeyW refuses then).
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kRegistryParent);
    }

    os::Machine& machine() override { return machine_.machine(); }
    std::string scratch() override { return scratch_; }
    std::string registryScratch() override { return registryScratch_; }
    bool underWine() const override { return underWine_; }

  private:
    os::win32::Win32Machine machine_;
    const bool underWine_;
    std::string scratch_;
    std::string registryScratch_;
};

}  // namespace

std::unique_ptr<PortEnvironment> CreatePortEnvironment() {
    return std::make_unique<Win32Environment>();
}

}  // namespace contract
