#pragma once
// What the end-to-end tests and the program's screenshots set up around the real program: its
// registry values, a source folder, a backup disk in an emulated removable drive, and the files
// they compare.

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace endtoend {

inline constexpr wchar_t kProductKey[] = L"Software\\Corvant Ferrolin 2";
inline constexpr wchar_t kOptionsKey[] = L"Software\\Corvant Ferrolin 2\\User Options";

// Registry values of "User Options"; each call opens and closes the key.
bool WriteDword(const wchar_t* name, DWORD value);
bool WriteString(const wchar_t* name, const std::wstring& value);
bool WriteMultiString(const wchar_t* name, const std::vector<std::wstring>& values);
std::optional<DWORD> ReadDword(const wchar_t* name);
// A REG_SZ value, and the strings of a REG_MULTI_SZ value in order.
std::optional<std::wstring> ReadString(const wchar_t* name);
std::optional<std::vector<std::wstring>> ReadMultiString(const wchar_t* name);
// "Start Time Low" and "Start Time High" together; nothing when either is missing.
std::optional<uint64_t> ReadStartTime();
bool WriteStartTime(uint64_t time);
// Removes the program's whole key (an unconfigured program).
void DeleteProgramKey();

// Every value the setup wizard stores, as a configured program has them.
struct Configuration {
    std::wstring destination;  // "K:\"
    std::wstring diskId;       // "1234-ABCD"
    std::vector<std::wstring> sources;
    uint64_t startTime = 0;
    DWORD mirrorStatus = 1;
    DWORD iconStatus = 1;
    DWORD warningStatus = 1;
    DWORD progressStatus = 0;
    DWORD revisions = 0;
    // Every interval of ten hours: no pass runs by itself while a test looks.
    DWORD scheduleType = 1;
    DWORD interval = 10;
    DWORD intervalUnit = 1;
    DWORD atShutdown = 0;
};
bool WriteConfiguration(const Configuration& configuration);

// Files, by Windows path.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::optional<std::string> ReadFileBytes(const std::wstring& path);
bool SetLastWriteTime(const std::wstring& path, uint64_t time);
// Creates the folder and its parents.
bool CreateFolders(const std::wstring& path);
// Removes a folder with everything in it; true when it is gone.
bool RemoveTree(const std::wstring& path);

struct FileFacts {
    std::string contents;
    uint64_t lastWrite = 0;
};
// Every file under root by its path relative to root ("Letters\a.txt"), skipping the folders
// named in skip (relative to root).
std::map<std::wstring, FileFacts> ReadTree(const std::wstring& root,
                                           const std::vector<std::wstring>& skip = {});
// The latest last-write time of the files of a tree; 0 for none.
uint64_t NewestWrite(const std::map<std::wstring, FileFacts>& tree);
// Differences between two trees in words ("missing: a.txt", "contents differ: b.txt"), empty
// when they match exactly.
std::string CompareTrees(const std::map<std::wstring, FileFacts>& expected,
                         const std::map<std::wstring, FileFacts>& actual);

// The retry list the program keeps between runs.
std::wstring RetryLogPath();

// A backup disk of the test's own: a host folder as the medium of a removable drive.
class BackupDisk {
  public:
    // serialHex: 8 hex digits; the disk identifier is then "XXXX-XXXX" in capitals.
    BackupDisk(char letter, const std::string& name, const std::string& serialHex);
    ~BackupDisk();  // takes the drive away and removes the medium with its files
    BackupDisk(const BackupDisk&) = delete;
    BackupDisk& operator=(const BackupDisk&) = delete;

    bool ready() const { return ready_; }
    std::wstring root() const;      // "K:\"
    std::wstring diskId() const;    // "E2E0-0001"
    std::wstring hostRoot() const;  // the medium through Wine's Z: drive
    bool Eject();
    bool Insert();

  private:
    char letter_;
    std::string hostFolder_;
    std::string serial_;
    bool ready_ = false;
};

}  // namespace endtoend
